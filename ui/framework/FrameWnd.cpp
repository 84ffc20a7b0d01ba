#include "ui/framework/FrameWnd.h"

#include <dde.h>

#include "ui/framework/ControlBar.h"
#include "ui/framework/Document.h"
#include "ui/framework/View.h"
#include "ui/framework/WinApp.h"

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_WM_SETFOCUS()
    ON_WM_INITMENUPOPUP()
    ON_WM_MENUSELECT()
    ON_WM_EXITMENULOOP()
    ON_MESSAGE(WM_SETMESSAGESTRING, &CFrameWnd::OnSetMessageString)
    ON_MESSAGE(WM_POPMESSAGESTRING, &CFrameWnd::OnPopMessageString)
    ON_WM_DROPFILES()
    ON_MESSAGE(WM_DDE_INITIATE, &CFrameWnd::OnDDEInitiate)
    ON_MESSAGE(WM_DDE_EXECUTE, &CFrameWnd::OnDDEExecute)
    ON_MESSAGE(WM_DDE_TERMINATE, &CFrameWnd::OnDDETerminate)
    ON_MESSAGE(WM_OPENDEFERRED, &CFrameWnd::OnOpenDeferred)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, &CFrameWnd::OnUpdateControlBarMenu)
    ON_COMMAND_EX(ID_VIEW_TOOLBAR, &CFrameWnd::OnBarCheck)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, &CFrameWnd::OnUpdateControlBarMenu)
    ON_COMMAND_EX(ID_VIEW_STATUS_BAR, &CFrameWnd::OnBarCheck)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_CAPS, &CFrameWnd::OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_NUM, &CFrameWnd::OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_SCRL, &CFrameWnd::OnUpdateKeyIndicator)
END_MESSAGE_MAP()

CFrameWnd::~CFrameWnd() = default;  // the menu goes with the window; the icon is a shared resource

void CFrameWnd::PostNcDestroy() { delete this; }

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& cs) {
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), m_hIcon);
    return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext) {
    HINSTANCE hInst = AfxGetResourceHandle();
    m_strTitle = AfxExtractSubString(AfxLoadString(nIDResource), 0);
    m_hIcon = LoadIconW(hInst, MAKEINTRESOURCEW(nIDResource));
    HMENU hMenu = LoadMenuW(hInst, MAKEINTRESOURCEW(nIDResource));  // goes with the window
    m_bAddToTitle = (dwDefaultStyle & FWS_ADDTOTITLE) != 0;
    DWORD dwStyle = dwDefaultStyle & ~static_cast<DWORD>(FWS_ADDTOTITLE);
    RECT rect = {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};
    m_pCreateContext = pContext;
    // On failure after its first message the window has gone, and this object with it.
    if (!CreateEx(0, nullptr, m_strTitle.c_str(), dwStyle, rect, pParentWnd,
                  reinterpret_cast<UINT_PTR>(hMenu), pContext))
        return FALSE;
    m_pCreateContext = nullptr;
    m_hAccelTable = LoadAcceleratorsW(hInst, MAKEINTRESOURCEW(nIDResource));
    return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpcs) {
    auto* pContext = static_cast<CCreateContext*>(lpcs->lpCreateParams);
    if (!OnCreateClient(lpcs, pContext)) return -1;
    PostMessage(WM_SETMESSAGESTRING, AFX_IDS_IDLEMESSAGE);
    RecalcLayout();
    return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) {
    if (pContext && pContext->m_pNewViewClass) return CreateView(pContext, AFX_IDW_PANE_FIRST) != nullptr;
    return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID) {
    CObject* pObject = pContext->m_pNewViewClass->CreateObject();
    auto* pView = dynamic_cast<CWnd*>(pObject);
    if (!pView) {
        delete pObject;
        return nullptr;
    }
    RECT rect = {0, 0, 0, 0};
    if (!pView->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, rect, this, nID, pContext)) {
        // A view made with new deletes itself once its window existed; otherwise it is ours.
        return nullptr;
    }
    return pView;
}

CDocument* CFrameWnd::GetActiveDocument() const { return m_pViewActive ? m_pViewActive->GetDocument() : nullptr; }

void CFrameWnd::SetActiveView(CView* pViewNew, BOOL bNotify) {
    CView* pViewOld = m_pViewActive;
    if (pViewNew == pViewOld) return;
    m_pViewActive = nullptr;
    if (pViewOld) pViewOld->OnActivateView(FALSE, pViewNew, pViewOld);
    m_pViewActive = pViewNew;
    if (pViewNew && bNotify) pViewNew->OnActivateView(TRUE, pViewNew, pViewOld);
}

