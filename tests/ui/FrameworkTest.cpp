// The framework layer's parts that the later windows stand on: user-interface
// threads, modeless dialogs with data exchange, notifications reflected to the
// control objects, and the form view's scrolling.
#include <gtest/gtest.h>

#include <atomic>

#include "res/resource.h"
#include "tests/ui/AppHarness.h"
#include "ui/framework/DataExchange.h"
#include "ui/framework/Dialog.h"
#include "ui/framework/FormView.h"
#include "ui/framework/ListCtrl.h"
#include "ui/framework/Static.h"
#include "ui/framework/TreeView.h"
#include "ui/InfoView.h"

using namespace qxtest;

namespace {

// ---- User-interface threads --------------------------------------------------

std::atomic<int> g_threadEvents{0};
std::atomic<bool> g_threadDeleted{false};
std::atomic<DWORD> g_handlerThread{0};
const UINT WM_TEST_PING = WM_USER + 1;
const UINT WM_TEST_END = WM_USER + 2;

class CTestThread : public CWinThread {
public:
    ~CTestThread() override { g_threadDeleted = true; }
    BOOL InitInstance() override { return TRUE; }
    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->hwnd) return CWinThread::PreTranslateMessage(pMsg);
        if (pMsg->message == WM_TEST_PING) {
            g_handlerThread = GetCurrentThreadId();
            g_threadEvents += static_cast<int>(pMsg->wParam);
        } else if (pMsg->message == WM_TEST_END) {
            AfxEndThread(1);
        }
        return TRUE;
    }
};

TEST(WinThreadTest, ThreadMessagesRunOnTheThreadAndAfxEndThreadDeletesIt) {
    auto* thread = new CTestThread;
    ASSERT_TRUE(thread->CreateThread(CREATE_SUSPENDED));
    HANDLE hThread = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), thread->m_hThread, GetCurrentProcess(), &hThread, SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, 0));
    DWORD id = thread->m_nThreadID;
    thread->ResumeThread();
    // The thread's queue exists once it has run its first instruction; post until taken.
    for (int i = 0; i < 200 && !PostThreadMessageW(id, WM_TEST_PING, 3, 0); ++i) Sleep(5);
    PostThreadMessageW(id, WM_TEST_PING, 4, 0);
    PostThreadMessageW(id, WM_TEST_END, 0, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hThread, 5000));
    DWORD code = 0;
    GetExitCodeThread(hThread, &code);
    CloseHandle(hThread);
    EXPECT_EQ(1u, code);
    EXPECT_EQ(7, g_threadEvents.load());
    EXPECT_EQ(id, g_handlerThread.load());
    EXPECT_TRUE(g_threadDeleted.load());
}

class CFailingThread : public CWinThread {
public:
    ~CFailingThread() override { g_threadDeleted = true; }
    BOOL InitInstance() override { return FALSE; }
};

TEST(WinThreadTest, ThreadWhoseInitInstanceFailsEndsAndDeletesItself) {
    g_threadDeleted = false;
    auto* thread = new CFailingThread;
    ASSERT_TRUE(thread->CreateThread(CREATE_SUSPENDED));
    HANDLE hThread = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), thread->m_hThread, GetCurrentProcess(), &hThread, SYNCHRONIZE, FALSE, 0));
    thread->ResumeThread();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hThread, 5000));
    CloseHandle(hThread);
    EXPECT_TRUE(g_threadDeleted.load());
}

// ---- Dialogs and data exchange -------------------------------------------------

// A modeless dialog on the Modify Filters template, exchanging its edit's text.
class CTestDialog : public CDialog {
public:
    CTestDialog() : CDialog(IDD_MODIFY_FILTERS) {}
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_FILTERS_LABEL, m_label);
        DDX_Text(pDX, IDC_FILTERS_EDIT, m_strText);
        if (m_bAskMissing) DDX_Text(pDX, 4242, m_strText);
    }
    BOOL OnInitDialog() override {
        ++m_nInits;
        return CDialog::OnInitDialog();
    }
    void OnOK() override {
        ++m_nOks;
        CDialog::OnOK();
    }
    CStatic m_label;
    CString m_strText = L"upper lower";
    bool m_bAskMissing = false;
    int m_nInits = 0;
    int m_nOks = 0;
};

