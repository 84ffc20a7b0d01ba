// The main window after a normal start: caption, menus, toolbar, status bar, panes,
// command routing to the active pane, the View and Options commands, and the exit.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "res/resource.h"
#include "tests/ui/AppHarness.h"
#include "ui/InfoView.h"
#include "ui/VelorTreeView.h"

using namespace qxtest;

namespace {

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.Start(kVersion10));
        frame = app.Frame();
        ASSERT_NE(nullptr, frame);
    }
    CWnd* Pane(int col) { return frame->GetSplitter().GetPane(0, col); }
    RECT PaneRect(int col) {
        RECT r = {};
        if (CWnd* p = Pane(col)) p->GetWindowRect(&r);
        return r;
    }
    void Command(UINT nID) {
        frame->PostMessage(WM_COMMAND, nID);
        app.PumpFor(30);
    }

    MessageBoxRecorder boxes;
    AppSession app;
    CMainFrame* frame = nullptr;
};

std::wstring MenuText(HMENU hMenu, int pos) {
    wchar_t text[128] = {};
    GetMenuStringW(hMenu, static_cast<UINT>(pos), text, 128, MF_BYPOSITION);
    return text;
}

// Screen readers and automation tools know a control by its class: every window the
// program makes keeps its class's own name.
TEST_F(MainFrameTest, EveryControlHasItsStandardClassName) {
    std::vector<HWND> windows;
    EnumChildWindows(
        frame->m_hWnd,
        [](HWND hWnd, LPARAM lParam) {
            reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    std::vector<std::wstring> controls;
    for (HWND hWnd : windows) {
        wchar_t name[128] = {}, real[128] = {};
        GetClassNameW(hWnd, name, 128);
        RealGetWindowClassW(hWnd, real, 128);
        EXPECT_STREQ(name, real);
        EXPECT_NE(0, wcsncmp(name, L"Quillex.", 8)) << name;
        if (wcsncmp(name, L"Quillex", 7) != 0 && wcscmp(name, L"#32770") != 0) controls.push_back(name);
    }
    auto has = [&](const wchar_t* cls) { return std::find(controls.begin(), controls.end(), cls) != controls.end(); };
    for (const wchar_t* cls : {WC_TREEVIEWW, WC_LISTVIEWW, TOOLBARCLASSNAMEW, STATUSCLASSNAMEW, WC_BUTTONW, WC_EDITW,
                               WC_LISTBOXW})
        EXPECT_TRUE(has(cls)) << cls;
    wchar_t treeClass[64] = {};
    GetClassNameW(Pane(0)->m_hWnd, treeClass, 64);
    EXPECT_STREQ(WC_TREEVIEWW, treeClass);
}

TEST_F(MainFrameTest, CaptionIsTheWindowTitleAndTheDocumentTitle) {
    EXPECT_EQ(L"Velor's Windows 2000 Device Quillex - Quillex V1.0", frame->GetWindowText());
}

TEST_F(MainFrameTest, MenusHaveTheirTextsIdsAndOrder) {
    HMENU hMenu = GetMenu(frame->m_hWnd);
    ASSERT_EQ(5, GetMenuItemCount(hMenu));
    const wchar_t* popups[] = {L"&File", L"&Edit", L"&Options", L"&View", L"&Help"};
    struct Item {
        const wchar_t* text;
        UINT id;
    };
    const std::vector<std::vector<Item>> items = {
        {{L"Open &Offline System Hive...", ID_FILE_OPEN_OFFLINE_HIVE}, {L"", 0}, {L"E&xit", ID_APP_EXIT}},
        {{L"&Find...\tCtrl+F", ID_EDIT_FIND}, {L"Find &Next\tF3", ID_EDIT_FIND_NEXT}},
        {{L"&Safe Mode", ID_OPTIONS_SAFE_MODE}, {L"&Registry Parameters", ID_OPTIONS_REGISTRY_PARAMETERS},
         {L"Check &Filters...\tCtrl+K", ID_OPTIONS_CHECK_FILTERS},
         {L"Restart &Devices", ID_OPTIONS_RESTART_DEVICES}, {L"", 0},
         {L"&Undo Last Filter Change\tCtrl+Z", ID_OPTIONS_UNDO_FILTER_CHANGE},
         {L"Change &History...", ID_OPTIONS_CHANGE_HISTORY}},
        {{L"&Toolbar", ID_VIEW_TOOLBAR}, {L"&Status Bar", ID_VIEW_STATUS_BAR}, {L"S&plit", ID_WINDOW_SPLIT},
         {L"Device &Names", ID_VIEW_DEVICE_NAMES}, {L"", 0}, {L"&Refresh\tF5", ID_VIEW_REFRESH}},
        {{L"&About Quillex...", ID_APP_ABOUT}},
    };
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(popups[i], MenuText(hMenu, i));
        HMENU hPopup = GetSubMenu(hMenu, i);
        ASSERT_NE(nullptr, hPopup);
        ASSERT_EQ(static_cast<int>(items[static_cast<size_t>(i)].size()), GetMenuItemCount(hPopup));
        for (size_t j = 0; j < items[static_cast<size_t>(i)].size(); ++j) {
            EXPECT_EQ(items[static_cast<size_t>(i)][j].text, MenuText(hPopup, static_cast<int>(j)));
            EXPECT_EQ(items[static_cast<size_t>(i)][j].id, GetMenuItemID(hPopup, static_cast<int>(j)));
        }
    }
}

TEST_F(MainFrameTest, ToolbarHasAboutAndCheckFiltersWithTheirTooltips) {
    CToolBar& bar = frame->GetToolBar();
    ASSERT_EQ(3, bar.GetCount());
    EXPECT_EQ(static_cast<UINT>(ID_APP_ABOUT), bar.GetItemID(0));
    EXPECT_EQ(static_cast<UINT>(ID_OPTIONS_CHECK_FILTERS), bar.GetItemID(2));
    EXPECT_EQ(16, bar.GetButtonImageSize().cx);
    EXPECT_EQ(15, bar.GetButtonImageSize().cy);
    EXPECT_TRUE(bar.IsWindowVisible());
    // Enabled at idle time: the application handles the command.
    EXPECT_TRUE(bar.SendMessage(TB_ISBUTTONENABLED, ID_APP_ABOUT));
    // The tooltip's text, as the toolbar's tooltip control asks the frame for it.
    NMTTDISPINFOW info = {};
    info.hdr.hwndFrom = reinterpret_cast<HWND>(bar.SendMessage(TB_GETTOOLTIPS));
    info.hdr.idFrom = ID_APP_ABOUT;
    info.hdr.code = TTN_GETDISPINFOW;
    ASSERT_NE(nullptr, info.hdr.hwndFrom) << "the toolbar has no tooltips";
    frame->SendMessage(WM_NOTIFY, ID_APP_ABOUT, reinterpret_cast<LPARAM>(&info));
    ASSERT_NE(nullptr, info.lpszText);
    EXPECT_STREQ(L"About", info.lpszText);
    info.lpszText = nullptr;
    info.hdr.idFrom = ID_OPTIONS_CHECK_FILTERS;
    frame->SendMessage(WM_NOTIFY, ID_OPTIONS_CHECK_FILTERS, reinterpret_cast<LPARAM>(&info));
    ASSERT_NE(nullptr, info.lpszText);
    EXPECT_STREQ(L"Check Filters", info.lpszText);
}

TEST_F(MainFrameTest, ToolbarButtonShowsItsPromptWhileTheMouseIsOverIt) {
    CToolBar& bar = frame->GetToolBar();
    RECT r = {};
    ASSERT_TRUE(bar.SendMessage(TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r)));
    bar.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    app.PumpFor(50);
    EXPECT_EQ(L"Display program information, version number and copyright",
              frame->GetStatusBar().GetPaneText(0));
    // Leaving the toolbar brings the idle text back.
    bar.PostMessage(WM_MOUSELEAVE);
    app.PumpFor(50);
    EXPECT_EQ(L"For Help, press F1", frame->GetStatusBar().GetPaneText(0));
}

