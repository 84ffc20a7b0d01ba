// The frame's control bars, menu item updates and status-line prompts.
#include <algorithm>

#include "ui/framework/CmdUI.h"
#include "ui/framework/ControlBar.h"
#include "ui/framework/FrameWnd.h"

void CFrameWnd::AddControlBar(CControlBar* pBar) {
    if (std::find(m_listControlBar.begin(), m_listControlBar.end(), pBar) == m_listControlBar.end())
        m_listControlBar.push_back(pBar);
}

void CFrameWnd::RemoveControlBar(CControlBar* pBar) {
    m_listControlBar.erase(std::remove(m_listControlBar.begin(), m_listControlBar.end(), pBar),
                           m_listControlBar.end());
}

CControlBar* CFrameWnd::GetControlBar(UINT nID) const {
    for (CControlBar* pBar : m_listControlBar) {
        if (pBar->m_hWnd && static_cast<UINT>(pBar->GetDlgCtrlID()) == nID) return pBar;
    }
    return nullptr;
}

void CFrameWnd::EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle & CBRS_ALIGN_ANY; }

void CFrameWnd::DockControlBar(CControlBar* pBar, UINT nDockBarID) {
    DWORD allowed = pBar->GetDockStyle() & m_dwDockStyle;
    DWORD side = 0;
    switch (nDockBarID) {
    case AFX_IDW_DOCKBAR_TOP: side = CBRS_ALIGN_TOP; break;
    case AFX_IDW_DOCKBAR_BOTTOM: side = CBRS_ALIGN_BOTTOM; break;
    case AFX_IDW_DOCKBAR_LEFT: side = CBRS_ALIGN_LEFT; break;
    case AFX_IDW_DOCKBAR_RIGHT: side = CBRS_ALIGN_RIGHT; break;
    default:
        for (DWORD s : {CBRS_ALIGN_TOP, CBRS_ALIGN_BOTTOM, CBRS_ALIGN_LEFT, CBRS_ALIGN_RIGHT}) {
            if (allowed & s) {
                side = s;
                break;
            }
        }
        break;
    }
    if (!side || !(allowed & side)) return;  // docking not enabled on that side
    pBar->SetBarStyle((pBar->GetBarStyle() & ~static_cast<DWORD>(CBRS_ALIGN_ANY)) | side);
    RecalcLayout();
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL) {
    pBar->ShowWindow(bShow ? SW_SHOWNOACTIVATE : SW_HIDE);
    RecalcLayout();
}

void CFrameWnd::RecalcLayout(BOOL) {
    if (!m_hWnd) return;
    RECT rc;
    GetClientRect(&rc);
    for (CControlBar* pBar : m_listControlBar) {
        if (!pBar->m_hWnd || !(pBar->GetStyle() & WS_VISIBLE)) continue;
        DWORD align = pBar->GetBarStyle() & CBRS_ALIGN_ANY;
        SIZE size = pBar->CalcFixedLayout(TRUE, (align & CBRS_ORIENT_HORZ) != 0);
        RECT r = rc;
        if (align & CBRS_ALIGN_BOTTOM) {
            r.top = std::max(rc.top, rc.bottom - size.cy);
            rc.bottom = r.top;
        } else if (align & CBRS_ALIGN_LEFT) {
            r.right = std::min(rc.right, rc.left + size.cx);
            rc.left = r.right;
        } else if (align & CBRS_ALIGN_RIGHT) {
            r.left = std::max(rc.left, rc.right - size.cx);
            rc.right = r.left;
        } else {
            r.bottom = std::min(rc.bottom, rc.top + size.cy);
            rc.top = r.bottom;
        }
        pBar->MoveWindow(r);
    }
    if (HWND hPane = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST))
        ::MoveWindow(hPane, rc.left, rc.top, std::max(0L, rc.right - rc.left), std::max(0L, rc.bottom - rc.top),
                     TRUE);
}

CWnd* CFrameWnd::GetMessageBar() const { return GetControlBar(AFX_IDW_STATUS_BAR); }