TEST(DialogTest, ModelessDialogExchangesDataAndOkOnlyHidesIt) {
    CTestDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_MODIFY_FILTERS));
    EXPECT_FALSE(dlg.IsModal());
    EXPECT_EQ(1, dlg.m_nInits);
    // Initialisation put the member into the edit and bound the label.
    EXPECT_EQ(&dlg, CWnd::FromHandlePermanent(dlg.m_hWnd));
    EXPECT_EQ(&dlg.m_label, dlg.GetDlgItem(IDC_FILTERS_LABEL));
    wchar_t text[64] = {};
    GetDlgItemTextW(dlg.m_hWnd, IDC_FILTERS_EDIT, text, 64);
    EXPECT_STREQ(L"upper lower", text);
    EXPECT_EQ(dlg.m_label.m_hWnd, GetDlgItem(dlg.m_hWnd, IDC_FILTERS_LABEL));

    SetDlgItemTextW(dlg.m_hWnd, IDC_FILTERS_EDIT, L"kbdclass");
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(L"kbdclass", dlg.m_strText);

    // OK through the dialog's own command: the virtual OnOK runs; a modeless dialog is hidden, not gone.
    dlg.ShowWindow(SW_SHOW);
    dlg.SendMessage(WM_COMMAND, IDOK);
    EXPECT_EQ(1, dlg.m_nOks);
    EXPECT_TRUE(IsWindow(dlg.m_hWnd));
    EXPECT_FALSE(dlg.IsWindowVisible());

    // A control the template lacks makes the exchange fail instead of crashing.
    dlg.m_bAskMissing = true;
    EXPECT_FALSE(dlg.UpdateData(FALSE));
    HWND hWnd = dlg.m_hWnd;
    EXPECT_TRUE(dlg.DestroyWindow());
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(nullptr, dlg.m_hWnd);
    EXPECT_EQ(nullptr, dlg.m_label.m_hWnd);
}

TEST(DialogTest, ModalDialogReturnsWhatEndedIt) {
    CTestDialog dlg;
    SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        HWND hDlg = FindWindowW(nullptr, L"Modify Filters");
        if (hDlg) PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ(1, dlg.m_nInits);
    EXPECT_EQ(0, dlg.m_nOks);
    EXPECT_EQ(nullptr, dlg.m_hWnd);
}

// ---- Reflected notifications -----------------------------------------------------

class CTestTree : public CTreeView {
public:
    void OnSelChanging(NMHDR* pNMHDR, LRESULT* pResult) {
        m_lastData = reinterpret_cast<NMTREEVIEWW*>(pNMHDR)->itemNew.lParam;
        ++m_nChanges;
        *pResult = 0;
    }
    void PostNcDestroy() override {}  // on the stack here
    LPARAM m_lastData = 0;
    int m_nChanges = 0;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestTree, CTreeView)
    ON_NOTIFY_REFLECT(TVN_SELCHANGINGW, &CTestTree::OnSelChanging)
END_MESSAGE_MAP()

class CTestList : public CListCtrl {
public:
    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        ++m_nDrawn;
        m_lastItem = static_cast<int>(dis->itemID);
    }
    int m_nDrawn = 0;
    int m_lastItem = -1;
};

TEST(ReflectionTest, TreeNotificationsAndListDrawingReachTheControlObjects) {
    CTestDialog parent;
    ASSERT_TRUE(parent.Create(IDD_MODIFY_FILTERS));
    parent.ShowWindow(SW_SHOW);

    CTestTree tree;
    RECT r = {0, 0, 100, 100};
    ASSERT_TRUE(tree.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, r, &parent, 5001));
    TVINSERTSTRUCTW insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<LPWSTR>(L"one");
    insert.item.lParam = 11;
    tree.InsertItem(insert);
    insert.item.pszText = const_cast<LPWSTR>(L"two");
    insert.item.lParam = 22;
    HTREEITEM hTwo = tree.InsertItem(insert);
    ASSERT_TRUE(tree.SelectItem(hTwo));
    EXPECT_GE(tree.m_nChanges, 1);
    EXPECT_EQ(22, tree.m_lastData);
    EXPECT_EQ(22, tree.GetItemData(tree.GetSelectedItem()));

    CTestList list;
    RECT rl = {0, 100, 200, 200};
    ASSERT_TRUE(list.CreateEx(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED, rl,
                              &parent, 5002));
    list.InsertColumn(0, L"Key Name", LVCFMT_LEFT, 80);
    ASSERT_EQ(0, list.InsertItem(0, L"row"));
    list.Invalidate();
    list.UpdateWindow();
    EXPECT_GE(list.m_nDrawn, 1);
    EXPECT_EQ(0, list.m_lastItem);
    parent.DestroyWindow();
    EXPECT_EQ(nullptr, tree.m_hWnd);
    EXPECT_EQ(nullptr, list.m_hWnd);
}

