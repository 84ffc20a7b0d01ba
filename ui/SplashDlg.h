// The start-up splash window (template 147): the program's name and version, the
// maker's address, a status line and a progress bar. It lives on the splash thread;
// the main thread reaches it through CSplashScreenThread only.
#pragma once
#include <mutex>

#include "ui/framework/CriticalSection.h"
#include "ui/framework/Dialog.h"
#include "ui/framework/ProgressCtrl.h"

class CSplashScreenThread;

class CSplashDlg : public CDialog {
public:
    // pParent is the frame the splash reports for. It is deliberately not made the
    // window's owner: a window owned across threads ties the two threads' input
    // together, and the busy main thread would then hold up the splash.
    explicit CSplashDlg(CWnd* pParent);

    void SetThread(CSplashScreenThread* pThread) { m_pThread = pThread; }

    // Main thread. The text waits under a lock until the splash thread shows it; a
    // later text replaces one not yet shown.
    void SetStatusText(const CString& text);
    // Main thread: sent straight to the progress bar (bounds cut to 16 bits each).
    void SetRange(int nLower, int nUpper);
    void StepIt();

    // Splash thread: takes the last text handed over, if any, into the status line.
    void ShowStatus();

    CProgressCtrl m_progress;  // item 1049
    CString m_strStatus;       // item 1050; touched on the splash thread only

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    CSplashScreenThread* m_pThread = nullptr;  // not owned
    CWnd* m_pParentObject;                      // not owned

    CCriticalSection m_statusLock;  // guards the two below
    CString m_strPending;
    bool m_bPending = false;
};
