#include "ui/framework/SplitterWnd.h"

#include <algorithm>

#include "ui/framework/FrameWnd.h"
#include "ui/framework/View.h"

IMPLEMENT_DYNAMIC(CSplitterWnd, CWnd)

BEGIN_MESSAGE_MAP(CSplitterWnd, CWnd)
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_SETCURSOR()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_KEYDOWN()
    ON_WM_CAPTURECHANGED()
    ON_WM_GETDLGCODE()
END_MESSAGE_MAP()

namespace {
const int kKeyboardStep = 8;  // pixels per arrow key while moving the bar
}

BOOL CSplitterWnd::CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle, UINT nID) {
    if (nRows < 1 || nCols < 1 || nRows > 16 || nCols > 16 || m_hWnd) return FALSE;
    m_nRows = nRows;
    m_nCols = nCols;
    m_rowInfo.assign(static_cast<size_t>(nRows), Info());
    m_colInfo.assign(static_cast<size_t>(nCols), Info());
    LPCWSTR cls = AfxRegisterWndClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                                      reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    RECT rect = {0, 0, 0, 0};
    return CWnd::CreateEx(0, cls, nullptr, dwStyle | WS_CHILD | WS_CLIPCHILDREN, rect, pParentWnd, nID);
}

BOOL CSplitterWnd::CreateView(int row, int col, const CRuntimeClass* pViewClass, SIZE sizeInit,
                              CCreateContext* pContext) {
    if (row < 0 || row >= m_nRows || col < 0 || col >= m_nCols || !pViewClass || GetPane(row, col)) return FALSE;
    m_colInfo[static_cast<size_t>(col)].nIdealSize = sizeInit.cx;
    m_rowInfo[static_cast<size_t>(row)].nIdealSize = sizeInit.cy;
    CObject* pObject = pViewClass->CreateObject();
    auto* pWnd = dynamic_cast<CWnd*>(pObject);
    if (!pWnd) {
        delete pObject;
        return FALSE;
    }
    RECT rect = {0, 0, sizeInit.cx, sizeInit.cy};
    if (!pWnd->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, rect, this, static_cast<UINT>(IdFromRowCol(row, col)),
                      pContext))
        return FALSE;  // the view went with its window
    RecalcLayout();
    return TRUE;
}

CWnd* CSplitterWnd::GetPane(int row, int col) const {
    return FromHandlePermanent(::GetDlgItem(m_hWnd, IdFromRowCol(row, col)));
}

