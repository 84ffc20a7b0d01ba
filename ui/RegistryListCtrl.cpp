#include "ui/RegistryListCtrl.h"

#include <algorithm>
#include <cwchar>

namespace {

const int kCchCell = 260;  // 259 characters and a terminator
const wchar_t kDots[] = L"...";
const int kCchDots = 3;
const int kFirstColumnMargin = 4;
const int kFirstColumnInset = 2;
const int kColumnMargin = 10;
const int kColumnInset = 5;
const UINT kCellFormat = DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | DT_VCENTER;

// Rows are drawn on the user-interface thread only, so two buffers serve every row:
// the cell text as the control hands it over, and its shortened form.
wchar_t s_szCell[kCchCell];
wchar_t s_szFitted[kCchCell];

int TextWidth(HDC hDC, const wchar_t* text, int cch) {
    SIZE size = {0, 0};
    GetTextExtentPoint32W(hDC, text, cch, &size);
    return size.cx;
}

// The text itself when it fits in nWidth with nMargin to spare; otherwise its head
// followed by "..." written into buf (room for cchBuf characters with the terminator),
// never less than the first character. *pcchOut receives the length drawn.
const wchar_t* FitInto(HDC hDC, const wchar_t* text, int cch, int nWidth, int nMargin, wchar_t* buf, int cchBuf,
                       int* pcchOut) {
    *pcchOut = cch;
    if (cch <= 0 || TextWidth(hDC, text, cch) + nMargin <= nWidth) return text;
    const int cxDots = TextWidth(hDC, kDots, kCchDots);
    // The longest head first; a head never grows past what the buffer holds with "...".
    int k = std::min(cch - 1, cchBuf - kCchDots - 1);
    while (k > 1 && TextWidth(hDC, text, k) + nMargin + cxDots > nWidth) --k;
    if (k < 1) k = 1;
    // Cut between whole characters: never between the two halves of a surrogate pair.
    auto isHigh = [](wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; };
    auto isLow = [](wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; };
    if (k < cch && isHigh(text[k - 1]) && isLow(text[k])) k += (k == 1) ? 1 : -1;
    std::copy(text, text + k, buf);
    std::copy(kDots, kDots + kCchDots + 1, buf + k);
    *pcchOut = k + kCchDots;
    return buf;
}

// Keeps a device context's text and background colours and gives them back at the end.
class DcColours {
public:
    DcColours(HDC hDC, COLORREF text, COLORREF back)
        : m_hDC(hDC), m_oldText(SetTextColor(hDC, text)), m_oldBack(SetBkColor(hDC, back)) {}
    ~DcColours() {
        SetTextColor(m_hDC, m_oldText);
        SetBkColor(m_hDC, m_oldBack);
    }
    DcColours(const DcColours&) = delete;
    DcColours& operator=(const DcColours&) = delete;

private:
    HDC m_hDC;
    COLORREF m_oldText;
    COLORREF m_oldBack;
};

// The row's one brush, deleted when the row is done.
class SolidBrush {
public:
    explicit SolidBrush(COLORREF colour) : m_hBrush(CreateSolidBrush(colour)) {}
    ~SolidBrush() {
        if (m_hBrush) DeleteObject(m_hBrush);
    }
    SolidBrush(const SolidBrush&) = delete;
    SolidBrush& operator=(const SolidBrush&) = delete;
    HBRUSH Get() const { return m_hBrush; }

private:
    HBRUSH m_hBrush;
};

}  // namespace

