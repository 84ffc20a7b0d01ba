// A progress bar control.
#pragma once
#include "ui/framework/Wnd.h"

class CProgressCtrl : public CWnd {
public:
    // Both bounds reach the control as 16-bit values.
    void SetRange(short nLower, short nUpper) {
        SendMessage(PBM_SETRANGE, 0, MAKELPARAM(static_cast<WORD>(nLower), static_cast<WORD>(nUpper)));
    }
    int SetStep(int nStep) { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(nStep))); }
    int SetPos(int nPos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(nPos))); }
    int StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT)); }
};
