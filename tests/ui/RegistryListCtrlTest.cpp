// The registry parameters list: texts shortened to their cells on a real device
// context, and rows drawn by the control itself, read back as pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ui/RegistryListCtrl.h"

namespace {

// ---- Shortening texts --------------------------------------------------------------

class FitTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        hDC = CreateCompatibleDC(nullptr);
        ASSERT_NE(nullptr, hDC);
        hOldFont = SelectObject(hDC, GetStockObject(DEFAULT_GUI_FONT));
    }
    void TearDown() override {
        SelectObject(hDC, hOldFont);
        DeleteDC(hDC);
    }
    int Width(const std::wstring& text) const {
        SIZE size = {0, 0};
        GetTextExtentPoint32W(hDC, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }
    // A shortened text is a head of the original followed by "...", fits with the
    // margin, and is the longest head that does (down to the first character).
    ::testing::AssertionResult IsLongestFittingHead(const std::wstring& text, const std::wstring& fitted, int width,
                                                    int margin) const {
        if (fitted.size() < 4 || fitted.compare(fitted.size() - 3, 3, L"...") != 0)
            return ::testing::AssertionFailure() << "no \"...\" after a head";
        std::wstring head = fitted.substr(0, fitted.size() - 3);
        if (text.compare(0, head.size(), head) != 0) return ::testing::AssertionFailure() << "not a head of the text";
        if (head.size() >= text.size()) return ::testing::AssertionFailure() << "the whole text with \"...\"";
        const int cxDots = Width(L"...");
        if (head.size() > 1 && Width(head) + margin + cxDots > width)
            return ::testing::AssertionFailure() << "head of " << head.size() << " does not fit";
        if (head.size() + 1 < text.size() && Width(text.substr(0, head.size() + 1)) + margin + cxDots <= width)
            return ::testing::AssertionFailure() << "a head of " << head.size() + 1 << " would fit too";
        return ::testing::AssertionSuccess();
    }

    HDC hDC = nullptr;
    HGDIOBJ hOldFont = nullptr;
};

TEST_F(FitTextTest, TextThatFitsExactlyWithItsMarginIsWholeAndAnyLessIsItsLongestFittingHead) {
    // Mixed widths, and a text far longer than a list cell's 259 characters.
    const std::wstring texts[] = {L"DriverDesc", L"iiiiWWWWiiiiWWWW",
                                  std::wstring(300, L'a') + std::wstring(200, L'M')};
    for (const std::wstring& text : texts) {
        for (int margin : {4, 10}) {
            const int exact = Width(text) + margin;
            EXPECT_EQ(text, CRegistryListCtrl::FitText(hDC, text, exact, margin));
            EXPECT_EQ(text, CRegistryListCtrl::FitText(hDC, text, exact + 40, margin));
            for (int width : {exact - 1, exact / 2, exact / 5}) {
                SCOPED_TRACE(width);
                CString fitted = CRegistryListCtrl::FitText(hDC, text, width, margin);
                EXPECT_TRUE(IsLongestFittingHead(text, fitted, width, margin));
            }
        }
    }
}

TEST_F(FitTextTest, NeverShortenedBelowTheFirstCharacter) {
    EXPECT_EQ(L"W...", CRegistryListCtrl::FitText(hDC, L"W", Width(L"W") + 3, 4));  // one character, no room
    EXPECT_EQ(L"W...", CRegistryListCtrl::FitText(hDC, L"Wide value", 5, 10));    // not even the first fits
    EXPECT_EQ(L"W...", CRegistryListCtrl::FitText(hDC, L"Wide value", 0, 0));
    EXPECT_EQ(L"", CRegistryListCtrl::FitText(hDC, L"", 0, 10));  // nothing to shorten
}

TEST_F(FitTextTest, CutsOnlyBetweenWholeCharacters) {
    // Characters beyond the first 65,536 take two UTF-16 units each.
    const std::wstring pair = L"\xD83D\xDE00";
    std::wstring text;
    for (int i = 0; i < 40; ++i) text += pair;
    for (int width = 0; width < Width(text) + 10; width += 3) {
        CString fitted = CRegistryListCtrl::FitText(hDC, text, width, 4);
        ASSERT_GE(fitted.size(), 2u);
        const size_t head = fitted.size() >= 3 && fitted.compare(fitted.size() - 3, 3, L"...") == 0 ? fitted.size() - 3
                                                                                                   : fitted.size();
        EXPECT_EQ(0u, head % 2) << "cut inside a pair at width " << width;
        EXPECT_EQ(0, text.compare(0, head, fitted, 0, head));
    }
}

// ---- Drawing rows --------------------------------------------------------------------