namespace {
// The descendant with id nID, where a child that shares its parent's id comes first
// (the splitter holds the frame's first pane id, and so does its first pane).
HWND FindPane(HWND hParent, UINT nID) {
    HWND hChild = ::GetDlgItem(hParent, static_cast<int>(nID));
    if (hChild) {
        if (HWND hInner = FindPane(hChild, nID)) return hInner;
        return hChild;
    }
    for (HWND h = GetWindow(hParent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (HWND hFound = FindPane(h, nID)) return hFound;
    }
    return nullptr;
}
}  // namespace

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible) {
    CView* pView = m_pViewActive;
    if (!pView) {
        CWnd* pWnd = FromHandlePermanent(FindPane(m_hWnd, AFX_IDW_PANE_FIRST));
        if (pWnd && pWnd->IsKindOf(RUNTIME_CLASS(CView))) {
            pView = static_cast<CView*>(pWnd);
            SetActiveView(pView, FALSE);
        }
    }
    if (bMakeVisible) {
        // Every view of the document, in the order the views were created.
        if (pDoc) {
            std::vector<CView*> views = pDoc->GetViews();
            for (CView* p : views) {
                if (p->m_hWnd) p->SendMessage(WM_INITIALUPDATE);
            }
        }
        int nCmdShow = -1;
        CWinApp* pApp = AfxGetApp();
        if (!IsWindowVisible() && pApp && pApp->m_pMainWnd == this) {
            nCmdShow = pApp->m_nCmdShow;
            pApp->m_nCmdShow = -1;  // the start's show command is used once
        }
        ActivateFrame(nCmdShow);
        if (m_pViewActive) m_pViewActive->OnActivateView(TRUE, m_pViewActive, m_pViewActive);
    }
    OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::ActivateFrame(int nCmdShow) {
    if (nCmdShow == -1) {
        if (!IsWindowVisible())
            nCmdShow = SW_SHOWNORMAL;
        else if (IsIconic(m_hWnd))
            nCmdShow = SW_RESTORE;
    }
    if (nCmdShow != -1) {
        ShowWindow(nCmdShow);
        BringWindowToTop(m_hWnd);
    }
}

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle) {
    CString title = m_strTitle;
    CDocument* pDoc = GetActiveDocument();
    if (!pDoc && m_pCreateContext) pDoc = m_pCreateContext->m_pCurrentDoc;
    if (!pDoc) {
        // Before the active view is set the document is found through any view.
        CWinApp* pApp = AfxGetApp();
        if (pApp && pApp->GetDocTemplate()) pDoc = pApp->GetDocTemplate()->GetOnlyDocument();
    }
    if (bAddToTitle && m_bAddToTitle && pDoc && !pDoc->GetTitle().empty()) title += L" - " + pDoc->GetTitle();
    if (GetWindowText() != title) SetWindowText(title);
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    // The active view (and through it its document) first, then the frame, then the application.
    if (m_pViewActive && m_pViewActive->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp ? pApp->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo) : FALSE;
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hAccelTable)
        return ::TranslateAcceleratorW(m_hWnd, m_hAccelTable, pMsg);
    return FALSE;
}

void CFrameWnd::OnSize(UINT nType, int, int) {
    if (nType != SIZE_MINIMIZED) RecalcLayout();
}

void CFrameWnd::OnSetFocus(HWND) {
    if (m_pViewActive && m_pViewActive->m_hWnd)
        m_pViewActive->SetFocus();
    else
        Default();
}

void CFrameWnd::OnClose() {
    CDocument* pDoc = GetActiveDocument();
    if (!pDoc) {
        CWinApp* pApp = AfxGetApp();
        if (pApp && pApp->GetDocTemplate()) pDoc = pApp->GetDocTemplate()->GetOnlyDocument();
    }
    if (pDoc && !pDoc->CanCloseFrame(this)) return;
    if (pDoc) {
        // The document goes first (its records before the views); it destroys this frame.
        pDoc->OnCloseDocument();
        return;
    }
    DestroyWindow();
}

void CFrameWnd::OnDestroy() {
    m_pViewActive = nullptr;
    CWinThread* pThread = AfxGetThread();
    if (pThread && pThread->m_pMainWnd == this) {
        pThread->m_pMainWnd = nullptr;
        PostQuitMessage(0);  // the main window's end is the end of its thread's loop
    }
    Default();
}