void CRegistryListCtrl::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
    HDC hDC = lpDrawItemStruct->hDC;
    const int nItem = static_cast<int>(lpDrawItemStruct->itemID);
    const bool bFocus = ::GetFocus() == m_hWnd;

    s_szCell[0] = L'\0';
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
    item.iItem = nItem;
    item.iSubItem = 0;
    item.stateMask = 0xFFFF;
    item.pszText = s_szCell;
    item.cchTextMax = kCchCell;
    if (!GetItem(&item)) return;
    // The control may answer with a pointer of its own instead of filling ours.
    const wchar_t* pszItem = (item.pszText && item.pszText != LPSTR_TEXTCALLBACKW) ? item.pszText : L"";

    const bool bSelected = ((item.state & LVIS_SELECTED) && (bFocus || (GetStyle() & LVS_SHOWSELALWAYS))) ||
                           (item.state & LVIS_DROPHILITED);

    RECT rcBounds = {};
    RECT rcLabel = {};
    GetItemRect(nItem, &rcBounds, LVIR_BOUNDS);
    GetItemRect(nItem, &rcLabel, LVIR_LABEL);
    RECT rcRow = rcBounds;
    rcRow.left = rcLabel.left;

    // Unselected rows are drawn in the window's own colours, whatever the control left
    // in the device context.
    const int nBack = bSelected ? COLOR_HIGHLIGHT : COLOR_WINDOW;
    DcColours colours(hDC, GetSysColor(bSelected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT), GetSysColor(nBack));
    SolidBrush brush(GetSysColor(nBack));
    if (brush.Get()) FillRect(hDC, &rcRow, brush.Get());

    // The first column: the item's own text in its label rectangle.
    RECT rcCell = rcLabel;
    int cch = 0;
    const int cchItem = static_cast<int>(wcsnlen(pszItem, kCchCell - 1));
    const wchar_t* pszDraw =
        FitInto(hDC, pszItem, cchItem, rcCell.right - rcCell.left, kFirstColumnMargin, s_szFitted, kCchCell, &cch);
    RECT rcText = rcCell;
    rcText.left += kFirstColumnInset;
    rcText.right -= kFirstColumnInset;
    DrawTextW(hDC, pszDraw, cch, &rcText, DT_LEFT | kCellFormat);

    // Every further column the control has, each cell beside the previous one.
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH;
    for (int nColumn = 1; GetColumn(nColumn, &column); ++nColumn) {
        rcCell.left = rcCell.right;
        rcCell.right += column.cx;

        s_szCell[0] = L'\0';
        LVITEMW sub = {};
        sub.iSubItem = nColumn;
        sub.pszText = s_szCell;
        sub.cchTextMax = kCchCell;
        const int cchSub = static_cast<int>(
            SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&sub)));
        if (cchSub <= 0 || s_szCell[0] == L'\0') continue;

        pszDraw = FitInto(hDC, s_szCell, std::min(cchSub, kCchCell - 1), rcCell.right - rcCell.left, kColumnMargin,
                          s_szFitted, kCchCell, &cch);
        UINT nAlign = DT_LEFT;
        if (pszDraw == s_szCell) {
            switch (column.fmt & LVCFMT_JUSTIFYMASK) {
            case LVCFMT_RIGHT: nAlign = DT_RIGHT; break;
            case LVCFMT_CENTER: nAlign = DT_CENTER; break;
            default: break;
            }
        }
        rcText = rcCell;
        rcText.left += kColumnInset;
        rcText.right -= kColumnInset;
        DrawTextW(hDC, pszDraw, cch, &rcText, nAlign | kCellFormat);
    }

    if ((item.state & LVIS_FOCUSED) && bFocus) DrawFocusRect(hDC, &rcRow);
}

CString CRegistryListCtrl::FitText(HDC hDC, const CString& text, int nWidth, int nMargin) {
    const int cch = static_cast<int>(text.size());
    CString fitted(text.size() + kCchDots + 1, L'\0');
    int cchOut = 0;
    const wchar_t* p = FitInto(hDC, text.c_str(), cch, nWidth, nMargin, &fitted[0], static_cast<int>(fitted.size()),
                               &cchOut);
    if (p == text.c_str()) return text;
    fitted.resize(static_cast<size_t>(cchOut));
    return fitted;
}
