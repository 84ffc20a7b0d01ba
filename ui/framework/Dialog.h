// A dialog from a template: modal (DoModal, ended by EndDialog) or modeless (Create,
// ended by DestroyWindow), the two kept apart. OK and Cancel reach the virtual
// OnOK / OnCancel; data exchange runs at initialisation and on OK.
#pragma once
#include "ui/framework/Wnd.h"

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr)
        : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

    // Modal: returns the EndDialog result, or -1 when the dialog could not be made.
    virtual INT_PTR DoModal();
    // Modeless: the window stays until DestroyWindow (EndDialog only hides it).
    using CWnd::Create;
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    virtual BOOL OnInitDialog();  // data to the controls; TRUE: the system sets the focus
    virtual void OnOK();          // controls to data, then EndDialog(IDOK)
    virtual void OnCancel();      // EndDialog(IDCANCEL)
    void EndDialog(int nResult);
    BOOL IsModal() const { return m_bModal; }

    BOOL HandleInitDialog() override { return OnInitDialog(); }
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void OnOKCommand() { OnOK(); }
    void OnCancelCommand() { OnCancel(); }

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    BOOL m_bModal = FALSE;
    DECLARE_MESSAGE_MAP()
};