TEST_F(MainFrameTest, StatusBarHasFivePanesAndTheIdleText) {
    CStatusBar& bar = frame->GetStatusBar();
    EXPECT_EQ(5, bar.SendMessage(SB_GETPARTS, 0, 0));
    ASSERT_EQ(5, bar.GetCount());
    EXPECT_EQ(static_cast<UINT>(ID_INDICATOR_SAFE), bar.GetItemID(4));
    EXPECT_EQ(static_cast<UINT>(ID_SEPARATOR), bar.GetItemID(0));
    EXPECT_EQ(static_cast<UINT>(ID_INDICATOR_CAPS), bar.GetItemID(1));
    EXPECT_EQ(static_cast<UINT>(ID_INDICATOR_NUM), bar.GetItemID(2));
    EXPECT_EQ(static_cast<UINT>(ID_INDICATOR_SCRL), bar.GetItemID(3));
    EXPECT_EQ(L"CAP", bar.GetIndicatorText(1));
    EXPECT_EQ(L"NUM", bar.GetIndicatorText(2));
    EXPECT_EQ(L"SCRL", bar.GetIndicatorText(3));
    EXPECT_EQ(L"For Help, press F1", bar.GetPaneText(0));
    // An indicator shows its text exactly while its key is on.
    for (int i = 1; i <= 3; ++i) {
        int vk = i == 1 ? VK_CAPITAL : i == 2 ? VK_NUMLOCK : VK_SCROLL;
        EXPECT_EQ((GetKeyState(vk) & 1) ? bar.GetIndicatorText(i) : std::wstring(), bar.GetPaneText(i)) << i;
    }
}