// The pixels of a window's client area, copied into a memory device context.
class Pixels {
public:
    explicit Pixels(HWND hWnd) {
        RECT rc;
        GetClientRect(hWnd, &rc);
        m_cx = rc.right;
        m_cy = rc.bottom;
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = m_cx;
        bi.bmiHeader.biHeight = -m_cy;  // top-down
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        HDC hWndDC = GetDC(hWnd);
        HDC hMemDC = CreateCompatibleDC(hWndDC);
        void* bits = nullptr;
        HBITMAP hBitmap = CreateDIBSection(hWndDC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ hOld = SelectObject(hMemDC, hBitmap);
        BitBlt(hMemDC, 0, 0, m_cx, m_cy, hWndDC, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* p = static_cast<const uint32_t*>(bits);
        m_pixels.assign(p, p + static_cast<size_t>(m_cx) * static_cast<size_t>(m_cy));
        SelectObject(hMemDC, hOld);
        DeleteObject(hBitmap);
        DeleteDC(hMemDC);
        ReleaseDC(hWnd, hWndDC);
    }
    COLORREF At(int x, int y) const {
        uint32_t v = m_pixels[static_cast<size_t>(y) * static_cast<size_t>(m_cx) + static_cast<size_t>(x)];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    // Share of the rectangle's pixels (clipped to the client area) that have the colour.
    double Share(RECT r, COLORREF colour) const {
        r.left = std::max(0L, r.left);
        r.top = std::max(0L, r.top);
        r.right = std::min(static_cast<LONG>(m_cx), r.right);
        r.bottom = std::min(static_cast<LONG>(m_cy), r.bottom);
        int total = 0, hits = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x, ++total) hits += At(x, y) == colour ? 1 : 0;
        return total ? static_cast<double>(hits) / total : 0.0;
    }
    // The columns in r where some pixel differs from the background; {-1, -1} when none.
    std::pair<int, int> InkSpan(const RECT& r, COLORREF background) const {
        int first = -1, last = -1;
        for (int x = std::max(0L, r.left); x < std::min(static_cast<LONG>(m_cx), r.right); ++x)
            for (int y = std::max(0L, r.top); y < std::min(static_cast<LONG>(m_cy), r.bottom); ++y)
                if (At(x, y) != background) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
        return {first, last};
    }

private:
    int m_cx = 0;
    int m_cy = 0;
    std::vector<uint32_t> m_pixels;
};

// A plain window holding the list and a button that can take the focus from it.
class RegistryListDrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        RECT rw = {40, 40, 740, 340};
        ASSERT_TRUE(window.CreateEx(0, nullptr, L"Registry list", WS_OVERLAPPEDWINDOW | WS_VISIBLE, rw, nullptr, 0));
        RECT rl = {10, 10, 650, 210};
        ASSERT_TRUE(list.CreateEx(WS_EX_CLIENTEDGE, WC_LISTVIEWW, nullptr,
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDRAWFIXED, rl, &window,
                                  1065));
        RECT rb = {10, 220, 110, 250};
        ASSERT_TRUE(button.CreateEx(0, L"BUTTON", L"Elsewhere", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, rb, &window, 1));
        SetForegroundWindow(window.m_hWnd);
        Pump();
    }
    void TearDown() override { window.DestroyWindow(); }

    void AddRow(const std::vector<std::wstring>& cells) {
        int nItem = list.InsertItem(list.GetItemCount(), cells[0]);
        for (size_t c = 1; c < cells.size(); ++c) list.SetItemText(nItem, static_cast<int>(c), cells[c]);
    }
    void Select(int nItem) {
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        list.SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item));
    }
    static void Pump() {
        MSG msg;
        for (int i = 0; i < 5; ++i) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            Sleep(10);
        }
    }
    // Lets the control repaint what it has invalidated by itself.
    void Settle() {
        Pump();
        list.UpdateWindow();
    }
    RECT Row(int nItem) const {
        RECT r = {};
        list.GetItemRect(nItem, &r, LVIR_BOUNDS);
        return r;
    }
    RECT Label(int nItem) const {
        RECT r = {};
        list.GetItemRect(nItem, &r, LVIR_LABEL);
        return r;
    }

    CWnd window;
    CRegistryListCtrl list;
    CWnd button;
};

