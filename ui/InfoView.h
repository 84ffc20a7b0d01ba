// The information form (template 101), the right pane: it will show the selected
// class or device; here it holds the two Options commands and the form's controls.
#pragma once
#include "ui/framework/Button.h"
#include "ui/framework/FormView.h"
#include "ui/framework/ListCtrl.h"

class CDevice;
class CDriverClass;

class CInfoView : public CFormView {
    DECLARE_DYNCREATE(CInfoView)
public:
    CInfoView();

    void DoDataExchange(CDataExchange* pDX) override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;

    BOOL IsSafeMode() const { return m_bSafeMode ? TRUE : FALSE; }
    BOOL IsRegistryParameters() const { return m_bRegistryParameters ? TRUE : FALSE; }

protected:
    void OnSafeMode();
    void OnUpdateSafeMode(CCmdUI* pCmdUI);
    void OnRegistryParameters();
    void OnUpdateRegistryParameters(CCmdUI* pCmdUI);

    CListCtrl m_listRegistry;  // control 1065, hidden until Registry Parameters is on
    CButton m_btnModifyUpper;  // control 1009
    CButton m_btnModifyLower;  // control 1010
    CDevice* m_pCurrentDevice = nullptr;      // not owned
    CDriverClass* m_pCurrentClass = nullptr;  // not owned
    bool m_bRegistryParameters = false;
    bool m_bSafeMode = true;

    DECLARE_MESSAGE_MAP()
};
