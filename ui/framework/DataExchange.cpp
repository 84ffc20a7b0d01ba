#include "ui/framework/DataExchange.h"

#include "ui/framework/Wnd.h"

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    HWND hCtrl = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
    if (!hCtrl) {
        pDX->m_bFailed = TRUE;
        return;
    }
    if (pDX->m_bSaveAndValidate) {
        int cch = GetWindowTextLengthW(hCtrl);
        std::wstring text(static_cast<size_t>(cch) + 1, L'\0');
        int got = GetWindowTextW(hCtrl, &text[0], cch + 1);
        text.resize(got > 0 ? static_cast<size_t>(got) : 0);
        value = text;
    } else {
        SetWindowTextW(hCtrl, value.c_str());
    }
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd) return;
    if (!rControl.SubclassDlgItem(static_cast<UINT>(nIDC), pDX->m_pDlgWnd)) pDX->m_bFailed = TRUE;
}
