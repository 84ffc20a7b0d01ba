#include "ui/SplashScreenThread.h"

#include "res/resource.h"
#include "ui/SplashDlg.h"

IMPLEMENT_DYNCREATE(CSplashScreenThread, CWinThread)

namespace {
std::atomic<UINT> s_nTemplate{IDD_SPLASH};
// How long the main thread waits, once, for the splash to come up before it reports
// without one; long enough for a loaded machine, short enough not to hold up start-up.
const DWORD kReadyWaitMs = 5000;
}  // namespace

UINT CSplashScreenThread::SetDialogTemplate(UINT nIDTemplate) { return s_nTemplate.exchange(nIDTemplate); }

CSplashScreenThread::CSplashScreenThread() : m_readyEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

CSplashScreenThread::~CSplashScreenThread() {
    delete m_pSplashDlg;  // only when its window went before the thread could close it
    if (m_readyEvent) CloseHandle(m_readyEvent);
}

// ---- Splash thread ----------------------------------------------------------------

BOOL CSplashScreenThread::InitInstance() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    m_pSplashDlg = new CSplashDlg(m_pParentWnd);
    m_pSplashDlg->SetThread(this);
    // No owner: the thread has no main window, so the splash is a top-level window
    // of its own.
    if (m_pSplashDlg->Create(s_nTemplate.load())) {
        m_pSplashDlg->UpdateWindow();
        return TRUE;
    }
    bool bAnnounced = false;
    {
        std::lock_guard<CCriticalSection> lock(m_lock);
        bAnnounced = m_state == State::Showing;
        m_state = State::Ended;
    }
    // Once announced, the main thread may still be using the object: the destructor
    // deletes it then. The main thread's wait ends with the thread.
    if (!bAnnounced) {
        delete m_pSplashDlg;
        m_pSplashDlg = nullptr;
    }
    return FALSE;
}

void CSplashScreenThread::OnDialogReady() {
    bool bCloseNow = false;
    {
        std::lock_guard<CCriticalSection> lock(m_lock);
        m_state = State::Showing;
        bCloseNow = m_bCloseRequested;
    }
    // A close asked for while the dialog was still being made was not posted by the
    // main thread; it is queued here, so the thread still ends.
    if (bCloseNow && m_pSplashDlg) m_pSplashDlg->PostMessage(WM_SPLASH_CLOSE);
    SetEvent(m_readyEvent);
}

void CSplashScreenThread::OnSplashUpdate() {
    bool bText = false, bRange = false;
    CString text;
    int nLower = 0, nUpper = 0, nSteps = 0;
    {
        std::lock_guard<CCriticalSection> lock(m_lock);
        m_bRefreshPosted = false;
        bText = m_bTextPending;
        text.swap(m_strPendingText);
        bRange = m_bRangePending;
        nLower = m_nPendingLower;
        nUpper = m_nPendingUpper;
        nSteps = m_nPendingSteps;
        m_bTextPending = m_bRangePending = false;
        m_nPendingSteps = 0;
    }
    if (!m_pSplashDlg) return;
    if (bRange) m_pSplashDlg->SetRange(nLower, nUpper);
    m_pSplashDlg->StepIt(nSteps);
    if (bText) m_pSplashDlg->ShowStatus(text);
}

void CSplashScreenThread::OnSplashClose() {
    {
        std::lock_guard<CCriticalSection> lock(m_lock);
        m_state = State::Ended;
    }
    if (m_pSplashDlg) {
        m_pSplashDlg->DestroyWindow();
        delete m_pSplashDlg;
        m_pSplashDlg = nullptr;
    }
    AfxEndThread(1);
}

void CSplashScreenThread::Delete() { Release(); }

void CSplashScreenThread::Release() {
    if (--m_nRefs == 0) CWinThread::Delete();
}

// ---- Main thread --------------------------------------------------------------------

void CSplashScreenThread::WaitUntilReady() {
    if (m_bWaited) return;
    m_bWaited = true;
    if (!m_hThread) return;  // never started
    HANDLE handles[2] = {m_readyEvent, m_hThread};
    WaitForMultipleObjects(2, handles, FALSE, kReadyWaitMs);
}

CSplashDlg* CSplashScreenThread::ReadyDialog() {
    if (m_bClosed) return nullptr;
    WaitUntilReady();
    std::lock_guard<CCriticalSection> lock(m_lock);
    // The dialog stays until the close, which only the main thread asks for; so it
    // may be used after the lock is let go.
    return m_state == State::Showing ? m_pSplashDlg : nullptr;
}

void CSplashScreenThread::RequestRefresh(HWND hDlg) {
    {
        std::lock_guard<CCriticalSection> lock(m_lock);
        if (m_bRefreshPosted) return;  // the one on its way shows everything noted
        m_bRefreshPosted = true;
    }
    if (!::PostMessageW(hDlg, WM_SPLASH_UPDATE, 0, 0)) {
        std::lock_guard<CCriticalSection> lock(m_lock);
        m_bRefreshPosted = false;
    }
}

void CSplashScreenThread::SetStatusText(const CString& text) {
    if (CSplashDlg* pDlg = ReadyDialog()) {
        {
            std::lock_guard<CCriticalSection> lock(m_lock);
            m_strPendingText = text;
            m_bTextPending = true;
        }
        RequestRefresh(pDlg->m_hWnd);
    }
}

void CSplashScreenThread::SetRange(int nLower, int nUpper) {
    if (CSplashDlg* pDlg = ReadyDialog()) {
        {
            std::lock_guard<CCriticalSection> lock(m_lock);
            m_bRangePending = true;
            m_nPendingLower = nLower;
            m_nPendingUpper = nUpper;
            m_nPendingSteps = 0;
        }
        RequestRefresh(pDlg->m_hWnd);
    }
}

void CSplashScreenThread::StepIt() {
    if (CSplashDlg* pDlg = ReadyDialog()) {
        {
            std::lock_guard<CCriticalSection> lock(m_lock);
            ++m_nPendingSteps;
        }
        RequestRefresh(pDlg->m_hWnd);
    }
}

void CSplashScreenThread::PostClose() {
    if (m_bClosed) return;
    m_bClosed = true;
    WaitUntilReady();
    bool bPost = false;
    {
        std::lock_guard<CCriticalSection> lock(m_lock);
        m_bCloseRequested = true;
        bPost = m_state == State::Showing;
    }
    // The dialog's window lasts until the close, which only this thread asks for.
    if (bPost && m_pSplashDlg) ::PostMessageW(m_pSplashDlg->m_hWnd, WM_SPLASH_CLOSE, 0, 0);
    if (!m_hThread) Release();  // a thread that never ran has no share to give up
    Release();
}
