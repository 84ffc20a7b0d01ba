// The sortable report lists of the Check Filters report and the change history: one
// row per element, headed from the string table, sorted by a clicked column (the same
// column again reverses), rows the column does not tell apart in a fixed order.
#pragma once
#include <algorithm>
#include <vector>

#include "ui/framework/ListCtrl.h"

struct ReportColumn {
    UINT nHeading;  // string id
    int nWidth;
};

// Binds the dialog's list nId: full-row selection, then the columns in order.
void SetUpReportList(CListCtrl& list, CWnd* pDialog, UINT nId, const ReportColumn* pColumns, int nColumns);

// Which column the rows are sorted by, and which way.
class CReportSort {
public:
    CReportSort(int nColumn, bool bAscending) : m_nColumn(nColumn), m_bAscending(bAscending) {}

    // A click on nColumn; false (and nothing changed) for a column the list does not have.
    bool Click(int nColumn, int nColumns) {
        if (nColumn < 0 || nColumn >= nColumns) return false;
        m_bAscending = nColumn == m_nColumn ? !m_bAscending : true;
        m_nColumn = nColumn;
        return true;
    }
    int Column() const { return m_nColumn; }

    // Stable: order(a, b) is negative, zero or positive in the sorted column; where it
    // is zero, before(a, b) decides.
    template <class Row, class Order, class Before>
    void Sort(std::vector<Row>& rows, Order order, Before before) const {
        std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
            const int n = order(a, b);
            if (n != 0) return m_bAscending ? n < 0 : n > 0;
            return before(a, b);
        });
    }

private:
    int m_nColumn;
    bool m_bAscending;
};

// A report as text: a heading line, then a line a row. Tab-separated for the clipboard;
// as CSV (RFC 4180: commas, fields with a comma, quote or line break quoted) for a file.
enum class ReportFormat { Tabs, Csv };
CString ReportCell(const CString& text, ReportFormat format);
template <class Row, class Text>
CString ReportText(const std::vector<Row>& rows, const ReportColumn* pColumns, int nColumns, Text text,
                   ReportFormat format) {
    const wchar_t* separator = format == ReportFormat::Csv ? L"," : L"\t";
    CString all;
    for (int c = 0; c < nColumns; ++c) all += (c ? separator : L"") + ReportCell(AfxLoadString(pColumns[c].nHeading), format);
    all += L"\r\n";
    for (const Row& row : rows) {
        for (int c = 0; c < nColumns; ++c) all += (c ? separator : L"") + ReportCell(text(row, c), format);
        all += L"\r\n";
    }
    return all;
}
// Puts the text on the clipboard as Unicode text; FALSE when the clipboard refused.
BOOL CopyTextToClipboard(HWND hOwner, const CString& text);
// Writes the text as UTF-8 with a byte-order mark; false with *error when it could not.
bool SaveUtf8File(const std::wstring& path, const CString& text, std::wstring* error);

// The rows shown, one item each, the cells from text(row, column).
template <class Row, class Text>
void FillReportList(CListCtrl& list, const std::vector<Row>& rows, int nColumns, Text text) {
    list.DeleteAllItems();
    for (size_t i = 0; i < rows.size(); ++i) {
        const int nItem = list.InsertItem(static_cast<int>(i), text(rows[i], 0));
        for (int c = 1; c < nColumns; ++c) list.SetItemText(nItem, c, text(rows[i], c));
    }
}
