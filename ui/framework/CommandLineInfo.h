// What the program's command line asks for: nothing, a new document, a file to open,
// a file to print, or a start by the shell to take a DDE open request.
#pragma once
#include "ui/framework/Afx.h"

class CCommandLineInfo {
public:
    enum { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, FileNothing = -1 } m_nShellCommand = FileNew;
    CString m_strFileName;  // the first argument that is not a switch

    virtual ~CCommandLineInfo() = default;
    // One argument: bFlag when it began with '/' or '-' (which is then removed).
    virtual void ParseParam(const CString& param, BOOL bFlag, BOOL bLast);
};
