#include "ui/MainFrame.h"

#include "model/DeviceRestart.h"
#include "model/FilterStore.h"
#include "model/Journal.h"
#include "res/resource.h"
#include "ui/CarvelApp.h"
#include "ui/CarvelDoc.h"
#include "ui/ChangeHistoryDlg.h"
#include "ui/framework/CmdUI.h"
#include "ui/FilterReportDlg.h"
#include "ui/FindDlg.h"
#include "ui/InfoView.h"
#include "ui/SplashScreenThread.h"
#include "ui/VelorTreeView.h"

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_COMMAND(ID_HELP_FINDER, &CFrameWnd::OnHelpFinder)
    ON_COMMAND(ID_HELP, &CFrameWnd::OnHelp)
    ON_COMMAND(ID_CONTEXT_HELP, &CFrameWnd::OnContextHelp)
    ON_COMMAND(ID_DEFAULT_HELP, &CFrameWnd::OnHelpFinder)
    ON_COMMAND(ID_VIEW_REFRESH, &CMainFrame::OnViewRefresh)
    ON_COMMAND(ID_OPTIONS_CHECK_FILTERS, &CMainFrame::OnCheckFilters)
    ON_COMMAND(ID_OPTIONS_UNDO_FILTER_CHANGE, &CMainFrame::OnUndoFilterChange)
    ON_UPDATE_COMMAND_UI(ID_OPTIONS_UNDO_FILTER_CHANGE, &CMainFrame::OnUpdateUndoFilterChange)
    ON_COMMAND(ID_OPTIONS_CHANGE_HISTORY, &CMainFrame::OnChangeHistory)
    ON_COMMAND(ID_OPTIONS_RESTART_DEVICES, &CMainFrame::OnRestartDevices)
    ON_UPDATE_COMMAND_UI(ID_OPTIONS_RESTART_DEVICES, &CMainFrame::OnUpdateRestartDevices)
    ON_COMMAND(ID_VIEW_DEVICE_NAMES, &CMainFrame::OnViewDeviceNames)
    ON_UPDATE_COMMAND_UI(ID_VIEW_DEVICE_NAMES, &CMainFrame::OnUpdateViewDeviceNames)
    ON_COMMAND(ID_EDIT_FIND, &CMainFrame::OnEditFind)
    ON_COMMAND(ID_EDIT_FIND_NEXT, &CMainFrame::OnEditFindNext)
END_MESSAGE_MAP()

namespace {
const UINT kIndicators[] = {
    ID_SEPARATOR,  // the message pane
    ID_INDICATOR_CAPS,
    ID_INDICATOR_NUM,
    ID_INDICATOR_SCRL,
    ID_INDICATOR_SAFE,  // "SAFE" or "EDIT": whether filter lists can be changed
};
}

CMainFrame::CMainFrame() = default;
CMainFrame::~CMainFrame() = default;

int CMainFrame::OnCreate(LPCREATESTRUCT lpcs) {
    // 1. The splash comes up on its own thread while this frame is still hidden.
    StartSplash();

    // 2. The splitter and both panes (OnCreateClient) come before any bar.
    if (CFrameWnd::OnCreate(lpcs) == -1) return -1;

    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT,
                               WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY |
                                   CBRS_SIZE_DYNAMIC,
                               RECT{0, 0, 0, 0}, AFX_IDW_TOOLBAR) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;

    if (!m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(kIndicators, static_cast<int>(std::size(kIndicators))))
        return -1;

    // Started on an offline hive (the command line): the status bar says which.
    if (!qx::CurrentOfflineHive().empty()) SetIdleMessage(theApp.GetDocumentTitle());

    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar);
    return 0;
}

BOOL CMainFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) {
    m_wndSplitter.CreateStatic(this, 1, 2, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST);
    // The form first, in the right column; then the tree in the left.
    if (!m_wndSplitter.CreateView(0, 1, RUNTIME_CLASS(CInfoView), SIZE{200, 10}, pContext)) return FALSE;
    if (!m_wndSplitter.CreateView(0, 0, RUNTIME_CLASS(CVelorTreeView), SIZE{200, 10}, pContext)) return FALSE;
    auto* pTree = static_cast<CVelorTreeView*>(m_wndSplitter.GetPane(0, 0));
    pTree->SetInfoView(static_cast<CInfoView*>(m_wndSplitter.GetPane(0, 1)));
    return TRUE;
}

