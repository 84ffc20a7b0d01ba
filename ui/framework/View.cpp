#include "ui/framework/View.h"

#include "ui/framework/CmdUI.h"
#include "ui/framework/Document.h"
#include "ui/framework/FrameWnd.h"
#include "ui/framework/SplitterWnd.h"

IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
    ON_MESSAGE(WM_INITIALUPDATE, &CView::OnInitialUpdateMessage)
    ON_WM_MOUSEACTIVATE()
    ON_WM_PAINT()
    ON_WM_DESTROY()
    ON_COMMAND_EX_RANGE(ID_NEXT_PANE, ID_PREV_PANE, &CView::OnNextPaneCmd)
    ON_UPDATE_COMMAND_UI_RANGE(ID_NEXT_PANE, ID_PREV_PANE, &CView::OnUpdateNextPaneMenu)
    ON_COMMAND_EX(ID_WINDOW_SPLIT, &CView::OnSplitCmd)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_SPLIT, &CView::OnUpdateSplitCmd)
END_MESSAGE_MAP()

CView::~CView() {
    if (m_pDocument) m_pDocument->RemoveView(this);
}

void CView::AttachToDocument(CCreateContext* pContext) {
    if (pContext && pContext->m_pCurrentDoc) pContext->m_pCurrentDoc->AddView(this);
}

BOOL CView::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                   CWnd* pParentWnd, UINT nID, CCreateContext* pContext) {
    if (!CWnd::Create(lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, pContext)) return FALSE;
    AttachToDocument(pContext);
    return TRUE;
}

void CView::PostNcDestroy() { delete this; }

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

void CView::OnUpdate(CView*, LPARAM, CObject*) { Invalidate(TRUE); }

void CView::OnDraw(HDC) {}

LRESULT CView::OnInitialUpdateMessage(WPARAM, LPARAM) {
    OnInitialUpdate();
    return 0;
}

void CView::OnPaint() {
    PAINTSTRUCT ps;
    HDC hDC = BeginPaint(m_hWnd, &ps);
    OnDraw(hDC);
    EndPaint(m_hWnd, &ps);
}

void CView::OnDestroy() {
    CFrameWnd* pFrame = GetParentFrame();
    if (pFrame && pFrame->GetActiveView() == this) pFrame->SetActiveView(nullptr, FALSE);
    Default();
}

int CView::OnMouseActivate(HWND, UINT, UINT) {
    int nResult = static_cast<int>(Default());  // the parents answer first
    if (nResult == MA_NOACTIVATE || nResult == MA_NOACTIVATEANDEAT) return nResult;
    if (CFrameWnd* pFrame = GetParentFrame()) {
        HWND hWndFocus = ::GetFocus();
        if (pFrame->GetActiveView() == this && m_hWnd != hWndFocus && !::IsChild(m_hWnd, hWndFocus))
            OnActivateView(TRUE, this, this);  // back to this view after the focus went elsewhere
        else
            pFrame->SetActiveView(this);
    }
    return nResult;
}

void CView::OnActivateView(BOOL bActivate, CView* pActivateView, CView*) {
    if (!bActivate || pActivateView != this) return;
    // Take the focus only while our top-level window is the active one.
    HWND hTop = GetAncestor(m_hWnd, GA_ROOT);
    if (hTop && GetActiveWindow() == hTop) SetFocus();
}

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    return m_pDocument ? m_pDocument->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo) : FALSE;
}

CSplitterWnd* CView::GetParentSplitter() const {
    CWnd* pParent = GetParent();
    return (pParent && pParent->IsKindOf(RUNTIME_CLASS(CSplitterWnd))) ? static_cast<CSplitterWnd*>(pParent)
                                                                        : nullptr;
}

BOOL CView::OnNextPaneCmd(UINT nID) {
    CSplitterWnd* pSplitter = GetParentSplitter();
    if (!pSplitter) return FALSE;
    pSplitter->ActivateNext(nID == ID_PREV_PANE);
    return TRUE;
}

void CView::OnUpdateNextPaneMenu(CCmdUI* pCmdUI) {
    CSplitterWnd* pSplitter = GetParentSplitter();
    pCmdUI->Enable(pSplitter && pSplitter->CanActivateNext(pCmdUI->m_nID == ID_PREV_PANE));
}

BOOL CView::OnSplitCmd(UINT) {
    CSplitterWnd* pSplitter = GetParentSplitter();
    if (!pSplitter) return FALSE;
    pSplitter->DoKeyboardSplit();
    return TRUE;
}

void CView::OnUpdateSplitCmd(CCmdUI* pCmdUI) { pCmdUI->Enable(GetParentSplitter() != nullptr); }
