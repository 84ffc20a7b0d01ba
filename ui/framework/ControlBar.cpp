#include "ui/framework/ControlBar.h"

#include "ui/framework/FrameWnd.h"

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, &CControlBar::OnIdleUpdateCmdUI)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

DWORD CControlBar::SplitStyle(DWORD dwStyle) {
    m_dwStyle = dwStyle & CBRS_ALL;
    return dwStyle & ~static_cast<DWORD>(CBRS_ALL);
}

void CControlBar::RegisterWithFrame(CWnd* pParentWnd) {
    if (pParentWnd && pParentWnd->IsKindOf(RUNTIME_CLASS(CFrameWnd))) {
        m_pDockSite = static_cast<CFrameWnd*>(pParentWnd);
        m_pDockSite->AddControlBar(this);
    }
}

LRESULT CControlBar::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM) {
    if (m_pDockSite && IsWindowVisible()) OnUpdateCmdUI(m_pDockSite, static_cast<BOOL>(wParam));
    return 0;
}

void CControlBar::OnDestroy() {
    if (m_pDockSite) m_pDockSite->RemoveControlBar(this);
    m_pDockSite = nullptr;
    Default();  // the control frees what it holds
}