BOOL CMainFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    CInfoView* pForm = GetInfoView();
    return pForm && pForm != GetActiveView() && pForm->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CMainFrame::PreTranslateMessage(MSG* pMsg) {
    if (CFrameWnd::PreTranslateMessage(pMsg)) return TRUE;
    // Alt+letter in the tree (or any pane but the form, which has its dialog keys): the
    // form's Modify buttons answer their mnemonics from there too. Letters without Alt
    // stay the tree's type-ahead; a letter no enabled button has goes on to the menu bar.
    if (pMsg->message != WM_SYSCHAR || (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd))) return FALSE;
    CInfoView* pForm = GetInfoView();
    if (!pForm || pMsg->hwnd == pForm->m_hWnd || ::IsChild(pForm->m_hWnd, pMsg->hwnd)) return FALSE;
    return pForm->PressButtonMnemonic(static_cast<wchar_t>(pMsg->wParam));
}

void CMainFrame::OnViewRefresh() {
    CVelorTreeView* pTree = GetClassTree();
    if (!pTree) return;
    pTree->Refresh();
    const DriverClassList* pClasses = GetDriverClasses();
    if (!pClasses) return;
    size_t nDevices = 0;
    for (const auto& pClass : *pClasses) nDevices += pClass->GetDeviceList().size();
    ReportDone(AfxFormatStrings(IDS_STATUS_REFRESHED, {std::to_wstring(pClasses->size()), std::to_wstring(nDevices)}));
}

void CMainFrame::StartSplash() {
    m_pSplashThread = new CSplashScreenThread;
    if (!m_pSplashThread->CanStart()) {
        // Reports could not wait for the splash, so there is none: start-up goes on.
        delete m_pSplashThread;
        m_pSplashThread = nullptr;
        return;
    }
    m_pSplashThread->SetParentWnd(this);
    m_pSplashThread->CreateThread();
}

void CMainFrame::SetProgressText(const std::wstring& text) {
    if (m_pSplashThread) m_pSplashThread->SetStatusText(text);
}

void CMainFrame::SetProgressRange(int lower, int upper) {
    if (m_pSplashThread) m_pSplashThread->SetRange(lower, upper);
}

void CMainFrame::StepProgress() {
    if (m_pSplashThread) m_pSplashThread->StepIt();
}

void CMainFrame::CloseSplash() {
    if (!m_pSplashThread) return;
    // PostClose is the last use of the thread object: the frame lets go of it there.
    m_pSplashThread->PostClose();
    m_pSplashThread = nullptr;
    SetForegroundWindow();
}

void CMainFrame::OnCheckFilters() {
    if (CFilterReportDlg* pReport = GetFilterReport()) {
        pReport->Refresh();
        pReport->ShowWindow(SW_SHOWNORMAL);
        pReport->SetForegroundWindow();
        return;
    }
    m_pFilterReport = std::make_unique<CFilterReportDlg>(this);
    if (!m_pFilterReport->Create()) {
        m_pFilterReport.reset();
        return;
    }
    m_pFilterReport->ShowWindow(SW_SHOW);
}

CFilterReportDlg* CMainFrame::GetFilterReport() const {
    return m_pFilterReport && m_pFilterReport->m_hWnd ? m_pFilterReport.get() : nullptr;
}

CVelorTreeView* CMainFrame::GetClassTree() const {
    return m_wndSplitter.m_hWnd ? dynamic_cast<CVelorTreeView*>(m_wndSplitter.GetPane(0, 0)) : nullptr;
}

CInfoView* CMainFrame::GetInfoView() const {
    return m_wndSplitter.m_hWnd ? dynamic_cast<CInfoView*>(m_wndSplitter.GetPane(0, 1)) : nullptr;
}

CCarvelDoc* CMainFrame::GetCarvelDoc() const {
    CVelorTreeView* pTree = GetClassTree();
    return pTree ? pTree->GetDocument() : nullptr;
}

DriverClassList* CMainFrame::GetDriverClasses() const {
    CCarvelDoc* pDoc = GetCarvelDoc();
    return pDoc ? &pDoc->GetDriverClasses() : nullptr;
}

void CMainFrame::ShowRegistrySource(const std::wstring& title) {
    if (CCarvelDoc* pDoc = GetCarvelDoc()) pDoc->SetTitle(title);
    // Another registry is not the one Safe Mode was turned off for.
    if (CInfoView* pForm = GetInfoView()) pForm->SetSafeMode(true);
    SetIdleMessage(qx::CurrentOfflineHive().empty() ? CString() : CString(title));
    if (CVelorTreeView* pTree = GetClassTree()) pTree->Refresh();
    if (CFilterReportDlg* pReport = GetFilterReport()) pReport->Refresh();
}

