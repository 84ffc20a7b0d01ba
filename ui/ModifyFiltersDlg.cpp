#include "ui/ModifyFiltersDlg.h"

#include "model/FilterText.h"
#include "model/TextForms.h"
#include "res/resource.h"
#include "ui/framework/DataExchange.h"

CModifyFiltersDlg::CModifyFiltersDlg(const CString& strInitial, bool bUpper, CWnd* pParent)
    : CDialog(IDD_MODIFY_FILTERS, pParent), m_strFilters(strInitial), m_strInitial(strInitial), m_bUpper(bUpper) {}

void CModifyFiltersDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FILTERS_LABEL, m_wndLabel);
    DDX_Text(pDX, IDC_FILTERS_EDIT, m_strFilters);
}

BOOL CModifyFiltersDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CString caption = m_bUpper ? L"Modify Upper Filters" : L"Modify Lower Filters";
    if (!m_hidden.empty()) caption += L" (hidden entries dropped: " + qx::JoinList(m_hidden) + L")";
    SetWindowText(caption);
    m_wndLabel.SetWindowText(m_bUpper ? L"Upper Filters:" : L"Lower Filters:");
    return TRUE;
}

void CModifyFiltersDlg::OnOK() {
    UpdateData(TRUE);
    if (m_strFilters == m_strInitial) {
        EndDialog(IDCANCEL);  // nothing to write
        return;
    }
    if (ValidateFilters()) CDialog::OnOK();
}

bool CModifyFiltersDlg::ValidateFilters() {
    m_filterNames = qx::SplitFilterText(m_strFilters);
    if (const std::wstring* missing = qx::FindMissingService(m_filterNames)) {
        AfxMessageBox(L"Service " + *missing + L" could not be located in Registry.",
                      MB_OKCANCEL | MB_ICONHAND);
        return false;
    }
    if (!m_bHasTarget) return true;
    qx::FilterTarget target = m_target;
    target.upper = m_bUpper;
    const qx::Findings findings = qx::CheckProposedList(target, m_filterNames);
    // A service that exists but cannot work as a filter: the first such error stops it.
    for (const qx::Finding& finding : findings) {
        if (finding.severity != qx::Severity::Error) continue;
        AfxMessageBox(finding.sentence, MB_OK | MB_ICONHAND);
        return false;
    }
    CString warnings;
    for (const qx::Finding& finding : findings)
        if (finding.severity == qx::Severity::Warning) warnings += finding.sentence + L"\n\n";
    if (!warnings.empty() &&
        AfxMessageBox(warnings + L"Write the new list all the same?", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return false;
    const CString question = qx::DefaultClassRules().CriticalQuestion(target.classGuid);
    if (!question.empty() && AfxMessageBox(question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return false;
    return true;
}
