#include "ui/InfoView.h"

#include "res/resource.h"
#include "ui/CarvelDoc.h"
#include "ui/framework/CmdUI.h"
#include "ui/framework/DataExchange.h"

IMPLEMENT_DYNCREATE(CInfoView, CFormView)

BEGIN_MESSAGE_MAP(CInfoView, CFormView)
    ON_UPDATE_COMMAND_UI(ID_OPTIONS_SAFE_MODE, &CInfoView::OnUpdateSafeMode)
    ON_COMMAND(ID_OPTIONS_SAFE_MODE, &CInfoView::OnSafeMode)
    ON_COMMAND(ID_OPTIONS_REGISTRY_PARAMETERS, &CInfoView::OnRegistryParameters)
    ON_UPDATE_COMMAND_UI(ID_OPTIONS_REGISTRY_PARAMETERS, &CInfoView::OnUpdateRegistryParameters)
END_MESSAGE_MAP()

CInfoView::CInfoView() : CFormView(IDD_INFO_FORM) {}

void CInfoView::DoDataExchange(CDataExchange* pDX) {
    CFormView::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_REGISTRY_LIST, m_listRegistry);
    DDX_Control(pDX, IDC_MODIFY_UPPER, m_btnModifyUpper);
    DDX_Control(pDX, IDC_MODIFY_LOWER, m_btnModifyLower);
}

void CInfoView::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) {
    if (lHint == CCarvelDoc::kHintReleaseRecords) {
        // The document is about to delete its records: keep no pointer to them.
        m_pCurrentDevice = nullptr;
        m_pCurrentClass = nullptr;
        return;
    }
    CFormView::OnUpdate(pSender, lHint, pHint);
}

void CInfoView::OnSafeMode() {
    m_bSafeMode = !m_bSafeMode;
    // Safe Mode alone decides whether the two Modify buttons can be pressed.
    if (m_btnModifyUpper.m_hWnd) m_btnModifyUpper.EnableWindow(m_bSafeMode ? FALSE : TRUE);
    if (m_btnModifyLower.m_hWnd) m_btnModifyLower.EnableWindow(m_bSafeMode ? FALSE : TRUE);
}

void CInfoView::OnUpdateSafeMode(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_bSafeMode ? 1 : 0);
    pCmdUI->Enable(TRUE);
}

void CInfoView::OnRegistryParameters() {
    m_bRegistryParameters = !m_bRegistryParameters;
    if (m_listRegistry.m_hWnd) m_listRegistry.ShowWindow(m_bRegistryParameters ? SW_SHOW : SW_HIDE);
}

void CInfoView::OnUpdateRegistryParameters(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_bRegistryParameters ? 1 : 0);
    pCmdUI->Enable(TRUE);
}
