#include "ui/framework/CommandLineInfo.h"

void CCommandLineInfo::ParseParam(const CString& param, BOOL bFlag, BOOL) {
    if (bFlag) {
        if (_wcsicmp(param.c_str(), L"pt") == 0) {
            m_nShellCommand = FilePrintTo;
        } else if (_wcsicmp(param.c_str(), L"p") == 0) {
            m_nShellCommand = FilePrint;
        } else if (_wcsicmp(param.c_str(), L"dde") == 0) {
            m_nShellCommand = FileDDE;
        }
        // Other switches mean nothing to this program.
        return;
    }
    // A print request's printer, driver and port follow the file: this program prints
    // nothing, so they are not kept.
    if (m_strFileName.empty()) {
        m_strFileName = param;
        if (m_nShellCommand == FileNew) m_nShellCommand = FileOpen;
    }
}
