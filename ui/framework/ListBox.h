// A list box control.
#pragma once
#include "ui/framework/Wnd.h"

class CListBox : public CWnd {
public:
    int AddString(const CString& text) {
        return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
};
