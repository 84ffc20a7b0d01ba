// The splash thread: a user-interface thread of its own that shows CSplashDlg while
// the main thread, which pumps no messages then, builds the class list. The main
// frame reports through SetStatusText, SetRange and StepIt and ends it with PostClose.
#pragma once
#include <atomic>
#include <mutex>

#include "ui/framework/CriticalSection.h"
#include "ui/framework/WinThread.h"

class CSplashDlg;
class CWnd;

// Sent to the splash dialog's window, never to its thread: a modal loop on that thread
// (the user dragging the splash or opening its system menu) drops thread messages.
#define WM_SPLASH_UPDATE (WM_APP + 1)
#define WM_SPLASH_CLOSE (WM_APP + 2)

class CSplashScreenThread : public CWinThread {
    DECLARE_DYNCREATE(CSplashScreenThread)
public:
    CSplashScreenThread();
    ~CSplashScreenThread() override;

    // Main thread, before CreateThread.
    void SetParentWnd(CWnd* pParentWnd) { m_pParentWnd = pParentWnd; }
    // False when the thread cannot be told apart from a splash that never comes up;
    // the frame then starts without one.
    bool CanStart() const { return m_readyEvent != nullptr; }

    // Main thread. Each is noted under the lock and shown by the splash thread, so the
    // main thread never waits for it; the first waits, once and for a few seconds at
    // most, until the dialog is up or the thread has ended; without a dialog they do
    // nothing.
    void SetStatusText(const CString& text);
    void SetRange(int nLower, int nUpper);
    void StepIt();
    // Main thread: asks the splash to close and end its thread. It is the caller's
    // last use of this object, which may be gone when PostClose returns.
    void PostClose();

    BOOL InitInstance() override;
    void Delete() override;

    // Splash thread: the dialog's initialisation is done and its window is up.
    void OnDialogReady();
    // Splash thread, from the dialog's messages.
    void OnSplashUpdate();
    void OnSplashClose();

    // The dialog template the thread creates; tests make creation fail with an id
    // that names no template. Returns the previous one.
    static UINT SetDialogTemplate(UINT nIDTemplate);

    HANDLE m_readyEvent;  // auto-reset; set when the dialog is ready

protected:
    // The dialog, once the main thread may use it; null before and after.
    CSplashDlg* ReadyDialog();
    void WaitUntilReady();
    // Main thread, under no lock: one WM_SPLASH_UPDATE on its way at a time.
    void RequestRefresh(HWND hDlg);
    void Release();

    CWnd* m_pParentWnd = nullptr;       // the main frame; not owned
    CSplashDlg* m_pSplashDlg = nullptr;  // owned; written on the splash thread only

    // What the two threads share, under m_lock.
    enum class State { Starting, Showing, Ended };
    CCriticalSection m_lock;
    State m_state = State::Starting;
    bool m_bCloseRequested = false;
    bool m_bRefreshPosted = false;  // a WM_SPLASH_UPDATE is on its way
    // Reports not shown yet. Only the last text counts; a range empties the bar, so
    // steps before it do not count either.
    bool m_bTextPending = false;
    CString m_strPendingText;
    bool m_bRangePending = false;
    int m_nPendingLower = 0;
    int m_nPendingUpper = 0;
    int m_nPendingSteps = 0;

    // Two owners: the running thread and the main frame. The object goes when both are
    // done with it, so the frame never reaches a deleted object, even when the thread
    // ended on its own because its dialog could not be made.
    std::atomic<int> m_nRefs{2};
    bool m_bWaited = false;  // main thread only
    bool m_bClosed = false;  // main thread only
};
