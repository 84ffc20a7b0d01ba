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
    CString caption = AfxLoadString(m_bUpper ? IDS_MODIFY_UPPER_CAPTION : IDS_MODIFY_LOWER_CAPTION);
    if (!m_strTargetName.empty()) caption = AfxFormatStrings(IDS_MODIFY_TARGET_CAPTION, {caption, m_strTargetName});
    if (!m_hidden.empty()) caption = AfxFormatStrings(IDS_HIDDEN_DROPPED, {caption, qx::JoinList(m_hidden)});
    SetWindowText(caption);
    m_wndLabel.SetWindowText(AfxLoadString(m_bUpper ? IDS_UPPER_FILTERS_LABEL : IDS_LOWER_FILTERS_LABEL));
    // Keys typed at once go into the list, not to a button: the edit has the focus,
    // its text selected.
    HWND hEdit = ::GetDlgItem(m_hWnd, IDC_FILTERS_EDIT);
    if (!hEdit) return TRUE;
    ::SetFocus(hEdit);
    ::SendMessageW(hEdit, EM_SETSEL, 0, -1);
    return FALSE;
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
    qx::FilterTarget target = m_target;
    target.upper = m_bUpper;
    const qx::ListValidation checked = qx::ValidateNewList(m_bHasTarget ? &target : nullptr, m_filterNames);
    if (checked.Refused()) {
        AfxMessageBox(checked.refusal, checked.refusalType);
        return false;
    }
    for (const std::wstring& question : checked.questions)
        if (AfxMessageBox(question, qx::kValidationQuestionType) != IDYES) return false;
    return true;
}
