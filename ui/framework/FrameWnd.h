// The main frame: menu, accelerators, icon and title from one resource id; control
// bars around one client pane; the active view; command routing (active view and
// its document, then the frame, then the application); menu item updates; status
// prompts; help commands; file drops and the shell's DDE open requests.
#pragma once
#include <vector>

#include "ui/framework/SingleDocTemplate.h"
#include "ui/framework/Wnd.h"

class CView;
class CDocument;
class CControlBar;

class CFrameWnd : public CWnd {
    DECLARE_DYNCREATE(CFrameWnd)
public:
    CFrameWnd() = default;
    ~CFrameWnd() override;

    // Creates the frame from resource nIDResource: menu, accelerators, icon, and the
    // first field of the string as the window title.
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);  // default: the template's view
    CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);
    int OnCreate(LPCREATESTRUCT lpcs);

    CView* GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
    CDocument* GetActiveDocument() const;
    // After a document is created or opened: active view, views' initial update
    // (in the order the document's views were created), show, title.
    void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
    virtual void ActivateFrame(int nCmdShow = -1);
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
    const CString& GetTitle() const { return m_strTitle; }

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    // Control bars.
    void AddControlBar(CControlBar* pBar);
    void RemoveControlBar(CControlBar* pBar);
    CControlBar* GetControlBar(UINT nID) const;
    void EnableDocking(DWORD dwDockStyle);
    void DockControlBar(CControlBar* pBar, UINT nDockBarID = 0);  // 0: the first side both allow
    void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay = FALSE);
    virtual void RecalcLayout(BOOL bNotify = TRUE);

    // The status bar's message pane.
    void SetMessageText(const CString& text);
    void SetMessageText(UINT nID);  // the prompt of command nID (before its '\n'), or the idle text
    // The idle text in place of string AFX_IDS_IDLEMESSAGE (empty: that string again).
    void SetIdleMessage(const CString& text);
    CWnd* GetMessageBar() const;

    // The frame's built-in commands (public: a derived frame names them in its map).
    BOOL OnBarCheck(UINT nID);
    void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
    void OnUpdateKeyIndicator(CCmdUI* pCmdUI);
    void OnHelp();
    void OnHelpFinder();
    void OnContextHelp();

protected:
    void PostNcDestroy() override;  // frames are made by their template and go with their window
    void OnSize(UINT nType, int cx, int cy);
    void OnClose();
    void OnDestroy();
    void OnSetFocus(HWND hOldWnd);
    void OnInitMenuPopup(HMENU hPopupMenu, UINT nIndex, BOOL bSysMenu);
    void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu);
    void OnExitMenuLoop(BOOL bIsTrackPopupMenu);
    LRESULT OnSetMessageString(WPARAM, LPARAM);
    LRESULT OnPopMessageString(WPARAM, LPARAM);
    void OnDropFiles(HDROP hDrop);
    LRESULT OnDDEInitiate(WPARAM, LPARAM);
    LRESULT OnDDEExecute(WPARAM, LPARAM);
    LRESULT OnDDETerminate(WPARAM, LPARAM);
    LRESULT OnOpenDeferred(WPARAM, LPARAM);

    CString m_strTitle;
    HACCEL m_hAccelTable = nullptr;
    HICON m_hIcon = nullptr;
    BOOL m_bAddToTitle = TRUE;
    CView* m_pViewActive = nullptr;
    std::vector<CControlBar*> m_listControlBar;
    DWORD m_dwDockStyle = 0;
    UINT m_nIDTracking = 0;        // the prompt shown now (AFX_IDS_IDLEMESSAGE when idle)
    BOOL m_bMenuActive = FALSE;
    CCreateContext* m_pCreateContext = nullptr;  // during creation only
    CString m_strTipText;  // the tooltip text handed out last
    CString m_strIdleMessage;  // when not empty, shown in place of AFX_IDS_IDLEMESSAGE
    DECLARE_MESSAGE_MAP()
};
