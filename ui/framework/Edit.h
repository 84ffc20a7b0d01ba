// An edit control.
#pragma once
#include "ui/framework/Wnd.h"

class CEdit : public CWnd {
public:
    void SetReadOnly(BOOL bReadOnly = TRUE) { SendMessage(EM_SETREADONLY, static_cast<WPARAM>(bReadOnly)); }
};
