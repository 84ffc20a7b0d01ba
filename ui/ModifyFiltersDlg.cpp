#include "ui/ModifyFiltersDlg.h"

#include "model/FilterText.h"
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
    SetWindowText(AfxLoadString(m_bUpper ? IDS_MODIFY_UPPER_CAPTION : IDS_MODIFY_LOWER_CAPTION));
    m_wndLabel.SetWindowText(AfxLoadString(m_bUpper ? IDS_UPPER_FILTERS_LABEL : IDS_LOWER_FILTERS_LABEL));
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
        AfxMessageBox(AfxFormatStrings(IDS_SERVICE_NOT_FOUND, {*missing}), MB_OKCANCEL | MB_ICONHAND);
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
        AfxMessageBox(warnings + AfxLoadString(IDS_WRITE_ANYWAY), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return false;
    const CString question = qx::DefaultClassRules().CriticalQuestion(target.classGuid);
    if (!question.empty() && AfxMessageBox(question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return false;
    return true;
}
