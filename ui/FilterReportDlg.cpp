#include "ui/FilterReportDlg.h"

#include <algorithm>

#include <windows.h>
#include <commdlg.h>

#include "model/DeviceRestart.h"
#include "model/DriverClass.h"
#include "model/FilterStore.h"
#include "model/ListValidation.h"
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
    ON_BN_CLICKED(IDC_CHECK_COPY, &CFilterReportDlg::OnCopy)
    ON_BN_CLICKED(IDC_CHECK_SAVE, &CFilterReportDlg::OnSaveAs)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_CHECK_LIST, &CFilterReportDlg::OnItemChanged)
    ON_NOTIFY(LVN_GETINFOTIPW, IDC_CHECK_LIST, &CFilterReportDlg::OnGetInfoTip)
END_MESSAGE_MAP()

namespace {

const ReportColumn kColumnSet[CFilterReportDlg::kColumns] = {
    {IDS_COLUMN_SEVERITY, 60}, {IDS_COLUMN_TARGET, 170}, {IDS_COLUMN_LIST, 120},
    {IDS_COLUMN_NAME, 110},    {IDS_COLUMN_RULE, 120},   {IDS_COLUMN_SENTENCE, 600}};

CString SeverityText(qx::Severity severity) {
    return AfxLoadString(severity == qx::Severity::Error ? IDS_SEVERITY_ERROR : IDS_SEVERITY_WARNING);
}

CString ListText(const qx::FilterTarget& target) {
    if (target.IsDevice()) return AfxLoadString(target.upper ? IDS_LIST_DEVICE_UPPER : IDS_LIST_DEVICE_LOWER);
    return AfxLoadString(target.upper ? IDS_LIST_CLASS_UPPER : IDS_LIST_CLASS_LOWER);
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

CString Counted(size_t n, UINT nOne, UINT nMany) { return AfxFormatStrings(n == 1 ? nOne : nMany, {std::to_wstring(n)}); }

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

CFilterReportDlg::CFilterReportDlg(CMainFrame* pFrame)
    : CDialog(IDD_FILTER_CHECK, pFrame), m_pFrame(pFrame), m_sort(kSeverity, true) {}

BOOL CFilterReportDlg::Create() { return CDialog::Create(IDD_FILTER_CHECK, m_pFrame); }

BOOL CFilterReportDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetUpReportList(m_list, this, IDC_CHECK_LIST, kColumnSet, kColumns);
    m_list.SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_INFOTIP, LVS_EX_INFOTIP);
    Refresh();
    return TRUE;
}

DriverClassList* CFilterReportDlg::Classes() const { return m_pFrame ? m_pFrame->GetDriverClasses() : nullptr; }

void CFilterReportDlg::Refresh() {
    // The finding selected now is selected again, or the row that takes its place.
    const int nSelected = SelectedItem();
    const bool bHadSelection = nSelected >= 0 && static_cast<size_t>(nSelected) < m_findings.size();
    const qx::Finding selected = bHadSelection ? m_findings[static_cast<size_t>(nSelected)] : qx::Finding();
    DriverClassList* pClasses = Classes();
    m_findings = pClasses ? qx::CheckAllFilters(*pClasses) : qx::Findings();
    if (CVelorTreeView* pTree = m_pFrame ? m_pFrame->GetClassTree() : nullptr) pTree->MarkFindings(m_findings);
    Sort();
    if (bHadSelection && !m_findings.empty() && m_list.m_hWnd) {
        int nItem = std::min(nSelected, static_cast<int>(m_findings.size()) - 1);
        for (size_t i = 0; i < m_findings.size(); ++i) {
            const qx::Finding& f = m_findings[i];
            if (SameTarget(f.target, selected.target) && f.name == selected.name && f.rule == selected.rule)
                nItem = static_cast<int>(i);
        }
        LVITEMW state{};
        state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
        m_list.SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&state));
        m_list.SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(nItem), FALSE);
    }
    ShowDetail();
    if (m_pFrame) m_pFrame->ReportDone(AfxFormatStrings(IDS_STATUS_CHECKED, {GetSummary()}));
}

void CFilterReportDlg::SortBy(int nColumn) {
    if (m_sort.Click(nColumn, kColumns)) Sort();
}

void CFilterReportDlg::Sort() {
    const int nColumn = m_sort.Column();
    // Within equal keys, errors stay before warnings, and the check's order holds.
    m_sort.Sort(
        m_findings,
        [&](const qx::Finding& a, const qx::Finding& b) {
            return nColumn == kSeverity ? static_cast<int>(a.severity) - static_cast<int>(b.severity)
                                        : ColumnText(a, nColumn).compare(ColumnText(b, nColumn));
        },
        [](const qx::Finding& a, const qx::Finding& b) { return a.severity < b.severity; });
    Fill();
}

