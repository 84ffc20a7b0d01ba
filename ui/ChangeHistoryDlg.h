// Options > Change History (template 161), modal: every change in the change journal,
// newest first, one row each (time, class or device, list, old and new list, origin),
// sortable by column, and all of it copied to the clipboard as tab-separated text.
#pragma once
#include <vector>

#include "model/ClassList.h"
#include "model/Journal.h"
#include "ui/framework/Dialog.h"
#include "ui/ReportList.h"

class CChangeHistoryDlg : public CDialog {
public:
    enum Column { kId, kTime, kTarget, kList, kOld, kNew, kOrigin, kColumns };

    // The classes (may be null) give the targets their names.
    CChangeHistoryDlg(const qx::Journal* pJournal, const DriverClassList* pClasses, CWnd* pParent);

    // Sorts by the column; the same column again reverses the order.
    void SortBy(int nColumn);
    CString GetText() const;  // a heading line, then the rows as shown, tab-separated
    BOOL CopyToClipboard();

    CString GetSummary() const { return m_strSummary; }
    CListCtrl& GetList() { return m_list; }
    std::wstring ColumnText(const qx::JournalEntry& entry, int nColumn) const;

    // Public for the message map.
    void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnCopy();

protected:
    BOOL OnInitDialog() override;
    void Sort();
    void Fill();

    const qx::Journal* m_pJournal;
    const DriverClassList* m_pClasses;
    CListCtrl m_list;
    std::vector<qx::JournalEntry> m_entries;
    CString m_strSummary;
    CReportSort m_sort;  // newest first at opening

    DECLARE_MESSAGE_MAP()
};