TEST_F(MainFrameTest, HighlightedMenuItemShowsItsPromptUntilTheMenuCloses) {
    HMENU hMenu = GetMenu(frame->m_hWnd);
    HMENU hView = PopupHolding(hMenu, ID_VIEW_TOOLBAR);
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_VIEW_TOOLBAR, MF_HILITE), reinterpret_cast<LPARAM>(hView));
    EXPECT_EQ(L"Show or hide the toolbar", frame->GetStatusBar().GetPaneText(0));
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_WINDOW_SPLIT, MF_HILITE), reinterpret_cast<LPARAM>(hView));
    EXPECT_EQ(L"Split the active window into panes", frame->GetStatusBar().GetPaneText(0));
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(L"For Help, press F1", frame->GetStatusBar().GetPaneText(0));
}

TEST_F(MainFrameTest, TreePaneStarts200PixelsWideAndTheFormTakesTheRest) {
    ASSERT_NE(nullptr, Pane(0));
    ASSERT_NE(nullptr, Pane(1));
    EXPECT_TRUE(Pane(0)->IsKindOf(RUNTIME_CLASS(CVelorTreeView)));
    EXPECT_TRUE(Pane(1)->IsKindOf(RUNTIME_CLASS(CInfoView)));
    RECT tree = PaneRect(0), form = PaneRect(1), splitter;
    frame->GetSplitter().GetWindowRect(&splitter);
    EXPECT_EQ(200, tree.right - tree.left);
    EXPECT_EQ(splitter.right, form.right);
    EXPECT_EQ(tree.right + frame->GetSplitter().GetSplitterBarWidth(), form.left);
    // The tree carries its three styles.
    DWORD style = Pane(0)->GetStyle();
    EXPECT_EQ(static_cast<DWORD>(TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT),
              style & (TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT));
    EXPECT_EQ(Pane(1), static_cast<CVelorTreeView*>(Pane(0))->GetInfoView());
}