void CFilterReportDlg::Fill() {
    if (!m_list.m_hWnd) return;
    FillReportList(m_list, m_findings, kColumns, ColumnText);
    ::SetDlgItemTextW(m_hWnd, IDC_CHECK_SUMMARY, GetSummary().c_str());
    FitSummary();
    ::EnableWindow(GetDlgItemHwnd(IDC_CHECK_REMOVE), m_findings.empty() ? FALSE : TRUE);
    ShowDetail();
}

void CFilterReportDlg::FitSummary() {
    HWND hSummary = GetDlgItemHwnd(IDC_CHECK_SUMMARY);
    if (!hSummary) return;
    RECT summary, list;
    ::GetWindowRect(hSummary, &summary);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&summary), 2);
    m_list.GetWindowRect(&list);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&list), 2);
    // The height the text takes at the summary's width, in the dialog's font.
    const CString text = GetSummary();
    RECT need = {0, 0, summary.right - summary.left, 0};
    HDC hDC = ::GetDC(hSummary);
    HGDIOBJ hOld = ::SelectObject(hDC, reinterpret_cast<HFONT>(::SendMessageW(hSummary, WM_GETFONT, 0, 0)));
    ::DrawTextW(hDC, text.c_str(), static_cast<int>(text.size()), &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(hSummary, hDC);
    const int gap = 4;
    const int top = summary.top + need.bottom + gap;
    ::MoveWindow(hSummary, summary.left, summary.top, summary.right - summary.left, need.bottom, TRUE);
    if (top != list.top && top < list.bottom - 20)
        m_list.MoveWindow(RECT{list.left, top, list.right, list.bottom});
}

CString CFilterReportDlg::GetDetail() const {
    const int nItem = SelectedItem();
    if (nItem < 0 || static_cast<size_t>(nItem) >= m_findings.size()) return CString();
    const qx::Finding& f = m_findings[static_cast<size_t>(nItem)];
    CString detail = f.targetText + L", " + ListText(f.target);
    if (!f.name.empty()) detail += L": " + f.name;
    return detail + L" (" + SeverityText(f.severity) + L", " + f.rule + L")\r\n" + f.sentence;
}

void CFilterReportDlg::ShowDetail() {
    if (m_hWnd) ::SetDlgItemTextW(m_hWnd, IDC_CHECK_DETAIL, GetDetail().c_str());
}

CString CFilterReportDlg::GetText(ReportFormat format) const {
    return ReportText(m_findings, kColumnSet, kColumns,
                      [](const qx::Finding& f, int c) { return CString(ColumnText(f, c)); }, format);
}

BOOL CFilterReportDlg::CopyToClipboard() {
    if (!CopyTextToClipboard(m_hWnd, GetText(ReportFormat::Tabs))) return FALSE;
    if (m_pFrame) m_pFrame->ReportDone(AfxFormatStrings(IDS_STATUS_COPIED, {std::to_wstring(m_findings.size())}));
    return TRUE;
}

bool CFilterReportDlg::SaveAs(const std::wstring& path) {
    std::wstring error;
    if (SaveUtf8File(path, GetText(ReportFormat::Csv), &error)) return true;
    AfxMessageBox(AfxFormatStrings(IDS_CHECK_SAVE_FAILED, {path, error}), MB_OK | MB_ICONHAND);
    return false;
}

void CFilterReportDlg::OnCopy() {
    if (!CopyToClipboard()) AfxMessageBox(IDS_CLIPBOARD_FAILED, MB_OK | MB_ICONHAND);
}

void CFilterReportDlg::OnSaveAs() {
    wchar_t file[MAX_PATH + 1] = L"filter-check.csv";
    CString filter = AfxLoadString(IDS_CHECK_SAVE_FILTER);  // '|' stands for the separating zeros
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH + 1;
    ofn.lpstrDefExt = L"csv";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (GetSaveFileNameW(&ofn)) SaveAs(file);
}

void CFilterReportDlg::OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult) {
    if (reinterpret_cast<NMLISTVIEW*>(pNMHDR)->uChanged & LVIF_STATE) ShowDetail();
    *pResult = 0;
}

void CFilterReportDlg::OnGetInfoTip(NMHDR* pNMHDR, LRESULT* pResult) {
    // The row's finding in full: its cells are cut at the column's width.
    auto* pTip = reinterpret_cast<NMLVGETINFOTIPW*>(pNMHDR);
    *pResult = 0;
    if (pTip->iItem < 0 || static_cast<size_t>(pTip->iItem) >= m_findings.size() || !pTip->pszText || pTip->cchTextMax <= 0)
        return;
    const std::wstring& text = m_findings[static_cast<size_t>(pTip->iItem)].sentence;
    const size_t cch = std::min(text.size(), static_cast<size_t>(pTip->cchTextMax - 1));
    text.copy(pTip->pszText, cch);
    pTip->pszText[cch] = L'\0';
}

BOOL CFilterReportDlg::PreTranslateMessage(MSG* pMsg) {
    if (m_pFrame && m_hWnd && pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST &&
        (pMsg->hwnd == m_hWnd || ::IsChild(m_hWnd, pMsg->hwnd)) && m_pFrame->PreTranslateMessage(pMsg))
        return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}

