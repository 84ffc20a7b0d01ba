#include "ui/framework/FormView.h"

#include <algorithm>

#include "ui/framework/FrameWnd.h"

IMPLEMENT_DYNAMIC(CFormView, CView)

BEGIN_MESSAGE_MAP(CFormView, CView)
    ON_WM_PAINT()  // the dialog paints itself
    ON_WM_SIZE()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_MOUSEWHEEL()
    ON_WM_SETFOCUS()
END_MESSAGE_MAP()

BOOL CFormView::Create(LPCWSTR, LPCWSTR, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
                       CCreateContext* pContext) {
    if (!pParentWnd || m_hWnd) return FALSE;
    // The object owns the dialog from WM_INITDIALOG on (AfxDlgProc).
    HWND hWnd = CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), pParentWnd->m_hWnd,
                                   AfxDlgProc, reinterpret_cast<LPARAM>(this));
    if (!hWnd || FromHandlePermanent(hWnd) != this) {
        if (hWnd) ::DestroyWindow(hWnd);
        return FALSE;
    }
    RECT rcTemplate;
    GetWindowRect(&rcTemplate);
    m_sizeTotal = {rcTemplate.right - rcTemplate.left, rcTemplate.bottom - rcTemplate.top};
    SetWindowLongPtrW(m_hWnd, GWLP_ID, static_cast<LONG_PTR>(nID));
    ModifyStyle(WS_POPUP | WS_CAPTION, WS_CHILD | (dwStyle & WS_VISIBLE));
    SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE,
                      GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) | WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT);
    SetWindowPos(m_hWnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if (dwStyle & WS_VISIBLE) ShowWindow(SW_SHOWNOACTIVATE);
    AttachToDocument(pContext);
    return TRUE;
}

void CFormView::OnInitialUpdate() {
    UpdateData(FALSE);
    CView::OnInitialUpdate();
}

void CFormView::OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) {
    if (!bActivate) {
        HWND hFocus = ::GetFocus();
        if (hFocus && ::IsChild(m_hWnd, hFocus)) m_hWndFocus = hFocus;
    }
    CView::OnActivateView(bActivate, pActivateView, pDeactiveView);
}

void CFormView::OnSetFocus(HWND) {
    // The control that had the focus last, else the first that takes it.
    HWND hTarget = (m_hWndFocus && ::IsWindow(m_hWndFocus) && ::IsChild(m_hWnd, m_hWndFocus) &&
                    ::IsWindowEnabled(m_hWndFocus) && ::IsWindowVisible(m_hWndFocus))
                       ? m_hWndFocus
                       : GetNextDlgTabItem(m_hWnd, nullptr, FALSE);
    if (hTarget)
        ::SetFocus(hTarget);
    else
        Default();
}

BOOL CFormView::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST) return FALSE;
    if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd)) return FALSE;
    // The frame's accelerators first: the dialog manager would take F-keys and Enter.
    if (CFrameWnd* pFrame = GetParentFrame()) {
        if (pFrame->PreTranslateMessage(pMsg)) return TRUE;
    }
    return ::IsDialogMessageW(m_hWnd, pMsg);
}

namespace {
// The character after the text's mnemonic '&' ("&&" is a plain '&'); 0 when it has none.
wchar_t MnemonicOf(const wchar_t* text) {
    for (const wchar_t* p = text; *p; ++p) {
        if (*p != L'&') continue;
        if (p[1] != L'&') return p[1];
        ++p;
    }
    return 0;
}

wchar_t UpperChar(wchar_t c) {
    CharUpperBuffW(&c, 1);
    return c;
}
}  // namespace

BOOL CFormView::PressButtonMnemonic(wchar_t key) {
    if (!m_hWnd || !key) return FALSE;
    for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        if ((GetWindowLongW(h, GWL_STYLE) & (WS_VISIBLE | WS_DISABLED)) != WS_VISIBLE) continue;
        if (!(::SendMessageW(h, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) continue;
        wchar_t text[256] = {};
        ::GetWindowTextW(h, text, 256);
        const wchar_t mnemonic = MnemonicOf(text);
        if (!mnemonic || UpperChar(mnemonic) != UpperChar(key)) continue;
        ::SendMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(h), BN_CLICKED), reinterpret_cast<LPARAM>(h));
        return TRUE;
    }
    return FALSE;
}

void CFormView::UpdateBars() {
    if (m_bInUpdateBars || !m_hWnd) return;
    m_bInUpdateBars = true;
    RECT rc;
    GetClientRect(&rc);
    SCROLLINFO si = {};
    si.cbSize = sizeof(si);
    si.fMask = SIF_PAGE | SIF_RANGE;
    si.nMin = 0;
    si.nMax = m_sizeTotal.cx - 1;
    si.nPage = static_cast<UINT>(std::max(0L, rc.right));
    SetScrollInfo(m_hWnd, SB_HORZ, &si, TRUE);
    si.nMax = m_sizeTotal.cy - 1;
    GetClientRect(&rc);  // the horizontal bar may have taken some height
    si.nPage = static_cast<UINT>(std::max(0L, rc.bottom));
    SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
    GetClientRect(&rc);
    // Keep the scroll position inside what can be scrolled now.
    POINT pt = m_ptScroll;
    pt.x = std::max(0L, std::min(pt.x, m_sizeTotal.cx - rc.right));
    pt.y = std::max(0L, std::min(pt.y, m_sizeTotal.cy - rc.bottom));
    m_bInUpdateBars = false;
    ScrollToPosition(pt);
}

void CFormView::ScrollToPosition(POINT pt) {
    RECT rc;
    GetClientRect(&rc);
    pt.x = std::max(0L, std::min(pt.x, std::max(0L, m_sizeTotal.cx - rc.right)));
    pt.y = std::max(0L, std::min(pt.y, std::max(0L, m_sizeTotal.cy - rc.bottom)));
    int dx = m_ptScroll.x - pt.x;
    int dy = m_ptScroll.y - pt.y;
    m_ptScroll = pt;
    SetScrollPos(m_hWnd, SB_HORZ, pt.x, TRUE);
    SetScrollPos(m_hWnd, SB_VERT, pt.y, TRUE);
    if (dx || dy) ScrollWindowEx(m_hWnd, dx, dy, nullptr, nullptr, nullptr, nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
}

void CFormView::OnSize(UINT, int, int) { UpdateBars(); }

void CFormView::OnHScroll(UINT nSBCode, UINT, HWND hScrollBar) {
    if (hScrollBar)
        Default();  // a scroll bar control of the form, not the form's own
    else
        OnScroll(SB_HORZ, nSBCode);
}

void CFormView::OnVScroll(UINT nSBCode, UINT, HWND hScrollBar) {
    if (hScrollBar)
        Default();
    else
        OnScroll(SB_VERT, nSBCode);
}

void CFormView::OnScroll(int nBar, UINT nCode) {
    SCROLLINFO si = {};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    if (!GetScrollInfo(m_hWnd, nBar, &si)) return;
    const int line = 16;
    int page = static_cast<int>(si.nPage);
    int pos = si.nPos;
    switch (nCode) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = si.nMax; break;
    default: return;
    }
    POINT pt = m_ptScroll;
    (nBar == SB_HORZ ? pt.x : pt.y) = pos;
    ScrollToPosition(pt);
}

void CFormView::OnMouseWheel(UINT, short zDelta, POINT) {
    POINT pt = m_ptScroll;
    pt.y -= zDelta * 48 / WHEEL_DELTA;
    ScrollToPosition(pt);
}
