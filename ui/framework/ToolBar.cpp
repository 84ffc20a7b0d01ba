#include "ui/framework/ToolBar.h"

#include <algorithm>

#include "ui/framework/CmdUI.h"
#include "ui/framework/FrameWnd.h"

IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

BEGIN_MESSAGE_MAP(CToolBar, CControlBar)
    ON_NOTIFY_REFLECT(TBN_HOTITEMCHANGE, &CToolBar::OnHotItemChange)
    ON_WM_NCCALCSIZE()
    ON_WM_NCPAINT()
END_MESSAGE_MAP()

namespace {
const int kGripper = 8;  // room for the gripper before the first button

// A toolbar button as an ON_UPDATE_COMMAND_UI handler sees it.
class CToolCmdUI : public CCmdUI {
public:
    void Enable(BOOL bOn) override {
        m_bEnableChanged = TRUE;
        m_pOther->SendMessage(TB_ENABLEBUTTON, m_nID, MAKELPARAM(bOn ? TRUE : FALSE, 0));
    }
    void SetCheck(int nCheck) override {
        m_pOther->SendMessage(TB_CHECKBUTTON, m_nID, MAKELPARAM(nCheck ? TRUE : FALSE, 0));
    }
    void SetText(const CString&) override {}
};
}  // namespace

CToolBar::~CToolBar() {
    if (m_hbmImage) DeleteObject(m_hbmImage);
}

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, RECT rcBorders, UINT nID) {
    m_rcBorders = rcBorders;
    DWORD dwWndStyle = SplitStyle(dwStyle);
    dwWndStyle |= dwCtrlStyle | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
    if (m_dwStyle & CBRS_TOOLTIPS) dwWndStyle |= TBSTYLE_TOOLTIPS;
    RECT rect = {0, 0, 0, 0};
    if (!CWnd::CreateEx(0, TOOLBARCLASSNAMEW, nullptr, dwWndStyle | WS_CHILD, rect, pParentWnd, nID)) return FALSE;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    SendMessage(TB_SETMAXTEXTROWS, 0);
    RegisterWithFrame(pParentWnd);
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource) {
    if (!m_hWnd) return FALSE;
    HINSTANCE hInst = AfxGetResourceHandle();
    // The toolbar resource: version 1, button width and height, count, then the command ids.
    HRSRC hRsrc = FindResourceW(hInst, MAKEINTRESOURCEW(nIDResource), MAKEINTRESOURCEW(241));
    HGLOBAL hGlobal = hRsrc ? LoadResource(hInst, hRsrc) : nullptr;
    const auto* data = hGlobal ? static_cast<const WORD*>(LockResource(hGlobal)) : nullptr;
    DWORD cbData = hRsrc ? SizeofResource(hInst, hRsrc) : 0;
    if (!data || cbData < 4 * sizeof(WORD) || data[0] != 1) return FALSE;
    WORD count = data[3];
    if (cbData < (4u + count) * sizeof(WORD)) return FALSE;
    m_sizeImage = {data[1], data[2]};

    // The bitmap's greys follow the system's colours.
    HBITMAP hbm = CreateMappedBitmap(hInst, static_cast<INT_PTR>(nIDResource), 0, nullptr, 0);
    if (!hbm) return FALSE;
    BITMAP bm = {};
    GetObjectW(hbm, sizeof(bm), &bm);
    int nImages = m_sizeImage.cx > 0 ? bm.bmWidth / m_sizeImage.cx : 0;
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(m_sizeImage.cx, m_sizeImage.cy));
    TBADDBITMAP add = {nullptr, reinterpret_cast<UINT_PTR>(hbm)};
    if (SendMessage(TB_ADDBITMAP, static_cast<WPARAM>(nImages), reinterpret_cast<LPARAM>(&add)) == -1) {
        DeleteObject(hbm);
        return FALSE;
    }
    if (m_hbmImage) DeleteObject(m_hbmImage);
    m_hbmImage = hbm;

    std::vector<TBBUTTON> buttons;
    int iImage = 0;
    for (WORD i = 0; i < count; ++i) {
        TBBUTTON b = {};
        b.idCommand = data[4 + i];
        if (b.idCommand == 0) {
            b.fsStyle = BTNS_SEP;
        } else {
            b.iBitmap = iImage++;
            b.fsState = TBSTATE_ENABLED;
            b.fsStyle = BTNS_BUTTON;
        }
        buttons.push_back(b);
    }
    while (SendMessage(TB_BUTTONCOUNT) > 0) SendMessage(TB_DELETEBUTTON, 0);
    if (!buttons.empty() &&
        !SendMessage(TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data())))
        return FALSE;
    if (m_pDockSite) m_pDockSite->RecalcLayout();
    return TRUE;
}

