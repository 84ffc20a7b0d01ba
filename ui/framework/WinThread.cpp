#include "ui/framework/WinThread.h"

#include <process.h>

#include "ui/framework/WinApp.h"
#include "ui/framework/Wnd.h"

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

namespace {
thread_local CWinThread* t_pThread = nullptr;
}

void AfxSetThread(CWinThread* pThread) { t_pThread = pThread; }

CWinThread* AfxGetThread() {
    if (t_pThread) return t_pThread;
    CWinApp* pApp = AfxGetApp();
    return (pApp && pApp->m_nThreadID == GetCurrentThreadId()) ? pApp : nullptr;
}

CWnd* AfxGetMainWnd() {
    CWinThread* pThread = AfxGetThread();
    return pThread ? pThread->GetMainWnd() : nullptr;
}

CWinThread::CWinThread() = default;

CWinThread::~CWinThread() {
    if (m_hThread) CloseHandle(m_hThread);
}

unsigned __stdcall AfxThreadEntry(void* p) {
    auto* pThread = static_cast<CWinThread*>(p);
    t_pThread = pThread;
    int nResult = pThread->InitInstance() ? pThread->Run() : pThread->ExitInstance();
    t_pThread = nullptr;
    pThread->Delete();
    return static_cast<unsigned>(nResult);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    if (m_hThread) return FALSE;
    unsigned nThreadID = 0;
    // Start suspended so that m_hThread and m_nThreadID are set before the thread can end.
    uintptr_t h = _beginthreadex(lpSecurityAttrs, nStackSize, AfxThreadEntry, this, CREATE_SUSPENDED, &nThreadID);
    if (!h) return FALSE;
    m_hThread = reinterpret_cast<HANDLE>(h);
    m_nThreadID = nThreadID;
    if (!(dwCreateFlags & CREATE_SUSPENDED)) ::ResumeThread(m_hThread);
    return TRUE;
}

BOOL CWinThread::InitInstance() { return FALSE; }

int CWinThread::ExitInstance() { return m_nExitCode; }

void CWinThread::Delete() {
    if (m_bAutoDelete) delete this;
}

void AfxEndThread(UINT nExitCode, BOOL bDelete) {
    CWinThread* pThread = t_pThread;
    t_pThread = nullptr;
    if (pThread && bDelete) {
        pThread->m_bAutoDelete = TRUE;
        pThread->Delete();
    }
    _endthreadex(nExitCode);
}

BOOL CWinThread::PumpMessage() {
    MSG& msg = m_msgCur;
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
        m_nExitCode = static_cast<int>(msg.wParam);
        return FALSE;
    }
    if (!PreTranslateMessage(&msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return TRUE;
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg) {
    if (!pMsg->hwnd) return FALSE;  // a thread message: nobody here takes those
    // From the window the message is for up to its top-level window: the innermost
    // object that takes it (a dialog's keyboard handling, the frame's accelerators) wins.
    for (HWND h = pMsg->hwnd; h; h = ::GetParent(h)) {
        CWnd* pWnd = CWnd::FromHandlePermanent(h);
        if (pWnd && pWnd->PreTranslateMessage(pMsg)) return TRUE;
        if (!(GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD)) break;
    }
    return FALSE;
}

BOOL CWinThread::IsIdleMessage(MSG* pMsg) {
    // Mouse moves that do not move, paints and the caret's timer do not restart idle work.
    if (pMsg->message == WM_MOUSEMOVE || pMsg->message == WM_NCMOUSEMOVE) {
        if (pMsg->pt.x == m_ptLastMouse.x && pMsg->pt.y == m_ptLastMouse.y) return FALSE;
        m_ptLastMouse = pMsg->pt;
        return TRUE;
    }
    return pMsg->message != WM_PAINT && pMsg->message != 0x0118 /* WM_SYSTIMER */;
}

BOOL CWinThread::OnIdle(LONG lCount) {
    if (lCount > 0) return FALSE;
    CWnd* pMainWnd = GetMainWnd();
    if (pMainWnd && pMainWnd->m_hWnd && pMainWnd->IsWindowVisible()) {
        // Menus, toolbar buttons, status panes and the title follow the commands' state.
        pMainWnd->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
        pMainWnd->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE);
    }
    return TRUE;
}

int CWinThread::Run() {
    BOOL bIdle = TRUE;
    LONG lIdleCount = 0;
    MSG msg;
    for (;;) {
        while (bIdle && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(lIdleCount++)) bIdle = FALSE;
        }
        do {
            if (!PumpMessage()) return ExitInstance();
            if (IsIdleMessage(&m_msgCur)) {
                bIdle = TRUE;
                lIdleCount = 0;
            }
        } while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }
}