// ---- Creation: standard classes, every message -----------------------------------

// Every message the window procedure is called with, as a hook on this thread sees it.
std::vector<std::pair<HWND, UINT>> g_delivered;
LRESULT CALLBACK RecordDelivered(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* cwp = reinterpret_cast<const CWPSTRUCT*>(lParam);
        g_delivered.emplace_back(cwp->hwnd, cwp->message);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class CRecordingTree : public CTreeView {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        m_seen.push_back(message);
        return CTreeView::WindowProc(message, wParam, lParam);
    }
    void PostNcDestroy() override {}
    std::vector<UINT> m_seen;
};

TEST(CreationTest, AControlKeepsItsStandardClassAndItsObjectSeesEveryMessageFromTheFirst) {
    CTestDialog parent;
    ASSERT_TRUE(parent.Create(IDD_MODIFY_FILTERS));
    g_delivered.clear();
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, RecordDelivered, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    CRecordingTree tree;
    RECT r = {0, 0, 100, 100};
    BOOL created = tree.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, r, &parent, 5003);
    tree.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"x"));
    UnhookWindowsHookEx(hook);
    ASSERT_TRUE(created);

    wchar_t name[64] = {}, real[64] = {};
    GetClassNameW(tree.m_hWnd, name, 64);
    RealGetWindowClassW(tree.m_hWnd, real, 64);
    EXPECT_STREQ(WC_TREEVIEWW, name);
    EXPECT_STREQ(WC_TREEVIEWW, real);

    std::vector<UINT> delivered;
    for (const auto& entry : g_delivered)
        if (entry.first == tree.m_hWnd) delivered.push_back(entry.second);
    ASSERT_FALSE(delivered.empty());
    EXPECT_TRUE(delivered.front() == WM_GETMINMAXINFO || delivered.front() == WM_NCCREATE) << delivered.front();
    // The object saw each message the window got, in order, from the very first.
    EXPECT_EQ(delivered, tree.m_seen);
    parent.DestroyWindow();
    EXPECT_EQ(nullptr, tree.m_hWnd);
}

// ---- Form view ---------------------------------------------------------------------

TEST(FormViewTest, FormScrollsWhenItsPaneIsSmallerThanTheTemplate) {
    MessageBoxRecorder boxes;
    AppSession app;
    ASSERT_TRUE(app.Start(kVersion10));
    CMainFrame* frame = app.Frame();
    auto* form = dynamic_cast<CFormView*>(frame->GetSplitter().GetPane(0, 1));
    ASSERT_NE(nullptr, form);
    SetWindowPos(frame->m_hWnd, nullptr, 0, 0, 500, 300, SWP_NOZORDER | SWP_NOMOVE);
    app.PumpFor(30);
    RECT client;
    form->GetClientRect(&client);
    ASSERT_LT(client.bottom, form->GetTotalSize().cy);
    SCROLLINFO si = {sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(form->m_hWnd, SB_VERT, &si));
    EXPECT_EQ(form->GetTotalSize().cy - 1, si.nMax);
    EXPECT_EQ(static_cast<UINT>(client.bottom), si.nPage);

    HWND hGuid = GetDlgItem(form->m_hWnd, IDC_CLASS_GUID);
    RECT before, after;
    GetWindowRect(hGuid, &before);
    form->SendMessage(WM_VSCROLL, SB_PAGEDOWN);
    GetWindowRect(hGuid, &after);
    EXPECT_EQ(client.bottom, form->GetScrollPosition().y);
    EXPECT_EQ(before.top - client.bottom, after.top);  // the controls moved up by a page
    // A wheel notch away from the user scrolls up, one toward the user down.
    form->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA));
    EXPECT_EQ(client.bottom - 48, form->GetScrollPosition().y);
    form->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)));
    EXPECT_EQ(client.bottom, form->GetScrollPosition().y);
    // Growing the pane back scrolls home, since nothing is hidden any more.
    SetWindowPos(frame->m_hWnd, nullptr, 0, 0, 1200, 900, SWP_NOZORDER | SWP_NOMOVE);
    app.PumpFor(30);
    EXPECT_EQ(0, form->GetScrollPosition().y);
    GetWindowRect(hGuid, &after);
    RECT frameNow;
    GetWindowRect(form->m_hWnd, &frameNow);
    EXPECT_GT(after.top, frameNow.top);
}

}  // namespace
