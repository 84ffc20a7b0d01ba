// The start-up splash window (template 147): the program's name and version, the
// maker's address, a status line and a progress bar. It lives on the splash thread;
// the main thread reaches it through CSplashScreenThread only.
#pragma once
#include "ui/framework/Dialog.h"
#include "ui/framework/ProgressCtrl.h"

class CSplashScreenThread;

class CSplashDlg : public CDialog {
public:
    // pParent is the frame the splash reports for. It is deliberately not made the
    // window's owner (nor kept): a window owned across threads ties the two threads'
    // input together, and the busy main thread would then hold up the splash.
    explicit CSplashDlg(CWnd* pParent);

    void SetThread(CSplashScreenThread* pThread) { m_pThread = pThread; }

    // Splash thread: what the thread object hands over from the main thread's reports.
    void SetRange(int nLower, int nUpper);  // bounds cut to 16 bits each; the bar empties
    void StepIt(int nSteps);
    void ShowStatus(const CString& text);

    CProgressCtrl m_progress;  // item 1049
    CString m_strStatus;       // item 1050; touched on the splash thread only

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    LRESULT OnSplashUpdate(WPARAM, LPARAM);
    LRESULT OnSplashClose(WPARAM, LPARAM);

    CSplashScreenThread* m_pThread = nullptr;  // not owned

    DECLARE_MESSAGE_MAP()
};
