#include "ui/framework/ListBox.h"

CString CListBox::GetText(int nIndex) const {
    LRESULT cch = SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(nIndex));
    if (cch == LB_ERR) return CString();
    std::wstring text(static_cast<size_t>(cch) + 1, L'\0');
    LRESULT got = SendMessage(LB_GETTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
    return text;
}
