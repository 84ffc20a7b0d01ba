#include "ui/framework/Dialog.h"

#include "ui/framework/WinApp.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOKCommand)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancelCommand)
END_MESSAGE_MAP()

namespace {
// The window a dialog is owned by: the given parent's top-level window, else the
// thread's main window, else none.
HWND OwnerFor(CWnd* pParentWnd) {
    CWnd* pWnd = pParentWnd ? pParentWnd : AfxGetMainWnd();
    HWND hWnd = pWnd ? pWnd->m_hWnd : nullptr;
    return hWnd ? GetAncestor(hWnd, GA_ROOT) : nullptr;
}
}  // namespace

INT_PTR CDialog::DoModal() {
    if (m_hWnd) return -1;
    m_bModal = TRUE;
    CWinApp* pApp = AfxGetApp();
    if (pApp) pApp->BeginModalState();
    INT_PTR result = DialogBoxParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate),
                                     OwnerFor(m_pParentWnd), AfxDlgProc, reinterpret_cast<LPARAM>(this));
    if (pApp) pApp->EndModalState();
    m_bModal = FALSE;
    return result;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    if (m_hWnd) return FALSE;
    m_nIDTemplate = nIDTemplate;
    if (pParentWnd) m_pParentWnd = pParentWnd;
    m_bModal = FALSE;
    HWND hWnd = CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDTemplate), OwnerFor(m_pParentWnd),
                                   AfxDlgProc, reinterpret_cast<LPARAM>(this));
    if (hWnd && FromHandlePermanent(hWnd) != this) {
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    return hWnd != nullptr;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int nResult) {
    // Ends a modal dialog; hides a modeless one.
    if (m_hWnd) ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    if (m_bModal || !m_hWnd) return FALSE;  // the modal loop does this itself
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST) return FALSE;
    if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd)) return FALSE;
    return ::IsDialogMessageW(m_hWnd, pMsg);
}
