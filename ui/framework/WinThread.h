// A thread with its own message loop, idle processing and thread-message map.
#pragma once
#include "ui/framework/CmdTarget.h"

class CWinThread : public CCmdTarget {
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread();
    ~CWinThread() override;

    CWnd* m_pMainWnd = nullptr;  // this thread's main window
    BOOL m_bAutoDelete = TRUE;   // the object is deleted when its thread ends
    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;

    // Starts the thread, which runs InitInstance and then Run (or ExitInstance when
    // InitInstance fails). dwCreateFlags may hold CREATE_SUSPENDED.
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0,
                      LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    virtual int Run();                    // the message loop; returns ExitInstance's code
    virtual BOOL PumpMessage();           // one message; FALSE on WM_QUIT
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL OnIdle(LONG lCount);     // TRUE: more idle work wanted
    virtual BOOL IsIdleMessage(MSG* pMsg);
    virtual void Delete();                // deletes the object when m_bAutoDelete
    virtual CWnd* GetMainWnd() { return m_pMainWnd; }

protected:
    int m_nExitCode = 0;
    MSG m_msgCur = {};  // the message being pumped
    POINT m_ptLastMouse = {-1, -1};

    friend unsigned __stdcall AfxThreadEntry(void*);
    friend void AfxSetThread(CWinThread*);
};

void AfxSetThread(CWinThread* pThread);  // the calling thread's object