TEST_F(RegistryListDrawingTest, SelectedRowIsHighlightedOnlyWhileTheListHasTheFocus) {
    list.InsertColumn(0, L"Key Name", LVCFMT_LEFT, 150);
    list.InsertColumn(1, L"Value Name", LVCFMT_LEFT, 150);
    list.InsertColumn(2, L"Type", LVCFMT_LEFT, 100);
    list.InsertColumn(3, L"Contents", LVCFMT_LEFT, 200);
    AddRow({L"Enum\\Root\\0000", L"DriverDesc", L"REG_SZ", L"Sample device"});
    AddRow({L"Enum\\Root\\0000", L"InfPath", L"REG_SZ", L"oem3.inf"});
    AddRow({L"Enum\\Root\\0000", L"MatchingDeviceId", L"REG_SZ", L"root\\sample"});
    Select(1);

    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF background = GetSysColor(COLOR_WINDOW);
    ASSERT_NE(highlight, background);

    list.SetFocus();
    ASSERT_EQ(list.m_hWnd, GetFocus());
    list.Invalidate();
    Settle();
    {
        Pixels shot(list.m_hWnd);
        EXPECT_GT(shot.Share(Row(1), highlight), 0.6);
        EXPECT_GT(shot.Share(Row(1), GetSysColor(COLOR_HIGHLIGHTTEXT)), 0.0);  // its text
        for (int nItem : {0, 2}) {
            SCOPED_TRACE(nItem);
            EXPECT_EQ(0.0, shot.Share(Row(nItem), highlight));
            EXPECT_GT(shot.Share(Row(nItem), background), 0.6);
            EXPECT_GT(shot.Share(Row(nItem), GetSysColor(COLOR_WINDOWTEXT)), 0.0);
        }
    }

    // The focus moves to the button: the control repaints the row, now like the others.
    button.SetFocus();
    ASSERT_EQ(button.m_hWnd, GetFocus());
    Settle();
    {
        Pixels shot(list.m_hWnd);
        EXPECT_EQ(0.0, shot.Share(Row(1), highlight));
        EXPECT_GT(shot.Share(Row(1), background), 0.6);
        EXPECT_GT(shot.Share(Row(1), GetSysColor(COLOR_WINDOWTEXT)), 0.0);
    }
    LVITEMW item = {};
    item.mask = LVIF_STATE;
    item.iItem = 1;
    item.stateMask = LVIS_SELECTED;
    ASSERT_TRUE(list.GetItem(&item));
    EXPECT_TRUE(item.state & LVIS_SELECTED);  // still selected, only not shown so

    // With LVS_SHOWSELALWAYS the selection shows without the focus too.
    list.ModifyStyle(0, LVS_SHOWSELALWAYS);
    list.Invalidate();
    Settle();
    {
        Pixels shot(list.m_hWnd);
        EXPECT_GT(shot.Share(Row(1), highlight), 0.6);
    }
}

TEST_F(RegistryListDrawingTest, CellTextsStayInsideTheirCellsAndFollowTheColumnFormat) {
    list.InsertColumn(0, L"Key Name", LVCFMT_LEFT, 90);
    list.InsertColumn(1, L"Value Name", LVCFMT_LEFT, 120);
    list.InsertColumn(2, L"Type", LVCFMT_RIGHT, 160);
    list.InsertColumn(3, L"Contents", LVCFMT_RIGHT, 120);
    // A key path far wider than its column, no value name, a short right-aligned type,
    // and contents too wide for their right-aligned column.
    AddRow({L"System\\CurrentControlSet\\Control\\Class\\{4d36e97d-e325-11ce-bfc1-08002be10318}\\0000", L"",
            L"REG_SZ", L"A description much wider than its column"});
    list.Invalidate();
    Settle();

    const COLORREF background = GetSysColor(COLOR_WINDOW);
    Pixels shot(list.m_hWnd);
    RECT row = Row(0);
    RECT label = Label(0);
    auto cell = [&](int left, int width) { return RECT{left, row.top, left + width, row.bottom}; };
    const RECT key = {label.left, row.top, label.right, row.bottom};
    const RECT name = cell(key.right, 120);
    const RECT type = cell(name.right, 160);
    const RECT contents = cell(type.right, 120);

    // The key path was shortened inside its cell and did not run into the next one.
    auto ink = shot.InkSpan(key, background);
    ASSERT_GE(ink.first, 0);
    EXPECT_GE(ink.first, key.left + 2);
    EXPECT_LT(ink.second, key.right - 2);
    EXPECT_EQ(-1, shot.InkSpan(name, background).first);  // empty, and nothing spilled into it

    // An unshortened text takes its column's alignment: right.
    ink = shot.InkSpan(type, background);
    ASSERT_GE(ink.first, 0);
    EXPECT_GT(ink.first, type.left + (type.right - type.left) / 2);
    EXPECT_LT(ink.second, type.right - 5);

    // A shortened one is drawn from the left whatever the column's format.
    ink = shot.InkSpan(contents, background);
    ASSERT_GE(ink.first, 0);
    EXPECT_LT(ink.first, contents.left + 5 + 4);
    EXPECT_LT(ink.second, contents.right - 5);
}

}  // namespace