void CSplitterWnd::RecalcLayout() {
    if (!m_hWnd || m_nCols == 0) return;
    RECT rc;
    GetClientRect(&rc);
    // Columns take their ideal widths from the left; the last takes what remains.
    int x = 0;
    int width = rc.right;
    for (int c = 0; c < m_nCols; ++c) {
        Info& info = m_colInfo[static_cast<size_t>(c)];
        int remaining = std::max(0, width - x);
        if (c == m_nCols - 1)
            info.nCurSize = remaining;
        else
            info.nCurSize = std::min(std::max(info.nIdealSize, 0), remaining);
        x += info.nCurSize + (c < m_nCols - 1 ? m_cxSplitter : 0);
    }
    int y = 0;
    for (int r = 0; r < m_nRows; ++r) {
        Info& info = m_rowInfo[static_cast<size_t>(r)];
        int remaining = std::max(0, static_cast<int>(rc.bottom) - y);
        info.nCurSize = (r == m_nRows - 1) ? remaining : std::min(info.nIdealSize, remaining);
        int left = 0;
        for (int c = 0; c < m_nCols; ++c) {
            int cx = m_colInfo[static_cast<size_t>(c)].nCurSize;
            // A pane's old pixels are not kept: copied to the pane's new place they were
            // left showing where the pane's own painting does not reach (seen on Wine).
            if (HWND hPane = ::GetDlgItem(m_hWnd, IdFromRowCol(r, c)))
                ::SetWindowPos(hPane, nullptr, left, y, cx, info.nCurSize,
                               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
            left += cx + m_cxSplitter;
        }
        y += info.nCurSize + m_cxSplitter;
    }
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

int CSplitterWnd::HitTestBar(POINT pt) const {
    int x = 0;
    for (int c = 0; c < m_nCols - 1; ++c) {
        x += m_colInfo[static_cast<size_t>(c)].nCurSize;
        if (pt.x >= x && pt.x < x + m_cxSplitter) return c;
        x += m_cxSplitter;
    }
    return -1;
}

void CSplitterWnd::MoveBarTo(int xBar) {
    if (m_nTrackCol < 0) return;
    RECT rc;
    GetClientRect(&rc);
    int left = 0;
    for (int c = 0; c < m_nTrackCol; ++c) left += m_colInfo[static_cast<size_t>(c)].nCurSize + m_cxSplitter;
    Info& info = m_colInfo[static_cast<size_t>(m_nTrackCol)];
    int maxSize = std::max(0, static_cast<int>(rc.right) - left - m_cxSplitter);
    info.nIdealSize = std::min(std::max(xBar - left, 0), maxSize);
    RecalcLayout();
}

void CSplitterWnd::StartTracking(int col, bool bKeyboard) {
    m_bTracking = TRUE;
    m_bKeyboardTracking = bKeyboard;
    m_nTrackCol = col;
    m_nTrackStartSize = m_colInfo[static_cast<size_t>(col)].nIdealSize;
    m_hWndFocusBefore = ::GetFocus();
    SetCapture(m_hWnd);
    if (bKeyboard) SetFocus();  // the arrows come to us
}

void CSplitterWnd::StopTracking(bool bAccept) {
    if (!m_bTracking) return;
    m_bTracking = FALSE;
    if (!bAccept && m_nTrackCol >= 0) {
        m_colInfo[static_cast<size_t>(m_nTrackCol)].nIdealSize = m_nTrackStartSize;
        RecalcLayout();
    }
    m_nTrackCol = -1;
    if (GetCapture() == m_hWnd) ReleaseCapture();
    if (m_bKeyboardTracking) {
        m_bKeyboardTracking = false;
        // The focus goes back to the active view.
        CFrameWnd* pFrame = GetParentFrame();
        CView* pView = pFrame ? pFrame->GetActiveView() : nullptr;
        if (pView && pView->m_hWnd)
            pView->SetFocus();
        else if (m_hWndFocusBefore && IsWindow(m_hWndFocusBefore))
            ::SetFocus(m_hWndFocusBefore);
    }
}

void CSplitterWnd::DoKeyboardSplit() {
    if (m_nCols < 2 || m_bTracking) return;
    StartTracking(0, true);
    // Put the pointer on the bar, as a mouse drag would start there.
    RECT rc;
    GetClientRect(&rc);
    POINT pt = {m_colInfo[0].nCurSize + m_cxSplitter / 2, rc.bottom / 2};
    ClientToScreen(m_hWnd, &pt);
    SetCursorPos(pt.x, pt.y);
    SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
}

void CSplitterWnd::OnKeyDown(UINT nChar, UINT, UINT) {
    if (!m_bTracking) {
        Default();
        return;
    }
    int x = 0;
    for (int c = 0; c < m_nTrackCol; ++c) x += m_colInfo[static_cast<size_t>(c)].nCurSize + m_cxSplitter;
    x += m_colInfo[static_cast<size_t>(m_nTrackCol)].nCurSize;
    int step = (GetKeyState(VK_CONTROL) < 0) ? 1 : kKeyboardStep;
    switch (nChar) {
    case VK_LEFT: MoveBarTo(x - step); break;
    case VK_RIGHT: MoveBarTo(x + step); break;
    case VK_RETURN: StopTracking(true); break;
    case VK_ESCAPE: StopTracking(false); break;
    default: break;
    }
}

UINT CSplitterWnd::OnGetDlgCode() { return DLGC_WANTARROWS | DLGC_WANTALLKEYS; }

void CSplitterWnd::OnLButtonDown(UINT, POINT pt) {
    if (m_bTracking) {
        StopTracking(true);  // a click ends a keyboard move where the bar stands
        return;
    }
    int col = HitTestBar(pt);
    if (col < 0) return;
    int x = 0;
    for (int c = 0; c < col; ++c) x += m_colInfo[static_cast<size_t>(c)].nCurSize + m_cxSplitter;
    x += m_colInfo[static_cast<size_t>(col)].nCurSize;
    m_nTrackOffset = pt.x - x;
    StartTracking(col, false);
}

void CSplitterWnd::OnMouseMove(UINT, POINT point) {
    if (m_bTracking && !m_bKeyboardTracking) MoveBarTo(point.x - m_nTrackOffset);
}

void CSplitterWnd::OnLButtonUp(UINT, POINT) {
    if (m_bTracking && !m_bKeyboardTracking) StopTracking(true);
}

void CSplitterWnd::OnCaptureChanged(HWND hWnd) {
    if (m_bTracking && hWnd != m_hWnd) StopTracking(true);
}

BOOL CSplitterWnd::OnSetCursor(HWND hWnd, UINT nHitTest, UINT) {
    if (hWnd == m_hWnd && nHitTest == HTCLIENT) {
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(m_hWnd, &pt);
        if (m_bTracking || HitTestBar(pt) >= 0) {
            SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
            return TRUE;
        }
    }
    return static_cast<BOOL>(Default());
}

void CSplitterWnd::OnSize(UINT nType, int, int) {
    if (nType != SIZE_MINIMIZED) RecalcLayout();
}

void CSplitterWnd::OnPaint() {
    PAINTSTRUCT ps;
    HDC hDC = BeginPaint(m_hWnd, &ps);
    RECT rc;
    GetClientRect(&rc);
    int x = 0;
    for (int c = 0; c < m_nCols - 1; ++c) {
        x += m_colInfo[static_cast<size_t>(c)].nCurSize;
        RECT bar = {x, rc.top, x + m_cxSplitter, rc.bottom};
        FillRect(hDC, &bar, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(hDC, &bar, EDGE_RAISED, BF_LEFT | BF_RIGHT);
        x += m_cxSplitter;
    }
    EndPaint(m_hWnd, &ps);
}

int CSplitterWnd::PaneIndex(HWND hPane, int* pRow, int* pCol) const {
    for (int r = 0; r < m_nRows; ++r) {
        for (int c = 0; c < m_nCols; ++c) {
            HWND h = ::GetDlgItem(m_hWnd, IdFromRowCol(r, c));
            if (h && (h == hPane || IsChild(h, hPane))) {
                *pRow = r;
                *pCol = c;
                return r * m_nCols + c;
            }
        }
    }
    return -1;
}

BOOL CSplitterWnd::CanActivateNext(BOOL) const { return m_nRows * m_nCols > 1; }

void CSplitterWnd::ActivateNext(BOOL bPrev) {
    CFrameWnd* pFrame = GetParentFrame();
    CView* pActive = pFrame ? pFrame->GetActiveView() : nullptr;
    int row = 0, col = 0;
    int count = m_nRows * m_nCols;
    int index = pActive ? PaneIndex(pActive->m_hWnd, &row, &col) : -1;
    if (index < 0) index = bPrev ? 0 : count - 1;  // no active pane of ours: start at an end
    // The next pane in reading order that holds a view, wrapping round.
    for (int step = 1; step <= count; ++step) {
        int next = ((index + (bPrev ? -step : step)) % count + count) % count;
        CWnd* pPane = GetPane(next / m_nCols, next % m_nCols);
        if (pPane && pPane->IsKindOf(RUNTIME_CLASS(CView))) {
            SetActivePane(next / m_nCols, next % m_nCols);
            return;
        }
    }
}

void CSplitterWnd::SetActivePane(int row, int col) {
    CWnd* pPane = GetPane(row, col);
    CFrameWnd* pFrame = GetParentFrame();
    if (!pPane) return;
    if (pFrame && pPane->IsKindOf(RUNTIME_CLASS(CView)))
        pFrame->SetActiveView(static_cast<CView*>(pPane));
    else
        pPane->SetFocus();
}