TEST_F(MainFrameTest, OptionsAreLiveWhicheverPaneIsActive) {
    // The tree is active after start-up: the form's commands still reach it.
    ASSERT_NE(nullptr, frame->GetActiveView());
    EXPECT_TRUE(frame->GetActiveView()->IsKindOf(RUNTIME_CLASS(CVelorTreeView)));
    EXPECT_TRUE(MenuItemState(app, ID_OPTIONS_SAFE_MODE, true, true));
    EXPECT_TRUE(MenuItemState(app, ID_OPTIONS_REGISTRY_PARAMETERS, true, false));
    PressKey(app, VK_F6);
    EXPECT_TRUE(frame->GetActiveView()->IsKindOf(RUNTIME_CLASS(CInfoView)));
    EXPECT_TRUE(MenuItemState(app, ID_OPTIONS_SAFE_MODE, true, true));
    PressKey(app, VK_F6, true);
    EXPECT_TRUE(frame->GetActiveView()->IsKindOf(RUNTIME_CLASS(CVelorTreeView)));
    EXPECT_TRUE(MenuItemState(app, ID_OPTIONS_SAFE_MODE, true, true));
}

TEST_F(MainFrameTest, OptionsCommandsReachTheFormFromTheTreeAndToggleIt) {
    HWND hUpper = GetDlgItem(Pane(1)->m_hWnd, IDC_MODIFY_UPPER);
    HWND hLower = GetDlgItem(Pane(1)->m_hWnd, IDC_MODIFY_LOWER);
    HWND hList = GetDlgItem(Pane(1)->m_hWnd, IDC_REGISTRY_LIST);
    auto* form = static_cast<CInfoView*>(Pane(1));
    CStatusBar& bar = frame->GetStatusBar();
    app.PumpFor(30);
    EXPECT_EQ(L"SAFE", bar.GetPaneText(4));
    EXPECT_NE(std::wstring::npos, form->GetModifyTip().find(L"Safe Mode is on")) << "the greyed buttons say why";
    // With the tree active the command reaches the form.
    Command(ID_OPTIONS_SAFE_MODE);
    EXPECT_FALSE(form->IsSafeMode());
    EXPECT_TRUE(IsWindowEnabled(hUpper));
    EXPECT_EQ(L"EDIT", bar.GetPaneText(4));
    EXPECT_EQ(L"", form->GetModifyTip());
    Command(ID_OPTIONS_SAFE_MODE);
    EXPECT_TRUE(form->IsSafeMode());
    EXPECT_EQ(L"SAFE", bar.GetPaneText(4));

    PressKey(app, VK_F6);
    Command(ID_OPTIONS_SAFE_MODE);
    EXPECT_FALSE(form->IsSafeMode());
    EXPECT_TRUE(IsWindowEnabled(hUpper));
    EXPECT_TRUE(IsWindowEnabled(hLower));
    EXPECT_TRUE(MenuItemState(app, ID_OPTIONS_SAFE_MODE, true, false));
    Command(ID_OPTIONS_SAFE_MODE);
    EXPECT_FALSE(IsWindowEnabled(hUpper));
    EXPECT_FALSE(IsWindowEnabled(hLower));
    EXPECT_TRUE(MenuItemState(app, ID_OPTIONS_SAFE_MODE, true, true));

    EXPECT_FALSE(IsWindowVisible(hList));
    Command(ID_OPTIONS_REGISTRY_PARAMETERS);
    EXPECT_TRUE(IsWindowVisible(hList));
    EXPECT_TRUE(MenuItemState(app, ID_OPTIONS_REGISTRY_PARAMETERS, true, true));
    Command(ID_OPTIONS_REGISTRY_PARAMETERS);
    EXPECT_FALSE(IsWindowVisible(hList));
    EXPECT_TRUE(MenuItemState(app, ID_OPTIONS_REGISTRY_PARAMETERS, true, false));
}

