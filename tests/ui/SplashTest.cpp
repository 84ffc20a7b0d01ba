// The start-up splash on its own thread: what its real controls show while the main
// frame reports, how it closes and ends its thread, and that a splash that cannot
// be made or that the user hid leaves everything else working.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "model/ClassList.h"
#include "res/resource.h"
#include "tests/ui/AppHarness.h"
#include "ui/SplashScreenThread.h"

using namespace qxtest;

namespace {

// The frame's progress operations without its window; StartSplash is what its
// creation does first.
class CSplashFrame : public CMainFrame {
public:
    using CMainFrame::StartSplash;
};

// Waits (the calling thread pumps nothing) until done() or the time is up.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(5);
    }
    return true;
}

// The splash dialogs of this process (by their caption and the dialog class).
std::vector<HWND> SplashWindows() {
    std::vector<HWND> found;
    EnumWindows(
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            DWORD pid = 0;
            GetWindowThreadProcessId(hWnd, &pid);
            wchar_t cls[16] = {}, caption[32] = {};
            GetClassNameW(hWnd, cls, 16);
            InternalGetWindowText(hWnd, caption, 32);  // sends nothing to a busy thread
            if (pid == GetCurrentProcessId() && std::wstring(cls) == L"#32770" &&
                std::wstring(caption) == L"Quillex V1.0")
                reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring StatusOf(HWND hDlg) {
    wchar_t text[256] = {};
    GetDlgItemTextW(hDlg, IDC_SPLASH_STATUS, text, 256);
    return text;
}

int PosOf(HWND hDlg) {
    return static_cast<int>(SendDlgItemMessageW(hDlg, IDC_SPLASH_PROGRESS, PBM_GETPOS, 0, 0));
}

std::pair<int, int> RangeOf(HWND hDlg) {
    PBRANGE range = {};
    SendDlgItemMessageW(hDlg, IDC_SPLASH_PROGRESS, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    return {range.iLow, range.iHigh};
}

// The status line lags the report by one trip through the splash thread's queue.
::testing::AssertionResult StatusShows(HWND hDlg, const std::wstring& text) {
    if (WaitFor([&] { return StatusOf(hDlg) == text; }, 3000)) return ::testing::AssertionSuccess();
    std::wstring shown = StatusOf(hDlg);
    return ::testing::AssertionFailure() << "status shows \"" << std::string(shown.begin(), shown.end())
                                         << "\", expected \"" << std::string(text.begin(), text.end()) << "\"";
}

// A splash started as the frame starts it, with a handle of its own on the thread.
class SplashTest : public ::testing::Test {
protected:
    void Start() {
        frame.StartSplash();
        CSplashScreenThread* pThread = frame.GetSplashThread();
        ASSERT_NE(nullptr, pThread);
        ASSERT_NE(nullptr, pThread->m_hThread);
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), pThread->m_hThread, GetCurrentProcess(), &hThread,
                                    SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, 0));
    }
    HWND WaitForDialog() {
        HWND hDlg = nullptr;
        WaitFor([&] {
            auto windows = SplashWindows();
            hDlg = windows.empty() ? nullptr : windows.front();
            return hDlg && GetDlgItem(hDlg, IDC_SPLASH_STATUS) && IsWindowVisible(hDlg);
        });
        return hDlg;
    }
    // The close destroys the dialog and ends the thread with exit code 1.
    void ExpectCloseEndsTheThread(HWND hDlg) {
        frame.CloseSplash();
        EXPECT_EQ(nullptr, frame.GetSplashThread());
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hThread, 5000)) << "the splash thread did not end";
        DWORD code = 0;
        GetExitCodeThread(hThread, &code);
        EXPECT_EQ(1u, code);
        if (hDlg) {
            EXPECT_FALSE(IsWindow(hDlg));
        }
        EXPECT_TRUE(SplashWindows().empty());
    }
    void TearDown() override {
        if (frame.GetSplashThread()) frame.CloseSplash();
        if (hThread) {
            WaitForSingleObject(hThread, 5000);
            CloseHandle(hThread);
        }
    }

    CSplashFrame frame;
    HANDLE hThread = nullptr;
};

