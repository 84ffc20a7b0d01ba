// The Check Filters report (template 160), modeless beside the main frame: one row per
// finding of the filter check, sortable by column, errors first; a row opened (double
// click or Enter) selects its class or device in the tree; Remove Broken Names writes
// the finding's list without them, after the user saw old and new list and agreed.
#pragma once
#include "model/FilterCheck.h"
#include "ui/ReportList.h"
#include "ui/framework/Dialog.h"

class CMainFrame;

class CFilterReportDlg : public CDialog {
public:
    enum Column { kSeverity, kTarget, kList, kName, kRule, kSentence, kColumns };

    explicit CFilterReportDlg(CMainFrame* pFrame);

    BOOL Create();     // the modeless window, owned by the frame
    void Refresh();    // runs the check again and shows its findings
    // Sorts by the column; the same column again reverses the order.
    void SortBy(int nColumn);
    void GoToFinding(int nItem);          // selects the row's class or device in the tree
    void RemoveBrokenNames(int nItem);    // the row's list, without its broken names

    CListCtrl& GetList() { return m_list; }
    CString GetSummary() const;
    // Every row as shown, under a heading line: tab-separated, or as CSV.
    CString GetText(ReportFormat format) const;
    BOOL CopyToClipboard();
    bool SaveAs(const std::wstring& path);  // CSV in UTF-8 with a byte-order mark; tells the user when it fails
    CString GetDetail() const;              // the text below the list: the selected finding in full
    BOOL PreTranslateMessage(MSG* pMsg) override;  // the main window's shortcuts work here too

    // Public for the message map.
    void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemActivate(NMHDR* pNMHDR, LRESULT* pResult);
    void OnRemove();
    void OnCheckAgain();
    void OnCopy();
    void OnSaveAs();
    void OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnGetInfoTip(NMHDR* pNMHDR, LRESULT* pResult);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;      // Enter: opens the selected row
    void OnCancel() override;  // Close: the window goes
    void Sort();  // by the chosen column and direction, then shown
    void Fill();
    int SelectedItem() const;
    void ShowDetail();
    void FitSummary();  // the summary as tall as its text, the list below it
    DriverClassList* Classes() const;

    CMainFrame* m_pFrame;  // not owned
    CListCtrl m_list;
    qx::Findings m_findings;
    CReportSort m_sort;

    DECLARE_MESSAGE_MAP()
};
