#include "ui/framework/StatusBar.h"

#include "ui/framework/CmdUI.h"
#include "ui/framework/FrameWnd.h"

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
    ON_WM_SIZE()
END_MESSAGE_MAP()

namespace {
// An indicator pane: its text shows while its command is enabled.
class CStatusCmdUI : public CCmdUI {
public:
    void Enable(BOOL bOn) override {
        m_bEnableChanged = TRUE;
        auto* pBar = static_cast<CStatusBar*>(m_pOther);
        int i = static_cast<int>(m_nIndex);
        CString text = bOn ? pBar->GetIndicatorText(i) : CString();
        if (pBar->GetPaneText(i) != text) pBar->SetPaneText(i, text);
    }
    void SetCheck(int) override {}
    void SetText(const CString& text) override {
        auto* pBar = static_cast<CStatusBar*>(m_pOther);
        pBar->SetPaneText(static_cast<int>(m_nIndex), text);
    }
};
const CString kEmpty;
}  // namespace

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
    DWORD dwWndStyle = SplitStyle(dwStyle) | WS_CHILD | SBARS_SIZEGRIP;
    RECT rect = {0, 0, 0, 0};
    if (!CWnd::CreateEx(0, STATUSCLASSNAMEW, nullptr, dwWndStyle, rect, pParentWnd, nID)) return FALSE;
    RegisterWithFrame(pParentWnd);
    return TRUE;
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount) {
    if (!m_hWnd || !lpIDArray || nIDCount <= 0 || nIDCount > 255) return FALSE;
    m_panes.clear();
    HDC hDC = GetDC(m_hWnd);
    HGDIOBJ hOldFont = SelectObject(hDC, reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
    BOOL bResult = TRUE;
    for (int i = 0; i < nIDCount; ++i) {
        Pane pane = {lpIDArray[i], CString(), 0};
        if (pane.nID != ID_SEPARATOR) {
            pane.strIndicator = AfxLoadString(pane.nID);
            if (pane.strIndicator.empty()) bResult = FALSE;
            SIZE size = {0, 0};
            GetTextExtentPoint32W(hDC, pane.strIndicator.c_str(), static_cast<int>(pane.strIndicator.size()), &size);
            pane.cxText = size.cx;
        }
        m_panes.push_back(pane);
    }
    SelectObject(hDC, hOldFont);
    ReleaseDC(m_hWnd, hDC);
    UpdateParts();
    return bResult;
}

UINT CStatusBar::GetItemID(int nIndex) const {
    return (nIndex >= 0 && nIndex < GetCount()) ? m_panes[static_cast<size_t>(nIndex)].nID : 0;
}

const CString& CStatusBar::GetIndicatorText(int nIndex) const {
    return (nIndex >= 0 && nIndex < GetCount()) ? m_panes[static_cast<size_t>(nIndex)].strIndicator : kEmpty;
}

CString CStatusBar::GetPaneText(int nIndex) const {
    LRESULT len = SendMessage(SB_GETTEXTLENGTHW, static_cast<WPARAM>(nIndex));
    std::wstring text(static_cast<size_t>(LOWORD(len)) + 1, L'\0');
    SendMessage(SB_GETTEXTW, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(LOWORD(len));
    return text;
}

BOOL CStatusBar::SetPaneText(int nIndex, const CString& text) {
    return SendMessage(SB_SETTEXTW, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(text.c_str())) != 0;
}

void CStatusBar::UpdateParts() {
    if (m_panes.empty()) return;
    RECT rc;
    GetClientRect(&rc);
    // The message pane takes what the indicators leave; the last pane reaches the edge.
    const int margin = 12;
    const int grip = GetSystemMetrics(SM_CXVSCROLL);
    std::vector<int> rights(m_panes.size());
    int right = rc.right - grip;
    for (size_t i = m_panes.size(); i-- > 1;) {
        rights[i] = (i == m_panes.size() - 1) ? -1 : right;
        right -= m_panes[i].cxText + margin;
    }
    rights[0] = right > 0 ? right : 0;
    SendMessage(SB_SETPARTS, rights.size(), reinterpret_cast<LPARAM>(rights.data()));
}

void CStatusBar::OnSize(UINT, int, int) {
    Default();  // the control places itself first
    UpdateParts();
}

SIZE CStatusBar::CalcFixedLayout(BOOL, BOOL) {
    // The control works out its own height from its font.
    RECT rc;
    GetWindowRect(&rc);
    return {32767, rc.bottom - rc.top};
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL) {
    CStatusCmdUI state;
    state.m_pOther = this;
    for (size_t i = 0; i < m_panes.size(); ++i) {
        if (m_panes[i].nID == ID_SEPARATOR) continue;
        state.m_nID = m_panes[i].nID;
        state.m_nIndex = static_cast<UINT>(i);
        state.DoUpdate(pTarget, FALSE);
    }
}
