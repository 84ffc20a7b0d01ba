// A view: a pane of a frame that shows its document. It is offered every command
// first while it is the frame's active view, and passes what it does not handle to
// its document.
#pragma once
#include "ui/framework/SingleDocTemplate.h"
#include "ui/framework/Wnd.h"

class CDocument;
class CSplitterWnd;

// A view's default window style.
#define AFX_WS_DEFAULT_VIEW (WS_CHILD | WS_VISIBLE)

class CView : public CWnd {
    DECLARE_DYNAMIC(CView)
public:
    CView() = default;
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }
    CDocument* m_pDocument = nullptr;

    BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd, UINT nID, CCreateContext* pContext = nullptr) override;

    virtual void OnInitialUpdate();  // the first (or, after a reopen, a new) start: OnUpdate by default
    virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);  // repaints by default
    virtual void OnDraw(HDC hDC);
    virtual void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView);

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    CSplitterWnd* GetParentSplitter() const;

    // The panes' built-in commands.
    BOOL OnNextPaneCmd(UINT nID);
    void OnUpdateNextPaneMenu(CCmdUI* pCmdUI);
    BOOL OnSplitCmd(UINT nID);
    void OnUpdateSplitCmd(CCmdUI* pCmdUI);

protected:
    void AttachToDocument(CCreateContext* pContext);
    void PostNcDestroy() override;  // views are made with new and go with their window
    LRESULT OnInitialUpdateMessage(WPARAM, LPARAM);
    int OnMouseActivate(HWND hDesktopWnd, UINT nHitTest, UINT message);
    void OnPaint();
    void OnDestroy();
    DECLARE_MESSAGE_MAP()
};