TEST_F(SplashTest, ShowsInitializingOverAnEmptyBarOnAnUnownedWindow) {
    Start();
    HWND hDlg = WaitForDialog();
    ASSERT_NE(nullptr, hDlg);
    EXPECT_EQ(L"Initializing", StatusOf(hDlg));
    EXPECT_EQ(0, PosOf(hDlg));
    EXPECT_EQ(std::make_pair(0, 100), RangeOf(hDlg));
    EXPECT_EQ(GetThreadId(hThread), GetWindowThreadProcessId(hDlg, nullptr));  // the splash thread's own window
    EXPECT_EQ(nullptr, GetWindow(hDlg, GW_OWNER));
    EXPECT_NE(0, SendMessageW(hDlg, WM_GETICON, ICON_BIG, 0));
    EXPECT_NE(0, SendMessageW(hDlg, WM_GETICON, ICON_SMALL, 0));
    EXPECT_EQ(THREAD_PRIORITY_HIGHEST, GetThreadPriority(hThread));
    ExpectCloseEndsTheThread(hDlg);
}

// Reports the frame's progress and checks each on the splash's real controls.
class CheckingSink : public IProgressSink {
public:
    CheckingSink(CMainFrame& frame, HWND hDlg) : m_frame(frame), m_hDlg(hDlg) {}
    void SetProgressText(const std::wstring& text) override {
        m_frame.SetProgressText(text);
        m_texts.push_back(text);
        EXPECT_TRUE(StatusShows(m_hDlg, text));
    }
    void SetProgressRange(int lower, int upper) override {
        m_frame.SetProgressRange(lower, upper);
        ++m_nRanges;
        m_nSteps = 0;
        m_lower = lower;
        // Shown by the splash thread once it has taken the report: the range and an empty
        // bar (the class before may have had the same range, its bar full until then).
        EXPECT_TRUE(WaitFor([&] { return RangeOf(m_hDlg) == std::make_pair(lower, upper) && PosOf(m_hDlg) == lower; }))
            << "range " << RangeOf(m_hDlg).first << ".." << RangeOf(m_hDlg).second << ", position " << PosOf(m_hDlg);
    }
    void StepProgress() override {
        m_frame.StepProgress();
        ++m_nSteps;
        EXPECT_TRUE(WaitFor([&] { return PosOf(m_hDlg) == m_lower + m_nSteps; }));
    }

    std::vector<std::wstring> m_texts;
    int m_nRanges = 0;

private:
    CMainFrame& m_frame;
    HWND m_hDlg;
    int m_lower = 0;
    int m_nSteps = 0;
};

TEST_F(SplashTest, ShowsEachClassAndTheBarWhileTheClassListBuildsOnWinesRegistry) {
    Start();
    HWND hDlg = WaitForDialog();
    ASSERT_NE(nullptr, hDlg);
    CheckingSink sink(frame, hDlg);
    DriverClassList classes;
    ASSERT_TRUE(qx::BuildDriverClasses(classes, &sink));
    ASSERT_FALSE(classes.empty());

    // One "Processing Class ..." per class with a description, in build order; every
    // class that made it into the list was announced, and had its bar.
    size_t next = 0;
    for (const auto& pClass : classes) {
        const std::wstring expected = L"Processing Class " + pClass->GetDescription();
        while (next < sink.m_texts.size() && sink.m_texts[next] != expected) ++next;
        EXPECT_LT(next, sink.m_texts.size()) << "no report for a class";
    }
    for (const std::wstring& text : sink.m_texts) EXPECT_EQ(0u, text.rfind(L"Processing Class ", 0));
    EXPECT_EQ(static_cast<int>(classes.size()), sink.m_nRanges);

    // Then the tree fill's part: its title, one step per class.
    sink.SetProgressText(L"Building Class List");
    sink.SetProgressRange(0, static_cast<int>(classes.size()));
    for (size_t i = 0; i < classes.size(); ++i) sink.StepProgress();
    EXPECT_EQ(static_cast<int>(classes.size()), PosOf(hDlg));
    qx::ReleaseDriverClasses(classes);
    ExpectCloseEndsTheThread(hDlg);
}