TEST_F(MainFrameTest, ViewCommandsToggleTheBarsWithCheckMarks) {
    RECT before = PaneRect(0);
    EXPECT_TRUE(MenuItemState(app, ID_VIEW_TOOLBAR, true, true));
    EXPECT_TRUE(MenuItemState(app, ID_VIEW_STATUS_BAR, true, true));
    Command(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(frame->GetToolBar().IsWindowVisible());
    EXPECT_TRUE(MenuItemState(app, ID_VIEW_TOOLBAR, true, false));
    EXPECT_LT(PaneRect(0).top, before.top);  // the panes take the toolbar's room
    Command(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(frame->GetStatusBar().IsWindowVisible());
    EXPECT_TRUE(MenuItemState(app, ID_VIEW_STATUS_BAR, true, false));
    EXPECT_GT(PaneRect(0).bottom, before.bottom);
    Command(ID_VIEW_TOOLBAR);
    Command(ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(MenuItemState(app, ID_VIEW_TOOLBAR, true, true));
    EXPECT_TRUE(MenuItemState(app, ID_VIEW_STATUS_BAR, true, true));
    RECT after = PaneRect(0);
    EXPECT_EQ(before.top, after.top);
    EXPECT_EQ(before.bottom, after.bottom);
}

TEST_F(MainFrameTest, SplitMovesTheBarFromTheKeyboard) {
    EXPECT_TRUE(MenuItemState(app, ID_WINDOW_SPLIT, true, false));
    Command(ID_WINDOW_SPLIT);
    ASSERT_TRUE(frame->GetSplitter().IsTracking());
    PressKey(app, VK_RIGHT);
    PressKey(app, VK_RIGHT);
    PressKey(app, VK_RETURN);
    EXPECT_FALSE(frame->GetSplitter().IsTracking());
    RECT tree = PaneRect(0);
    EXPECT_EQ(216, tree.right - tree.left);
    // Still two panes: the splitter is static.
    EXPECT_NE(nullptr, Pane(1));
    EXPECT_EQ(nullptr, frame->GetSplitter().GetPane(0, 2));

    // Escape puts the bar back where the move started.
    Command(ID_WINDOW_SPLIT);
    PressKey(app, VK_LEFT);
    PressKey(app, VK_ESCAPE);
    tree = PaneRect(0);
    EXPECT_EQ(216, tree.right - tree.left);
}

TEST_F(MainFrameTest, SplitterBarFollowsTheMouse) {
    RECT tree = PaneRect(0);
    POINT barInSplitter = {tree.right - tree.left + 2, 40};
    CSplitterWnd& splitter = frame->GetSplitter();
    splitter.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(barInSplitter.x, barInSplitter.y));
    splitter.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(barInSplitter.x + 50, barInSplitter.y));
    splitter.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(barInSplitter.x + 50, barInSplitter.y));
    tree = PaneRect(0);
    EXPECT_EQ(250, tree.right - tree.left);
}

