#include "ui/ChangeHistoryDlg.h"

#include <algorithm>

#include "model/FilterStore.h"
#include "model/TextForms.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(CChangeHistoryDlg, CDialog)
    ON_NOTIFY(LVN_COLUMNCLICK, IDC_HISTORY_LIST, &CChangeHistoryDlg::OnColumnClick)
    ON_BN_CLICKED(IDC_HISTORY_COPY, &CChangeHistoryDlg::OnCopy)
END_MESSAGE_MAP()

namespace {

const wchar_t* const kHeadings[CChangeHistoryDlg::kColumns] = {L"#", L"Time (UTC)", L"Class or Device", L"List",
                                                               L"Old List", L"New List", L"Origin"};

}  // namespace

CChangeHistoryDlg::CChangeHistoryDlg(const qx::Journal* pJournal, const DriverClassList* pClasses, CWnd* pParent)
    : CDialog(IDD_CHANGE_HISTORY, pParent), m_pJournal(pJournal), m_pClasses(pClasses) {}

BOOL CChangeHistoryDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_list.SubclassDlgItem(IDC_HISTORY_LIST, this);
    m_list.SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    static const int kWidths[kColumns] = {35, 125, 220, 85, 150, 150, 80};
    for (int i = 0; i < kColumns; ++i) m_list.InsertColumn(i, kHeadings[i], LVCFMT_LEFT, kWidths[i]);

    qx::JournalContents contents;
    if (m_pJournal) contents = m_pJournal->Read();
    m_entries = std::move(contents.entries);
    if (!m_pJournal) {
        m_strSummary = L"There is no change journal: the common application data folder is unknown.";
    } else if (!contents.error.empty()) {
        m_strSummary = contents.error;
    } else {
        m_strSummary = std::to_wstring(m_entries.size()) + (m_entries.size() == 1 ? L" change" : L" changes") +
                       L" recorded in " + m_pJournal->Path() + L".";
        if (contents.skipped || contents.tornEnd)
            m_strSummary += L" " + std::to_wstring(contents.skipped + (contents.tornEnd ? 1 : 0)) +
                            L" damaged line(s) skipped.";
        if (contents.dropped) m_strSummary += L" " + std::to_wstring(contents.dropped) + L" older changes not shown.";
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
        if (!name.empty()) target += L" (" + name + L")";
        if (!entry.hive.empty()) target += L" in " + entry.hive;
        return target;
    }
    case kList: return qx::ListTitle(entry.upper);
    case kOld: return qx::StateText(entry.before);
    case kNew: return qx::StateText(entry.after);
    default: return qx::OriginText(entry);
    }
}

void CChangeHistoryDlg::SortBy(int nColumn) {
    if (nColumn < 0 || nColumn >= kColumns) return;
    m_bAscending = nColumn == m_nSortColumn ? !m_bAscending : true;
    m_nSortColumn = nColumn;
    Sort();
}

void CChangeHistoryDlg::Sort() {
    // Within equal keys, the newest change comes first.
    std::stable_sort(m_entries.begin(), m_entries.end(), [this](const qx::JournalEntry& a, const qx::JournalEntry& b) {
        int order = m_nSortColumn == kId ? (a.id < b.id ? -1 : a.id > b.id ? 1 : 0)
                                         : ColumnText(a, m_nSortColumn).compare(ColumnText(b, m_nSortColumn));
        if (order != 0) return m_bAscending ? order < 0 : order > 0;
        return a.id > b.id;
    });
    Fill();
}

void CChangeHistoryDlg::Fill() {
    if (!m_list.m_hWnd) return;
    m_list.DeleteAllItems();
    for (size_t i = 0; i < m_entries.size(); ++i) {
        int nItem = m_list.InsertItem(static_cast<int>(i), ColumnText(m_entries[i], 0));
        for (int c = 1; c < kColumns; ++c) m_list.SetItemText(nItem, c, ColumnText(m_entries[i], c));
    }
    ::SetDlgItemTextW(m_hWnd, IDC_HISTORY_SUMMARY, m_strSummary.c_str());
    ::EnableWindow(GetDlgItemHwnd(IDC_HISTORY_COPY), m_entries.empty() ? FALSE : TRUE);
}

CString CChangeHistoryDlg::GetText() const {
    CString text;
    for (int c = 0; c < kColumns; ++c) text += (c ? L"\t" : L"") + std::wstring(kHeadings[c]);
    text += L"\r\n";
    for (const auto& entry : m_entries) {
        for (int c = 0; c < kColumns; ++c) text += (c ? L"\t" : L"") + ColumnText(entry, c);
        text += L"\r\n";
    }
    return text;
}

BOOL CChangeHistoryDlg::CopyToClipboard() {
    const CString text = GetText();
    const size_t cb = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL hText = GlobalAlloc(GMEM_MOVEABLE, cb);
    if (!hText) return FALSE;
    if (void* p = GlobalLock(hText)) {
        memcpy(p, text.c_str(), cb);
        GlobalUnlock(hText);
    }
    if (!OpenClipboard(m_hWnd)) {
        GlobalFree(hText);
        return FALSE;
    }
    EmptyClipboard();
    // The clipboard owns the memory once it took it.
    BOOL bSet = SetClipboardData(CF_UNICODETEXT, hText) != nullptr;
    CloseClipboard();
    if (!bSet) GlobalFree(hText);
    return bSet;
}

void CChangeHistoryDlg::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult) {
    SortBy(reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iSubItem);
    *pResult = 0;
}

void CChangeHistoryDlg::OnCopy() {
    if (!CopyToClipboard())
        AfxMessageBox(L"The change history could not be put on the clipboard.", MB_OK | MB_ICONHAND);
}