TEST_F(SplashTest, BarWrapsAfterItsUpperBoundAndBoundsAreCutTo16Bits) {
    Start();
    HWND hDlg = WaitForDialog();
    ASSERT_NE(nullptr, hDlg);
    // Steps reach the bar a moment later, but each counts as if made alone.
    frame.SetProgressRange(0, 100);
    for (int i = 0; i < 100; ++i) frame.StepProgress();
    EXPECT_TRUE(WaitFor([&] { return PosOf(hDlg) == 100; }));
    frame.StepProgress();
    EXPECT_TRUE(WaitFor([&] { return PosOf(hDlg) <= 1; }));  // more than 100 devices start the bar again

    // No classes: a range of 0 to 0 keeps an empty bar.
    frame.SetProgressRange(0, 0);
    frame.StepProgress();
    frame.SetProgressText(L"Processing Class Empty");  // shown after the range and the step
    EXPECT_TRUE(StatusShows(hDlg, L"Processing Class Empty"));
    EXPECT_EQ(0, PosOf(hDlg));

    frame.SetProgressRange(0, 65536 + 7);
    EXPECT_TRUE(WaitFor([&] { return RangeOf(hDlg) == std::make_pair(0, 7); }));
    ExpectCloseEndsTheThread(hDlg);
}

TEST_F(SplashTest, ReportsMadeBeforeTheDialogExistsAreNotLost) {
    // The first report comes at once, before the splash thread has made its window.
    Start();
    frame.SetProgressText(L"Processing Class Early");
    frame.SetProgressRange(0, 40);
    frame.StepProgress();
    HWND hDlg = WaitForDialog();
    ASSERT_NE(nullptr, hDlg);
    EXPECT_TRUE(StatusShows(hDlg, L"Processing Class Early"));
    EXPECT_TRUE(WaitFor([&] { return RangeOf(hDlg) == std::make_pair(0, 40) && PosOf(hDlg) == 1; }));
    ExpectCloseEndsTheThread(hDlg);
}

TEST_F(SplashTest, CloseRightAfterTheStartStillEndsTheThread) {
    Start();
    ExpectCloseEndsTheThread(nullptr);
}

TEST_F(SplashTest, EscEnterOrTheCloseBoxHideTheSplashAndTheCloseStillEndsTheThread) {
    struct Way {
        const char* name;
        UINT message;
        WPARAM wParam;
    };
    const Way ways[] = {{"Esc", WM_KEYDOWN, VK_ESCAPE}, {"Enter", WM_KEYDOWN, VK_RETURN},
                        {"close box", WM_SYSCOMMAND, SC_CLOSE}};
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        Start();
        HWND hDlg = WaitForDialog();
        ASSERT_NE(nullptr, hDlg);
        PostMessageW(hDlg, way.message, way.wParam, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(hDlg); }));
        EXPECT_TRUE(IsWindow(hDlg));
        // The hidden splash still takes reports...
        frame.SetProgressText(L"Processing Class Hidden");
        frame.SetProgressRange(0, 3);
        frame.StepProgress();
        EXPECT_TRUE(StatusShows(hDlg, L"Processing Class Hidden"));
        EXPECT_TRUE(WaitFor([&] { return PosOf(hDlg) == 1; }));
        // ...and the close destroys it and ends the thread.
        ExpectCloseEndsTheThread(hDlg);
        CloseHandle(hThread);
        hThread = nullptr;
    }
}

TEST_F(SplashTest, ReportsAndTheCloseReachTheSplashWhileItsThreadRunsAModalLoop) {
    Start();
    HWND hDlg = WaitForDialog();
    ASSERT_NE(nullptr, hDlg);
    const DWORD splashThread = GetThreadId(hThread);
    auto inModalLoop = [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        return GetGUIThreadInfo(splashThread, &info) && (info.flags & (GUI_INMOVESIZE | GUI_INMENUMODE));
    };
    // What a user's drag of the splash's caption starts: the system's move loop, which
    // dispatches window messages only.
    PostMessageW(hDlg, WM_SYSCOMMAND, SC_MOVE, 0);
    ASSERT_TRUE(WaitFor(inModalLoop)) << "the splash thread never entered the move loop";
    frame.SetProgressText(L"Processing Class Moved");
    frame.SetProgressRange(0, 10);
    frame.StepProgress();
    frame.StepProgress();
    EXPECT_TRUE(StatusShows(hDlg, L"Processing Class Moved"));
    EXPECT_TRUE(WaitFor([&] { return PosOf(hDlg) == 2; }));
    EXPECT_TRUE(inModalLoop());
    ExpectCloseEndsTheThread(hDlg);
}

// ---- The splash in the program's start-up ------------------------------------------