// What the user sees after the bar moves: every pixel of the form that no control
// covers is the form's background (no copy of what stood there before).
TEST_F(MainFrameTest, TheFormPaintsItselfWholeAfterTheBarMoves) {
    CWnd* form = Pane(1);
    // The form just fits; the move makes it narrower than its template.
    SetWindowPos(frame->m_hWnd, HWND_TOP, 0, 0, 952, 741, SWP_NOMOVE);
    app.PumpFor(50);
    CSplitterWnd& splitter = frame->GetSplitter();
    const int bar = PaneRect(0).right - PaneRect(0).left + 2;
    splitter.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(bar, 40));
    for (int step = 1; step <= 4; ++step) {
        splitter.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(bar + 30 * step, 40));
        app.PumpFor(20);
    }
    splitter.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(bar + 120, 40));
    frame->UpdateWindow();
    app.PumpFor(50);

    // Controls cover their rectangles; a group box only its frame and caption.
    std::vector<RECT> covered;
    for (HWND h = GetWindow(form->m_hWnd, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (!IsWindowVisible(h)) continue;
        RECT r;
        GetWindowRect(h, &r);
        MapWindowPoints(nullptr, form->m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        InflateRect(&r, 2, 2);
        if ((GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX) {
            covered.push_back(r);
            continue;
        }
        covered.push_back({r.left, r.top, r.right, r.top + 16});
        covered.push_back({r.left, r.top, r.left + 6, r.bottom});
        covered.push_back({r.right - 6, r.top, r.right, r.bottom});
        covered.push_back({r.left, r.bottom - 6, r.right, r.bottom});
    }
    RECT client;
    form->GetClientRect(&client);
    HDC hdc = GetDC(form->m_hWnd);
    const COLORREF background = GetSysColor(COLOR_BTNFACE);
    int checked = 0, wrong = 0;
    for (int y = 1; y < client.bottom - 1; y += 3) {
        for (int x = 1; x < client.right - 1; x += 3) {
            const POINT pt = {x, y};
            bool underControl = false;
            for (const RECT& r : covered) underControl = underControl || PtInRect(&r, pt);
            if (underControl) continue;
            ++checked;
            if (GetPixel(hdc, x, y) != background) ++wrong;
        }
    }
    ReleaseDC(form->m_hWnd, hdc);
    EXPECT_GT(checked, 5000);
    EXPECT_EQ(0, wrong) << "of " << checked << " pixels";
}

TEST_F(MainFrameTest, AboutCommandRunsTheAboutBoxModally) {
    // The About box is closed from a timer, as a person would press OK.
    static bool s_seen = false;
    s_seen = false;
    SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND hDlg = FindWindowW(nullptr, L"About Quillex");
        if (!hDlg) return;
        s_seen = !IsWindowEnabled(theApp.m_pMainWnd->m_hWnd);  // modal: the frame is disabled
        KillTimer(nullptr, id);
        PostMessageW(hDlg, WM_COMMAND, IDOK, 0);
    });
    frame->SendMessage(WM_COMMAND, ID_APP_ABOUT);  // returns when the box has closed
    EXPECT_TRUE(s_seen);
    EXPECT_EQ(nullptr, FindWindowW(nullptr, L"About Quillex"));
    EXPECT_TRUE(IsWindowEnabled(frame->m_hWnd));
}

TEST_F(MainFrameTest, ExitClosesWithoutAskingToSave) {
    Command(ID_APP_EXIT);
    EXPECT_TRUE(app.PumpUntil([&] { return app.QuitPosted(); }, 5000));
    EXPECT_TRUE(boxes.Requests().empty());
    EXPECT_EQ(nullptr, theApp.m_pMainWnd);
    EXPECT_EQ(nullptr, app.Document());
}

TEST_F(MainFrameTest, HelpKeysOpenTheHelpPageBesideTheProgram) {
    // The test program has no help page beside it, so both keys report the missing page.
    PressKey(app, VK_F1);
    PressKey(app, VK_F1, true);
    ASSERT_EQ(2u, boxes.Requests().size());
    for (const AfxMessageBoxRequest& request : boxes.Requests()) {
        EXPECT_NE(std::wstring::npos, request.text.find(theApp.m_pszExeName + L".html"));
        EXPECT_EQ(L"The help page " + theApp.m_pszHelpFilePath + L" is missing.", request.text);
        EXPECT_TRUE(request.nType & MB_ICONHAND);
        EXPECT_EQ(L"Quillex", request.caption);
    }
}

TEST_F(MainFrameTest, CommandWithoutHandlerIsGreyed) {
    // ID_FILE_NEW has a handler in the application; a command no one handles is greyed.
    HMENU hMenu = GetMenu(frame->m_hWnd);
    HMENU hHelp = GetSubMenu(hMenu, 4);
    AppendMenuW(hHelp, MF_STRING, 40000, L"Nobody's");
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hHelp), 4);
    EXPECT_TRUE(GetMenuState(hHelp, 40000, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(hHelp, ID_APP_ABOUT, MF_BYCOMMAND) & MF_GRAYED);
}

}  // namespace
