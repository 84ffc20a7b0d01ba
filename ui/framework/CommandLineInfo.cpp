#include "ui/framework/CommandLineInfo.h"

void CCommandLineInfo::ParseParam(const CString& param, BOOL bFlag, BOOL) {
    if (bFlag) {
        if (_wcsicmp(param.c_str(), L"pt") == 0) {
            m_nShellCommand = FilePrintTo;
            m_nPrintToArgs = 0;
        } else if (_wcsicmp(param.c_str(), L"p") == 0) {
            m_nShellCommand = FilePrint;
        } else if (_wcsicmp(param.c_str(), L"dde") == 0) {
            m_nShellCommand = FileDDE;
        }
        // Other switches mean nothing to this program.
        return;
    }
    if (m_strFileName.empty()) {
        m_strFileName = param;
        if (m_nShellCommand == FileNew) m_nShellCommand = FileOpen;
        return;
    }
    if (m_nShellCommand == FilePrintTo) {
        CString* fields[] = {&m_strPrinterName, &m_strDriverName, &m_strPortName};
        if (m_nPrintToArgs < 3) *fields[m_nPrintToArgs++] = param;
    }
}