void CFrameWnd::SetMessageText(const CString& text) {
    if (CWnd* pBar = GetMessageBar()) pBar->SendMessage(SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void CFrameWnd::SetMessageText(UINT nID) {
    CString text;
    if (nID == AFX_IDS_IDLEMESSAGE)
        text = m_strIdleMessage.empty() ? AfxLoadString(AFX_IDS_IDLEMESSAGE) : m_strIdleMessage;
    else if (nID != 0)
        text = AfxExtractSubString(AfxLoadString(nID), 0);  // the prompt, before the tooltip
    SetMessageText(text);
}

void CFrameWnd::SetIdleMessage(const CString& text) {
    m_strIdleMessage = text;
    if (m_nIDTracking == AFX_IDS_IDLEMESSAGE && !m_bMenuActive) SetMessageText(AFX_IDS_IDLEMESSAGE);
}

LRESULT CFrameWnd::OnSetMessageString(WPARAM wParam, LPARAM lParam) {
    UINT nPrevious = m_nIDTracking;
    if (lParam) {
        SetMessageText(CString(reinterpret_cast<LPCWSTR>(lParam)));
        m_nIDTracking = 0;
    } else {
        m_nIDTracking = static_cast<UINT>(wParam);
        SetMessageText(m_nIDTracking);
    }
    return nPrevious;
}

LRESULT CFrameWnd::OnPopMessageString(WPARAM, LPARAM) {
    if (!m_bMenuActive) OnSetMessageString(AFX_IDS_IDLEMESSAGE, 0);
    return 0;
}

void CFrameWnd::OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu) {
    if (nFlags == 0xFFFF && !hSysMenu) {
        m_bMenuActive = FALSE;  // the menu closed
        OnSetMessageString(AFX_IDS_IDLEMESSAGE, 0);
        return;
    }
    m_bMenuActive = TRUE;
    UINT nID = (nFlags & (MF_POPUP | MF_SEPARATOR | MF_SYSMENU)) ? 0 : nItemID;
    if (nID != m_nIDTracking || nID == 0) OnSetMessageString(nID, 0);
}

void CFrameWnd::OnExitMenuLoop(BOOL) {
    m_bMenuActive = FALSE;
    OnSetMessageString(AFX_IDS_IDLEMESSAGE, 0);
}

void CFrameWnd::OnInitMenuPopup(HMENU hMenu, UINT, BOOL bSysMenu) {
    if (bSysMenu) {
        Default();
        return;
    }
    int count = GetMenuItemCount(hMenu);
    for (int i = 0; i < count; ++i) {
        UINT nID = GetMenuItemID(hMenu, i);
        if (nID == 0 || nID == static_cast<UINT>(-1)) continue;  // separator or popup
        CCmdUI state;
        state.m_nID = nID;
        state.m_nIndex = static_cast<UINT>(i);
        state.m_hMenu = hMenu;
        state.DoUpdate(this, TRUE);  // no handler anywhere: greyed
    }
}

BOOL CFrameWnd::OnBarCheck(UINT nID) {
    CControlBar* pBar = GetControlBar(nID);
    if (!pBar) return FALSE;
    ShowControlBar(pBar, (pBar->GetStyle() & WS_VISIBLE) == 0);
    return TRUE;
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI) {
    CControlBar* pBar = GetControlBar(pCmdUI->m_nID);
    pCmdUI->Enable(pBar != nullptr);
    pCmdUI->SetCheck(pBar && (pBar->GetStyle() & WS_VISIBLE) ? 1 : 0);
}

void CFrameWnd::OnUpdateKeyIndicator(CCmdUI* pCmdUI) {
    int vk = pCmdUI->m_nID == ID_INDICATOR_CAPS ? VK_CAPITAL : pCmdUI->m_nID == ID_INDICATOR_NUM ? VK_NUMLOCK : VK_SCROLL;
    pCmdUI->Enable((GetKeyState(vk) & 1) != 0);
}

BOOL CFrameWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
    if (pNMHDR && pNMHDR->code == TTN_GETDISPINFOW) {
        // A toolbar button's tooltip: the part of its command's string after the prompt.
        auto* pInfo = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        if (!(pInfo->uFlags & TTF_IDISHWND)) {
            m_strTipText = AfxExtractSubString(AfxLoadString(static_cast<UINT>(pNMHDR->idFrom)), 1);
            pInfo->lpszText = const_cast<LPWSTR>(m_strTipText.c_str());
            pInfo->hinst = nullptr;
            *pResult = 0;
            return TRUE;
        }
    }
    return CWnd::OnNotify(wParam, lParam, pResult);
}