int CToolBar::GetCount() const { return static_cast<int>(SendMessage(TB_BUTTONCOUNT)); }

UINT CToolBar::GetItemID(int nIndex) const {
    TBBUTTON b = {};
    if (!SendMessage(TB_GETBUTTON, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&b))) return 0;
    return (b.fsStyle & BTNS_SEP) ? 0 : static_cast<UINT>(b.idCommand);
}

SIZE CToolBar::CalcFixedLayout(BOOL, BOOL bHorz) {
    // Laid along the left or right side, the buttons stand one above the other.
    int count = GetCount();
    for (int i = 0; i < count; ++i) {
        TBBUTTONINFOW info = {};
        info.cbSize = sizeof(info);
        info.dwMask = TBIF_STATE | TBIF_BYINDEX;
        if (SendMessage(TB_GETBUTTONINFOW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info)) < 0) continue;
        BYTE state = bHorz ? static_cast<BYTE>(info.fsState & ~TBSTATE_WRAP) : static_cast<BYTE>(info.fsState | TBSTATE_WRAP);
        if (state != info.fsState) {
            info.fsState = state;
            SendMessage(TB_SETBUTTONINFOW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info));
        }
    }
    SIZE size = {0, 0};
    SendMessage(TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    if (size.cy == 0) {
        DWORD buttonSize = static_cast<DWORD>(SendMessage(TB_GETBUTTONSIZE));
        size.cx = LOWORD(buttonSize);
        size.cy = HIWORD(buttonSize);
    }
    const int grip = HasGripper() ? kGripper : 0;
    if (bHorz) return {32767, size.cy + 4 + m_rcBorders.top + m_rcBorders.bottom};
    return {size.cx + 4 + m_rcBorders.left + m_rcBorders.right, size.cy + grip};
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHandler) {
    CToolCmdUI state;
    state.m_pOther = this;
    int count = GetCount();
    for (int i = 0; i < count; ++i) {
        state.m_nID = GetItemID(i);
        if (state.m_nID == 0) continue;
        state.m_nIndex = static_cast<UINT>(i);
        state.DoUpdate(pTarget, bDisableIfNoHandler);
    }
}

void CToolBar::OnHotItemChange(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    if (!(m_dwStyle & CBRS_FLYBY) || !m_pDockSite) return;
    auto* pHot = reinterpret_cast<NMTBHOTITEM*>(pNMHDR);
    // The prompt of the button under the mouse, the idle text once it leaves.
    if ((pHot->dwFlags & HICF_LEAVING) || pHot->idNew == 0)
        m_pDockSite->SendMessage(WM_POPMESSAGESTRING);
    else
        m_pDockSite->SendMessage(WM_SETMESSAGESTRING, static_cast<WPARAM>(pHot->idNew));
}

// The result is the default one (the WVR_ flags of the window's class).
UINT CToolBar::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS* lpncsp) {
    UINT result = static_cast<UINT>(Default());
    RECT* rc = lpncsp ? &lpncsp->rgrc[0] : nullptr;  // the first rectangle either way
    if (rc) {
        bool bHorz = (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
        if (HasGripper()) (bHorz ? rc->left : rc->top) += kGripper;
        rc->left += m_rcBorders.left;
        rc->top += m_rcBorders.top + 2;
        rc->right -= m_rcBorders.right;
        rc->bottom -= m_rcBorders.bottom;
    }
    return result;
}

void CToolBar::OnNcPaint() {
    Default();
    HDC hDC = GetWindowDC(m_hWnd);
    if (!hDC) return;
    RECT rc;
    GetWindowRect(&rc);
    OffsetRect(&rc, -rc.left, -rc.top);
    RECT client;
    GetClientRect(&client);
    MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    RECT window;
    GetWindowRect(&window);
    OffsetRect(&client, -window.left, -window.top);
    // Fill the border around the buttons, then draw the gripper in it.
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    ExcludeClipRect(hDC, client.left, client.top, client.right, client.bottom);
    FillRect(hDC, &rc, face);
    if (HasGripper()) {
        RECT grip = rc;
        if (m_dwStyle & CBRS_ORIENT_HORZ) {
            grip.left += 2;
            grip.right = grip.left + 3;
            InflateRect(&grip, 0, -3);
        } else {
            grip.top += 2;
            grip.bottom = grip.top + 3;
            InflateRect(&grip, -3, 0);
        }
        DrawEdge(hDC, &grip, BDR_RAISEDINNER, BF_RECT);
    }
    ReleaseDC(m_hWnd, hDC);
}