CString CFilterReportDlg::GetSummary() const {
    // No class read is no clean bill of health.
    const DriverClassList* pClasses = Classes();
    const std::wstring nothingRead = pClasses ? qx::NothingReadText(*pClasses) : std::wstring();
    if (!nothingRead.empty()) return nothingRead;
    std::wstring note = qx::DriverFileCheckNote();
    if (!note.empty()) note = L" " + note;
    if (m_findings.empty())
        return AfxLoadString(IDS_CHECK_NO_PROBLEMS) + note;
    size_t errors = std::count_if(m_findings.begin(), m_findings.end(),
                                  [](const qx::Finding& f) { return f.severity == qx::Severity::Error; });
    std::vector<const qx::FilterTarget*> lists;
    for (const auto& f : m_findings)
        if (std::none_of(lists.begin(), lists.end(), [&](const qx::FilterTarget* t) { return SameTarget(*t, f.target); }))
            lists.push_back(&f.target);
    return AfxFormatStrings(IDS_CHECK_SUMMARY, {Counted(errors, IDS_ONE_ERROR, IDS_ERRORS),
                                                Counted(m_findings.size() - errors, IDS_ONE_WARNING, IDS_WARNINGS),
                                                Counted(lists.size(), IDS_ONE_FILTER_LIST, IDS_FILTER_LISTS)}) +
           note;
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
        AfxMessageBox(IDS_SAFE_MODE_ON, MB_OK | MB_ICONINFORMATION);
        return;
    }
    // The list as stored now, not as it was when the check ran.
    qx::StoredList stored;
    CDriverClass* pClass = qx::FindClassRecord(*pClasses, finding.target.classGuid);
    CDevice* pDevice = qx::FindDeviceRecord(*pClasses, finding.target);
    if (!pClass || (finding.target.IsDevice() && !pDevice) || !qx::ReadTargetList(*pClasses, finding.target, &stored)) {
        AfxMessageBox(AfxFormatStrings(IDS_LIST_UNREADABLE, {finding.targetText}), MB_OK | MB_ICONHAND);
        return;
    }
    StringList repaired = qx::RepairedList(finding.target, stored);
    std::wstring newText = repaired.empty() ? AfxLoadString(IDS_LIST_REMOVED) : qx::JoinList(repaired);
    if (qx::StoredListText(stored) == newText && qx::TakeApart(stored).isList) {
        AfxMessageBox(IDS_NOTHING_TO_REMOVE, MB_OK | MB_ICONINFORMATION);
        return;
    }
    // Hidden names were never active: they stay out, and the question says which go.
    const StringList hidden = qx::TakeApart(stored).hidden;
    if (!hidden.empty()) newText = AfxFormatStrings(IDS_HIDDEN_DROPPED, {newText, qx::JoinList(hidden)});
    std::wstring text =
        AfxFormatStrings(IDS_REMOVE_QUESTION, {finding.targetText, ListText(finding.target), qx::StoredListText(stored),
                                               newText, AfxLoadString(IDS_WRITE_NEW_LIST)});
    if (AfxMessageBox(text, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) return;
    // Then what an edit of the list would be asked: the check's warnings, a class the
    // machine depends on.
    const qx::ListValidation checked = qx::ValidateNewList(&finding.target, repaired);
    if (checked.Refused()) {
        AfxMessageBox(checked.refusal, checked.refusalType);
        return;
    }
    for (const std::wstring& question : checked.questions)
        if (AfxMessageBox(question, qx::kValidationQuestionType) != IDYES) return;

    const bool bStored = (pDevice ? (finding.target.upper ? pDevice->SetUpperFilters(repaired)
                                                          : pDevice->SetLowerFilters(repaired))
                                  : (finding.target.upper ? pClass->SetUpperFilters(repaired)
                                                          : pClass->SetLowerFilters(repaired)))
                              .Done();
    // The form shows the records' lists: show its record again when it holds the one changed.
    CObject* pShown = pForm->GetCurrentDevice() ? static_cast<CObject*>(pForm->GetCurrentDevice())
                                                : pForm->GetCurrentClass();
    if (bStored && pShown && (pShown == pDevice || pForm->GetCurrentClass() == pClass)) pForm->ShowRecord(pShown);
    Refresh();
    if (bStored) qx::AskAndRestartDevices(*pClass, pDevice, qx::ListTitle(finding.target.upper));
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
        AfxMessageBox(IDS_SELECT_FINDING, MB_OK | MB_ICONINFORMATION);
        return;
    }
    RemoveBrokenNames(nItem);
}

void CFilterReportDlg::OnCheckAgain() { Refresh(); }

void CFilterReportDlg::OnOK() {
    if (::GetFocus() == m_list.m_hWnd) GoToFinding(SelectedItem());
}

void CFilterReportDlg::OnCancel() { DestroyWindow(); }
