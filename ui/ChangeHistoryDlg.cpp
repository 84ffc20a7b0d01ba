#include "ui/ChangeHistoryDlg.h"

#include "model/FilterStore.h"
#include "model/TextForms.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(CChangeHistoryDlg, CDialog)
    ON_NOTIFY(LVN_COLUMNCLICK, IDC_HISTORY_LIST, &CChangeHistoryDlg::OnColumnClick)
    ON_BN_CLICKED(IDC_HISTORY_COPY, &CChangeHistoryDlg::OnCopy)
END_MESSAGE_MAP()

namespace {

const ReportColumn kColumnSet[CChangeHistoryDlg::kColumns] = {
    {IDS_COLUMN_NUMBER, 35},    {IDS_COLUMN_TIME, 125},     {IDS_COLUMN_TARGET, 220}, {IDS_COLUMN_LIST, 85},
    {IDS_COLUMN_OLD_LIST, 150}, {IDS_COLUMN_NEW_LIST, 150}, {IDS_COLUMN_ORIGIN, 80}};

}  // namespace

CChangeHistoryDlg::CChangeHistoryDlg(const qx::Journal* pJournal, const DriverClassList* pClasses, CWnd* pParent)
    : CDialog(IDD_CHANGE_HISTORY, pParent), m_pJournal(pJournal), m_pClasses(pClasses), m_sort(kId, false) {}

BOOL CChangeHistoryDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetUpReportList(m_list, this, IDC_HISTORY_LIST, kColumnSet, kColumns);

    qx::JournalContents contents;
    if (m_pJournal) contents = m_pJournal->Read();
    m_entries = std::move(contents.entries);
    if (!m_pJournal) {
        m_strSummary = AfxLoadString(IDS_NO_JOURNAL);
    } else if (!contents.error.empty()) {
        m_strSummary = contents.error;
    } else {
        m_strSummary = AfxFormatStrings(m_entries.size() == 1 ? IDS_ONE_CHANGE : IDS_CHANGES,
                                        {std::to_wstring(m_entries.size()), m_pJournal->Path()});
        if (contents.skipped || contents.tornEnd)
            m_strSummary += L" " + AfxFormatStrings(IDS_DAMAGED_LINES,
                                                    {std::to_wstring(contents.skipped + (contents.tornEnd ? 1 : 0))});
        if (contents.idsNotRising || contents.idsMissing)
            m_strSummary += L" " + AfxFormatStrings(IDS_DAMAGED_IDS, {std::to_wstring(contents.idsNotRising),
                                                                      std::to_wstring(contents.idsMissing)});
        if (contents.dropped)
            m_strSummary += L" " + AfxFormatStrings(IDS_OLDER_NOT_SHOWN, {std::to_wstring(contents.dropped)});
    }
    Sort();
    return TRUE;
}

std::wstring CChangeHistoryDlg::ColumnText(const qx::JournalEntry& entry, int nColumn) const {
    switch (nColumn) {
    case kId: return std::to_wstring(entry.id);
    case kTime: return entry.time;
    case kTarget: {
        std::wstring name;
        qx::Guid guid;
        if (m_pClasses && qx::ParseGuid(entry.classGuid, &guid))
            for (const auto& record : *m_pClasses)
                if (record->GetGuid() == guid) name = record->GetDescription();
        std::wstring target = entry.deviceId.empty() ? entry.classGuid : entry.deviceId;
        if (!name.empty()) target = AfxFormatStrings(IDS_TARGET_NAMED, {name, target});
        if (!entry.hive.empty()) target = AfxFormatStrings(IDS_TARGET_IN_HIVE, {target, entry.hive});
        return target;
    }
    case kList: return qx::ListTitle(entry.upper);
    case kOld: return qx::StateText(entry.before);
    case kNew: return qx::StateText(entry.after);
    default: return qx::OriginText(entry);
    }
}

void CChangeHistoryDlg::SortBy(int nColumn) {
    if (m_sort.Click(nColumn, kColumns)) Sort();
}

void CChangeHistoryDlg::Sort() {
    const int nColumn = m_sort.Column();
    // Within equal keys, the newest change comes first.
    m_sort.Sort(
        m_entries,
        [&](const qx::JournalEntry& a, const qx::JournalEntry& b) {
            return nColumn == kId ? (a.id < b.id ? -1 : a.id > b.id ? 1 : 0)
                                  : ColumnText(a, nColumn).compare(ColumnText(b, nColumn));
        },
        [](const qx::JournalEntry& a, const qx::JournalEntry& b) { return a.id > b.id; });
    Fill();
}

void CChangeHistoryDlg::Fill() {
    if (!m_list.m_hWnd) return;
    FillReportList(m_list, m_entries, kColumns,
                   [this](const qx::JournalEntry& entry, int nColumn) { return ColumnText(entry, nColumn); });
    ::SetDlgItemTextW(m_hWnd, IDC_HISTORY_SUMMARY, m_strSummary.c_str());
    ::EnableWindow(GetDlgItemHwnd(IDC_HISTORY_COPY), m_entries.empty() ? FALSE : TRUE);
}

CString CChangeHistoryDlg::GetText() const {
    return ReportText(m_entries, kColumnSet, kColumns,
                      [this](const qx::JournalEntry& entry, int c) { return CString(ColumnText(entry, c)); },
                      ReportFormat::Tabs);
}

BOOL CChangeHistoryDlg::CopyToClipboard() { return CopyTextToClipboard(m_hWnd, GetText()); }

void CChangeHistoryDlg::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult) {
    SortBy(reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iSubItem);
    *pResult = 0;
}

void CChangeHistoryDlg::OnCopy() {
    if (!CopyToClipboard())
        AfxMessageBox(IDS_CLIPBOARD_FAILED, MB_OK | MB_ICONHAND);
}
