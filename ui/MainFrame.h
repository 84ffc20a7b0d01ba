// The main frame: the splitter with the class tree (left) and the information form
// (right), the toolbar and the status bar, and the progress operations through which
// class list building reaches the start-up splash window.
#pragma once
#include <memory>

#include "model/ClassList.h"
#include "ui/framework/FrameWnd.h"
#include "ui/framework/SplitterWnd.h"
#include "ui/framework/StatusBar.h"
#include "ui/framework/ToolBar.h"

class CCarvelDoc;
class CDevice;
class CDriverClass;
class CFilterReportDlg;
class CInfoView;
class CSplashScreenThread;
class CVelorTreeView;

class CMainFrame : public CFrameWnd, public IProgressSink {
    DECLARE_DYNCREATE(CMainFrame)
public:
    CMainFrame();
    ~CMainFrame() override;

    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
    // The active view first, as the frame routes; then the form, whichever pane is
    // active, so its Options commands and Safe Mode indicator are live from the tree too.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    int OnCreate(LPCREATESTRUCT lpcs);
    // The accelerators; then Alt+letter outside the form presses the form's button that
    // has that mnemonic (Alt+U, Alt+L from the tree).
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Progress of the start-up work, forwarded to the splash thread while one is
    // attached; without one they do nothing.
    void SetProgressText(const std::wstring& text) override;
    void SetProgressRange(int lower, int upper) override;
    void StepProgress() override;
    void CloseSplash();

    void OnViewRefresh();  // View > Refresh (F5); public for the message map

    CSplitterWnd& GetSplitter() { return m_wndSplitter; }
    CToolBar& GetToolBar() { return m_wndToolBar; }
    CStatusBar& GetStatusBar() { return m_wndStatusBar; }
    CSplashScreenThread* GetSplashThread() const { return m_pSplashThread; }

    // Options > Check Filters: runs the check and shows the report (again, if it is open).
    void OnCheckFilters();
    // The report while its window is open; null otherwise.
    CFilterReportDlg* GetFilterReport() const;
    // Options > Undo Last Filter Change (Ctrl+Z): after a Yes/No question, puts back the
    // list the newest change not yet undone replaced; the form then shows that list.
    void OnUndoFilterChange();
    void OnUpdateUndoFilterChange(CCmdUI* pCmdUI);  // something to undo, and Safe Mode off
    void OnChangeHistory();                         // Options > Change History
    // Options > Restart Devices: the selected class's devices, or the selected device,
    // after a question. Disabled in Safe Mode and offline.
    void OnRestartDevices();
    void OnUpdateRestartDevices(CCmdUI* pCmdUI);
    void OnViewDeviceNames();                       // View > Device Names, kept in the profile
    void OnUpdateViewDeviceNames(CCmdUI* pCmdUI);
    void OnEditFind();      // Edit > Find... (Ctrl+F): asks for the text, then finds it
    void OnEditFindNext();  // Edit > Find Next (F3): the next match of the last text
    // The message pane says what the last action did (until the next menu or prompt).
    void ReportDone(const CString& text);
    // The document's class list; null before there is one.
    DriverClassList* GetDriverClasses() const;
    CVelorTreeView* GetClassTree() const;  // null before the panes exist
    CInfoView* GetInfoView() const;        // null before the panes exist
    CCarvelDoc* GetCarvelDoc() const;
    // After the registry shown changed (an offline hive opened): `title` becomes the
    // document's title and the status bar's idle text ("Offline: <path> (ControlSet001)"
    // offline), the tree is built again and an open report checks again.
    void ShowRegistrySource(const std::wstring& title);

protected:
    void StartSplash();  // the splash thread, attached to this frame until CloseSplash
    // The class shown in the form, and its device when one is (*ppDevice); null when no
    // restart may be made now (Safe Mode, offline, nothing shown).
    CDriverClass* GetRestartTarget(CDevice** ppDevice) const;

    CSplitterWnd m_wndSplitter;
    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;
    CSplashScreenThread* m_pSplashThread = nullptr;  // shared with the splash thread until CloseSplash
    std::unique_ptr<CFilterReportDlg> m_pFilterReport;
    CString m_strFind;  // the text Find looked for last

    DECLARE_MESSAGE_MAP()
};
