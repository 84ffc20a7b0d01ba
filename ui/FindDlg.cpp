#include "ui/FindDlg.h"

#include "res/resource.h"
#include "ui/framework/DataExchange.h"

CFindDlg::CFindDlg(const CString& strText, CWnd* pParent) : CDialog(IDD_FIND, pParent), m_strText(strText) {}

void CFindDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_FIND_TEXT, m_strText);
}

BOOL CFindDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The last text, selected: typing replaces it, Enter looks for it again.
    HWND hEdit = ::GetDlgItem(m_hWnd, IDC_FIND_TEXT);
    if (!hEdit) return TRUE;
    ::SetFocus(hEdit);
    ::SendMessageW(hEdit, EM_SETSEL, 0, -1);
    return FALSE;
}
