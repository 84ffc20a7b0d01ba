#include "ui/FilterReportDlg.h"

#include <algorithm>

#include "model/DriverClass.h"
#include "model/TextForms.h"
#include "res/resource.h"
#include "ui/CarvelDoc.h"
#include "ui/InfoView.h"
#include "ui/MainFrame.h"
#include "ui/VelorTreeView.h"

BEGIN_MESSAGE_MAP(CFilterReportDlg, CDialog)
    ON_NOTIFY(LVN_COLUMNCLICK, IDC_CHECK_LIST, &CFilterReportDlg::OnColumnClick)
    ON_NOTIFY(LVN_ITEMACTIVATE, IDC_CHECK_LIST, &CFilterReportDlg::OnItemActivate)
    ON_BN_CLICKED(IDC_CHECK_REMOVE, &CFilterReportDlg::OnRemove)
    ON_BN_CLICKED(IDC_CHECK_AGAIN, &CFilterReportDlg::OnCheckAgain)
END_MESSAGE_MAP()

namespace {

const wchar_t* SeverityText(qx::Severity severity) {
    return severity == qx::Severity::Error ? L"Error" : L"Warning";
}

const wchar_t* ListText(const qx::FilterTarget& target) {
    if (target.IsDevice()) return target.upper ? L"Device Upper Filters" : L"Device Lower Filters";
    return target.upper ? L"Class Upper Filters" : L"Class Lower Filters";
}

std::wstring ColumnText(const qx::Finding& f, int nColumn) {
    switch (nColumn) {
    case CFilterReportDlg::kSeverity: return SeverityText(f.severity);
    case CFilterReportDlg::kTarget: return f.targetText;
    case CFilterReportDlg::kList: return ListText(f.target);
    case CFilterReportDlg::kName: return f.name;
    case CFilterReportDlg::kRule: return f.rule;
    default: return f.sentence;
    }
}

std::wstring Counted(size_t n, const wchar_t* one, const wchar_t* many) {
    return std::to_wstring(n) + L" " + (n == 1 ? one : many);
}

bool SameTarget(const qx::FilterTarget& a, const qx::FilterTarget& b) {
    return a.classGuid == b.classGuid && a.instanceId == b.instanceId && a.upper == b.upper;
}

HTREEITEM FindTreeItem(CVelorTreeView& tree, HTREEITEM hFirst, const CObject* pRecord) {
    for (HTREEITEM h = hFirst; h; h = tree.GetNextItem(h, TVGN_NEXT)) {
        if (reinterpret_cast<const CObject*>(tree.GetItemData(h)) == pRecord) return h;
        if (HTREEITEM hChild = FindTreeItem(tree, tree.GetNextItem(h, TVGN_CHILD), pRecord)) return hChild;
    }
    return nullptr;
}

}  // namespace

CFilterReportDlg::CFilterReportDlg(CMainFrame* pFrame) : CDialog(IDD_FILTER_CHECK, pFrame), m_pFrame(pFrame) {}

BOOL CFilterReportDlg::Create() { return CDialog::Create(IDD_FILTER_CHECK, m_pFrame); }

BOOL CFilterReportDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_list.SubclassDlgItem(IDC_CHECK_LIST, this);
    m_list.SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    static const struct {
        const wchar_t* heading;
        int width;
    } kHeadings[kColumns] = {{L"Severity", 60}, {L"Class or Device", 170}, {L"List", 120},
                             {L"Name", 110}, {L"Rule", 120}, {L"What happens, and what to do", 600}};
    for (int i = 0; i < kColumns; ++i) m_list.InsertColumn(i, kHeadings[i].heading, LVCFMT_LEFT, kHeadings[i].width);
    Refresh();
    return TRUE;
}

DriverClassList* CFilterReportDlg::Classes() const { return m_pFrame ? m_pFrame->GetDriverClasses() : nullptr; }

void CFilterReportDlg::Refresh() {
    DriverClassList* pClasses = Classes();
    m_findings = pClasses ? qx::CheckAllFilters(*pClasses) : qx::Findings();
    if (CVelorTreeView* pTree = m_pFrame ? m_pFrame->GetClassTree() : nullptr) pTree->MarkFindings(m_findings);
    Sort();
}

void CFilterReportDlg::SortBy(int nColumn) {
    if (nColumn < 0 || nColumn >= kColumns) return;
    m_bAscending = nColumn == m_nSortColumn ? !m_bAscending : true;
    m_nSortColumn = nColumn;
    Sort();
}

void CFilterReportDlg::Sort() {
    // Within equal keys, errors stay before warnings, and the check's order holds.
    std::stable_sort(m_findings.begin(), m_findings.end(), [this](const qx::Finding& a, const qx::Finding& b) {
        int order = m_nSortColumn == kSeverity ? static_cast<int>(a.severity) - static_cast<int>(b.severity)
                                               : ColumnText(a, m_nSortColumn).compare(ColumnText(b, m_nSortColumn));
        if (order != 0) return m_bAscending ? order < 0 : order > 0;
        return a.severity < b.severity;
    });
    Fill();
}

void CFilterReportDlg::Fill() {
    if (!m_list.m_hWnd) return;
    m_list.DeleteAllItems();
    for (size_t i = 0; i < m_findings.size(); ++i) {
        int nItem = m_list.InsertItem(static_cast<int>(i), ColumnText(m_findings[i], 0));
        for (int c = 1; c < kColumns; ++c) m_list.SetItemText(nItem, c, ColumnText(m_findings[i], c));
    }
    ::SetDlgItemTextW(m_hWnd, IDC_CHECK_SUMMARY, GetSummary().c_str());
    ::EnableWindow(GetDlgItemHwnd(IDC_CHECK_REMOVE), m_findings.empty() ? FALSE : TRUE);
}