// Watches, from a thread of its own, for the splash while the program starts, and
// whether the program's own thread (the caller's) showed a window of its own yet.
class SplashWatcher {
public:
    SplashWatcher()
        : m_mainThread(GetCurrentThreadId()), m_thread([this] {
              while (!m_bStop) {
                  for (HWND hDlg : SplashWindows()) {
                      if (!IsWindowVisible(hDlg)) continue;
                      m_bSeen = true;
                      if (!MainThreadShowsAWindow()) m_bSeenBeforeFrame = true;
                  }
                  Sleep(2);
              }
          }) {}
    ~SplashWatcher() { Stop(); }
    void Stop() {
        m_bStop = true;
        if (m_thread.joinable()) m_thread.join();
    }
    std::atomic<bool> m_bSeen{false};
    std::atomic<bool> m_bSeenBeforeFrame{false};

private:
    bool MainThreadShowsAWindow() const {
        bool bShown = false;
        EnumThreadWindows(
            m_mainThread,
            [](HWND hWnd, LPARAM lParam) -> BOOL {
                if (IsWindowVisible(hWnd)) *reinterpret_cast<bool*>(lParam) = true;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&bShown));
        return bShown;
    }

    const DWORD m_mainThread;
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};

// A window of the test's own, to be in front of the program.
class OtherWindow {
public:
    OtherWindow() {
        RECT r = {300, 300, 500, 400};
        m_wnd.CreateEx(0, nullptr, L"Somewhere else", WS_OVERLAPPEDWINDOW | WS_VISIBLE, r, nullptr, 0);
    }
    ~OtherWindow() { m_wnd.DestroyWindow(); }
    HWND Get() const { return m_wnd.m_hWnd; }

private:
    CWnd m_wnd;
};

TEST(SplashStartupTest, SplashShowsWhileTheFrameIsHiddenAndIsGoneForGoodAfterTheStart) {
    MessageBoxRecorder boxes;
    AppSession app;
    SplashWatcher watcher;
    ASSERT_TRUE(app.Start(kVersion10));
    CMainFrame* frame = app.Frame();
    ASSERT_NE(nullptr, frame);
    // The tree's fill closed it: the frame has let go of the thread, and the window goes.
    EXPECT_EQ(nullptr, frame->GetSplashThread());
    ASSERT_TRUE(app.PumpUntil([] { return SplashWindows().empty(); }, 5000));
    watcher.Stop();
    EXPECT_TRUE(watcher.m_bSeen);
    EXPECT_TRUE(watcher.m_bSeenBeforeFrame);  // up while the frame was still hidden
    app.PumpFor(50);
    EXPECT_EQ(frame->m_hWnd, GetForegroundWindow());

    // Once closed, the splash is gone for good: reports show nothing and a second
    // close leaves the window in front where it is.
    OtherWindow other;
    SetForegroundWindow(other.Get());
    app.PumpFor(50);
    ASSERT_EQ(other.Get(), GetForegroundWindow());
    frame->SetProgressText(L"Processing Class Late");
    frame->SetProgressRange(0, 5);
    frame->StepProgress();
    frame->CloseSplash();
    app.PumpFor(100);
    EXPECT_EQ(other.Get(), GetForegroundWindow());
    EXPECT_TRUE(SplashWindows().empty());
    EXPECT_TRUE(boxes.Requests().empty());
}

TEST(SplashStartupTest, SplashThatCannotBeMadeLeavesStartUpWorking) {
    const UINT previous = CSplashScreenThread::SetDialogTemplate(0x7ABC);
    MessageBoxRecorder boxes;
    AppSession app;
    SplashWatcher watcher;
    ASSERT_TRUE(app.Start(kVersion10));
    watcher.Stop();
    CSplashScreenThread::SetDialogTemplate(previous);
    CMainFrame* frame = app.Frame();
    ASSERT_NE(nullptr, frame);
    EXPECT_FALSE(watcher.m_bSeen);
    EXPECT_TRUE(frame->IsWindowVisible());
    ASSERT_NE(nullptr, app.Document());
    EXPECT_FALSE(app.Document()->GetDriverClasses().empty());  // the class list was built all the same

    // The thread ended on its own while the frame may still hold its link: reports
    // and the close reach nothing and do nothing.
    if (CSplashScreenThread* pThread = frame->GetSplashThread()) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pThread->m_hThread, 5000));
        frame->SetProgressText(L"Processing Class Nowhere");
        frame->SetProgressRange(0, 10);
        frame->StepProgress();
    }
    frame->CloseSplash();
    frame->CloseSplash();
    EXPECT_EQ(nullptr, frame->GetSplashThread());
    EXPECT_TRUE(SplashWindows().empty());
    EXPECT_TRUE(boxes.Requests().empty());
}

}  // namespace
