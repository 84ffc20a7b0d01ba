// Edit > Find (template IDD_FIND), modal: the text to look for among the classes and
// devices. OK ("Find Next") hands the text back; the main frame does the finding.
#pragma once
#include "ui/framework/Dialog.h"

class CFindDlg : public CDialog {
public:
    CFindDlg(const CString& strText, CWnd* pParent);
    const CString& GetText() const { return m_strText; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    CString m_strText;
};