CString CFilterReportDlg::GetSummary() const {
    std::wstring note = qx::DriverFileCheckNote();
    if (!note.empty()) note = L" " + note;
    if (m_findings.empty())
        return L"No problems found: every filter list names installed drivers that can start." + note;
    size_t errors = std::count_if(m_findings.begin(), m_findings.end(),
                                  [](const qx::Finding& f) { return f.severity == qx::Severity::Error; });
    std::vector<const qx::FilterTarget*> lists;
    for (const auto& f : m_findings)
        if (std::none_of(lists.begin(), lists.end(), [&](const qx::FilterTarget* t) { return SameTarget(*t, f.target); }))
            lists.push_back(&f.target);
    return Counted(errors, L"error", L"errors") + L" and " +
           Counted(m_findings.size() - errors, L"warning", L"warnings") + L" in " +
           Counted(lists.size(), L"filter list.", L"filter lists.") + note;
}

int CFilterReportDlg::SelectedItem() const {
    return static_cast<int>(m_list.SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CFilterReportDlg::GoToFinding(int nItem) {
    DriverClassList* pClasses = Classes();
    if (!pClasses || nItem < 0 || static_cast<size_t>(nItem) >= m_findings.size()) return;
    const qx::FilterTarget& target = m_findings[static_cast<size_t>(nItem)].target;
    auto* pTree = dynamic_cast<CVelorTreeView*>(m_pFrame->GetSplitter().GetPane(0, 0));
    CObject* pRecord = qx::FindDeviceRecord(*pClasses, target);
    HTREEITEM hItem = pRecord ? FindTreeItem(*pTree, pTree->GetRootItem(), pRecord) : nullptr;
    // A device without a node of its own in the tree is shown through its class.
    if (!hItem) hItem = FindTreeItem(*pTree, pTree->GetRootItem(), qx::FindClassRecord(*pClasses, target.classGuid));
    if (!hItem) return;
    pTree->SelectItem(hItem);
    pTree->SendMessage(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(hItem));
}

void CFilterReportDlg::RemoveBrokenNames(int nItem) {
    DriverClassList* pClasses = Classes();
    if (!pClasses || nItem < 0 || static_cast<size_t>(nItem) >= m_findings.size()) return;
    const qx::Finding finding = m_findings[static_cast<size_t>(nItem)];
    auto* pForm = dynamic_cast<CInfoView*>(m_pFrame->GetSplitter().GetPane(0, 1));
    if (!pForm || pForm->IsSafeMode()) {
        AfxMessageBox(L"Safe Mode is on, so no filter list can be changed. Turn Safe Mode off in the "
                      L"Options menu first.",
                      MB_OK | MB_ICONINFORMATION);
        return;
    }
    // The list as stored now, not as it was when the check ran.
    qx::StoredList stored;
    CDriverClass* pClass = qx::FindClassRecord(*pClasses, finding.target.classGuid);
    CDevice* pDevice = qx::FindDeviceRecord(*pClasses, finding.target);
    if (!pClass || (finding.target.IsDevice() && !pDevice) || !qx::ReadTargetList(*pClasses, finding.target, &stored)) {
        AfxMessageBox(L"The list of " + finding.targetText + L" can no longer be read. Check Again to see "
                      L"the machine as it is now.", MB_OK | MB_ICONHAND);
        return;
    }
    StringList repaired = qx::RepairedList(finding.target, stored);
    std::wstring newText = repaired.empty() ? L"(none: the value is removed)" : qx::JoinList(repaired);
    if (qx::StoredListText(stored) == newText && qx::TakeApart(stored).isList) {
        AfxMessageBox(L"Nothing in this list can be removed: its names are not broken.", MB_OK | MB_ICONINFORMATION);
        return;
    }
    std::wstring question = qx::DefaultClassRules().CriticalQuestion(finding.target.classGuid);
    std::wstring text = finding.targetText + L", " + ListText(finding.target) + L"\n\nStored: " +
                        qx::StoredListText(stored) + L"\nNew: " + newText + L"\n\n" +
                        (question.empty() ? L"Write the new list?" : question);
    if (AfxMessageBox(text, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) return;

    bool bStored = pDevice ? (finding.target.upper ? pDevice->SetUpperFilters(repaired)
                                                   : pDevice->SetLowerFilters(repaired))
                           : (finding.target.upper ? pClass->SetUpperFilters(repaired)
                                                   : pClass->SetLowerFilters(repaired));
    // The form shows the records' lists: show its record again when it holds the one changed.
    CObject* pShown = pForm->GetCurrentDevice() ? static_cast<CObject*>(pForm->GetCurrentDevice())
                                                : pForm->GetCurrentClass();
    if (bStored && pShown && (pShown == pDevice || pForm->GetCurrentClass() == pClass)) pForm->ShowRecord(pShown);
    Refresh();
}

void CFilterReportDlg::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult) {
    SortBy(reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iSubItem);
    *pResult = 0;
}

void CFilterReportDlg::OnItemActivate(NMHDR* pNMHDR, LRESULT* pResult) {
    GoToFinding(reinterpret_cast<NMITEMACTIVATE*>(pNMHDR)->iItem);
    *pResult = 0;
}

void CFilterReportDlg::OnRemove() {
    int nItem = SelectedItem();
    if (nItem < 0) {
        AfxMessageBox(L"Select a finding first: its list is the one changed.", MB_OK | MB_ICONINFORMATION);
        return;
    }
    RemoveBrokenNames(nItem);
}

void CFilterReportDlg::OnCheckAgain() { Refresh(); }

void CFilterReportDlg::OnOK() {
    if (::GetFocus() == m_list.m_hWnd) GoToFinding(SelectedItem());
}

void CFilterReportDlg::OnCancel() { DestroyWindow(); }