void CMainFrame::OnUpdateUndoFilterChange(CCmdUI* pCmdUI) {
    CInfoView* pForm = GetInfoView();
    pCmdUI->Enable(pForm && !pForm->IsSafeMode() && qx::HasFilterChangeToUndo() ? TRUE : FALSE);
}

void CMainFrame::OnUndoFilterChange() {
    CInfoView* pForm = GetInfoView();
    DriverClassList* pClasses = GetDriverClasses();
    if (!pForm || !pClasses) return;
    // The accelerator reaches here whatever the menu shows.
    if (pForm->IsSafeMode()) {
        AfxMessageBox(IDS_SAFE_MODE_ON, MB_OK | MB_ICONINFORMATION);
        return;
    }
    qx::UndoneTarget target;
    qx::UndoRequest request;
    request.offerOlder = true;  // a change whose list was changed since does not block the older ones
    const bool bRestored = qx::UndoFilterChange(*pClasses, true, request, &target).Done();
    // Restored or refused, the record holds the list as stored now: show it.
    if (target.owner) pForm->ShowRecord(target.device ? static_cast<CObject*>(target.device) : target.owner);
    if (CFilterReportDlg* pReport = GetFilterReport()) pReport->Refresh();
    // After the report's own line: the undo is what the user asked for.
    if (target.change.id)
        ReportDone(AfxFormatStrings(bRestored ? IDS_STATUS_UNDONE : IDS_STATUS_NOT_UNDONE, {std::to_wstring(target.change.id)}));
    if (bRestored && target.owner) qx::AskAndRestartDevices(*target.owner, target.device, qx::ListTitle(target.upper));
}

CDriverClass* CMainFrame::GetRestartTarget(CDevice** ppDevice) const {
    auto* pForm = dynamic_cast<CInfoView*>(m_wndSplitter.GetPane(0, 1));
    *ppDevice = nullptr;
    if (!pForm || pForm->IsSafeMode() || !qx::RestartRefusal().empty()) return nullptr;
    *ppDevice = pForm->GetCurrentDevice();
    return *ppDevice ? (*ppDevice)->GetClass() : pForm->GetCurrentClass();
}

void CMainFrame::OnUpdateRestartDevices(CCmdUI* pCmdUI) {
    CDevice* pDevice = nullptr;
    pCmdUI->Enable(GetRestartTarget(&pDevice) ? TRUE : FALSE);
}

void CMainFrame::OnRestartDevices() {
    CDevice* pDevice = nullptr;
    CDriverClass* pClass = GetRestartTarget(&pDevice);
    if (!pClass) return;  // Safe Mode, offline or nothing shown: the command is disabled
    qx::AskAndRestartDevices(*pClass, pDevice, L"", true);
}

void CMainFrame::OnChangeHistory() {
    std::wstring error;
    const qx::Journal* pJournal = qx::ChangeJournal(&error);
    CChangeHistoryDlg dlg(pJournal, GetDriverClasses(), this);
    dlg.DoModal();
}

void CMainFrame::OnViewDeviceNames() {
    CVelorTreeView* pTree = GetClassTree();
    if (!pTree) return;
    pTree->SetDeviceNames(!pTree->GetDeviceNames());
    theApp.WriteProfileString(CVelorTreeView::kSettings, CVelorTreeView::kDeviceNames,
                              pTree->GetDeviceNames() ? L"1" : L"0");
}

void CMainFrame::OnUpdateViewDeviceNames(CCmdUI* pCmdUI) {
    CVelorTreeView* pTree = GetClassTree();
    pCmdUI->Enable(pTree ? TRUE : FALSE);
    pCmdUI->SetCheck(pTree && pTree->GetDeviceNames() ? 1 : 0);
}

void CMainFrame::OnEditFind() {
    CFindDlg dlg(m_strFind, this);
    if (dlg.DoModal() != IDOK) return;
    m_strFind = dlg.GetText();
    OnEditFindNext();
}

void CMainFrame::OnEditFindNext() {
    CVelorTreeView* pTree = GetClassTree();
    if (!pTree) return;
    if (m_strFind.empty()) {
        OnEditFind();
        return;
    }
    if (!pTree->FindNext(m_strFind)) AfxMessageBox(AfxFormatStrings(IDS_FIND_NOT_FOUND, {m_strFind}), MB_OK | MB_ICONINFORMATION);
}

void CMainFrame::ReportDone(const CString& text) { SetMessageText(text); }
