// Data exchange between a dialog's (or form's) controls and its members.
#pragma once
#include "ui/framework/Afx.h"

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_pDlgWnd(pDlgWnd), m_bSaveAndValidate(bSaveAndValidate) {}

    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;  // TRUE: controls to members; FALSE: members to controls
    BOOL m_bFailed = FALSE;   // a control was missing; UpdateData then returns FALSE
};

// The text of control nIDC and value.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
// Binds control nIDC to rControl the first time (the object then owns the control).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
