// Undo and the change history driven as a user drives them, on the in-memory machine:
// the menu item follows Safe Mode and the journal, the question names what comes back,
// the form shows the restored list, and the history lists every change newest first.
#include <gtest/gtest.h>

#include "model/TextForms.h"
#include "res/resource.h"
#include "tests/support/MemoryMachine.h"
#include "tests/support/Recorders.h"
#include "tests/support/ScratchJournal.h"
#include "tests/support/TestData.h"
#include "tests/ui/AppHarness.h"
#include "tests/ui/DialogDriver.h"
#include "ui/ChangeHistoryDlg.h"
#include "ui/InfoView.h"

using namespace qxtest;
using qx::test::MemoryMachine;

namespace {

const qx::Guid kKeyboard = {0x4d36e96b, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

class UndoRoadTest : public ::testing::Test {
protected:
    void Command(UINT nID) {
        app.Frame()->PostMessage(WM_COMMAND, nID);
        app.PumpFor(30);
    }
    // An Options menu item as the user would find it on opening the menu.
    bool OptionsItemEnabled(UINT nID) {
        HMENU hOptions = GetSubMenu(GetMenu(app.Frame()->m_hWnd), 2);  // File, Edit, Options
        app.Frame()->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hOptions), 2);
        return !(GetMenuState(hOptions, nID, MF_BYCOMMAND) & MF_GRAYED);
    }
    bool UndoEnabled() { return OptionsItemEnabled(ID_OPTIONS_UNDO_FILTER_CHANGE); }
    // An installed keyboard driver: an undo brings a list back only when its names are.
    void InstallKeyboardDriver() {
        machine.PutDword(L"System\\CurrentControlSet\\Services\\kbdclass", L"Type", 1);
        machine.PutDword(L"System\\CurrentControlSet\\Services\\kbdclass", L"Start", 3);
        machine.AddFile(L"C:\\Windows\\System32\\drivers\\kbdclass.sys");
    }
    StringList ClassUpper() {
        const qx::test::StoredValue* value = machine.FindValue(MemoryMachine::ClassKeyPath(kKeyboard), L"UpperFilters");
        StringList names;
        if (value) qx::AppendMultiSz(names, value->data.data(), value->data.size());
        return names;
    }

    MemoryMachine machine;
    qx::test::AccessGuard access{machine};
    qx::test::ScratchJournal journal;  // chosen before start: the program keeps it
    AppSession app;
};

}  // namespace

TEST_F(UndoRoadTest, UndoFromTheMenuAndTheHistory) {
    machine.AddClass(kKeyboard, L"Keyboard");
    machine.PutMultiSz(MemoryMachine::ClassKeyPath(kKeyboard), L"UpperFilters", {L"kbdclass"});
    InstallKeyboardDriver();
    ASSERT_TRUE(app.Start(kVersion10));
    auto* form = dynamic_cast<CInfoView*>(app.Frame()->GetSplitter().GetPane(0, 1));
    ASSERT_NE(nullptr, form);
    ASSERT_EQ(1u, app.Document()->GetDriverClasses().size());
    CDriverClass* keyboard = app.Document()->GetDriverClasses()[0].get();
    EXPECT_FALSE(UndoEnabled());  // nothing to undo

    form->SendMessage(WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(app.Frame()->m_hWnd), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    Command(ID_OPTIONS_SAFE_MODE);
    ASSERT_FALSE(form->IsSafeMode());
    EXPECT_FALSE(UndoEnabled());
    ASSERT_TRUE(keyboard->SetUpperFilters({L"kbdclass", L"extra"}));
    EXPECT_TRUE(UndoEnabled());
    Command(ID_OPTIONS_SAFE_MODE);  // Safe Mode on again: no undo
    EXPECT_FALSE(UndoEnabled());
    Command(ID_OPTIONS_SAFE_MODE);

    {
        // No leaves the list as it is.
        MessageBoxRecorder no(IDNO);
        Command(ID_OPTIONS_UNDO_FILTER_CHANGE);
        ASSERT_EQ(1u, no.Requests().size());
        EXPECT_EQ(L"Restore the Upper Filters of Keyboard to: kbdclass?", no.Requests()[0].text);
        EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), no.Requests()[0].nType);
        EXPECT_TRUE(qx::test::ListIs(ClassUpper(), {L"kbdclass", L"extra"}));
    }
    {
        MessageBoxRecorder yes(IDYES);
        Command(ID_OPTIONS_UNDO_FILTER_CHANGE);
        EXPECT_EQ(1u, yes.Requests().size());
    }
    EXPECT_TRUE(qx::test::ListIs(ClassUpper(), {L"kbdclass"}));
    wchar_t shown[128] = {};
    GetDlgItemTextW(form->m_hWnd, IDC_CLASS_UPPER_FILTERS, shown, 128);
    EXPECT_EQ(L"kbdclass", std::wstring(shown));
    EXPECT_EQ(L"Undone: change #1", app.Frame()->GetStatusBar().GetPaneText(0));
    EXPECT_FALSE(UndoEnabled());

    // The history: newest first, sortable, and copied whole.
    std::vector<std::wstring> origins, targets;
    std::wstring copied;
    WhenDialogOpens history(L"Change History", [&](HWND hDlg) {
        auto* dlg = dynamic_cast<CChangeHistoryDlg*>(CWnd::FromHandlePermanent(hDlg));
        ASSERT_NE(nullptr, dlg);
        for (int i = 0; i < dlg->GetList().GetItemCount(); ++i) {
            origins.push_back(dlg->GetList().GetItemText(i, CChangeHistoryDlg::kOrigin));
            targets.push_back(dlg->GetList().GetItemText(i, CChangeHistoryDlg::kTarget));
        }
        dlg->SortBy(CChangeHistoryDlg::kId);  // the newest first was descending: now ascending
        origins.push_back(dlg->GetList().GetItemText(0, CChangeHistoryDlg::kOrigin));
        Click(hDlg, IDC_HISTORY_COPY);
        if (OpenClipboard(hDlg)) {
            if (HANDLE hText = GetClipboardData(CF_UNICODETEXT)) {
                copied = static_cast<const wchar_t*>(GlobalLock(hText));
                GlobalUnlock(hText);
            }
            CloseClipboard();
        }
        Click(hDlg, IDCANCEL);
    });
    Command(ID_OPTIONS_CHANGE_HISTORY);
    ASSERT_TRUE(history.Ran());
    EXPECT_TRUE(qx::test::ListIs(origins, {L"undo of #1", L"program", L"program"}));
    ASSERT_EQ(2u, targets.size());
    EXPECT_EQ(L"Keyboard (" + qx::GuidText(kKeyboard) + L")", targets[0]);  // the name first
    EXPECT_EQ(0u, copied.find(L"#\tTime (UTC)\tClass or Device\tList\tOld List\tNew List\tOrigin\r\n1\t"));
    EXPECT_NE(std::wstring::npos, copied.find(L"\tUpper Filters\tkbdclass\tkbdclass extra\tprogram\r\n"));
    EXPECT_NE(std::wstring::npos, copied.find(L"\tUpper Filters\tkbdclass extra\tkbdclass\tundo of #1\r\n"));
}

// Options > Restart Devices follows Safe Mode, asks first, restarts the shown class's
// devices and says how it went; an undo that restores a list offers the same.
TEST_F(UndoRoadTest, RestartDevicesAsksFirstAndFollowsSafeMode) {
    machine.AddClass(kKeyboard, L"Keyboard");
    machine.PutMultiSz(MemoryMachine::ClassKeyPath(kKeyboard), L"UpperFilters", {L"kbdclass"});
    machine.AddDevice(kKeyboard);
    machine.AddDevice(kKeyboard);
    machine.SetRestartOutcome(2, qx::RestartOutcome::NeedsReboot);
    InstallKeyboardDriver();
    ASSERT_TRUE(app.Start(kVersion10));
    auto* form = dynamic_cast<CInfoView*>(app.Frame()->GetSplitter().GetPane(0, 1));
    ASSERT_NE(nullptr, form);
    CDriverClass* keyboard = app.Document()->GetDriverClasses()[0].get();
    ASSERT_EQ(keyboard, form->GetCurrentClass());
    auto restartEnabled = [&] { return OptionsItemEnabled(ID_OPTIONS_RESTART_DEVICES); };
    EXPECT_FALSE(restartEnabled());
    {
        MessageBoxRecorder yes(IDYES);
        Command(ID_OPTIONS_RESTART_DEVICES);  // the accelerator-less command cannot run either
        EXPECT_TRUE(yes.Requests().empty());
    }
    form->SendMessage(WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(app.Frame()->m_hWnd), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    Command(ID_OPTIONS_SAFE_MODE);
    ASSERT_FALSE(form->IsSafeMode());
    EXPECT_TRUE(restartEnabled());
    {
        MessageBoxRecorder no(IDNO);
        Command(ID_OPTIONS_RESTART_DEVICES);
        ASSERT_EQ(1u, no.Requests().size());
        EXPECT_EQ(0u, no.Requests()[0].text.find(L"Restart the 2 devices of Keyboard now?\n\nWhile they restart"));
        EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), no.Requests()[0].nType);
        EXPECT_TRUE(machine.RestartsAsked().empty());
    }
    {
        MessageBoxRecorder yes(IDYES);
        Command(ID_OPTIONS_RESTART_DEVICES);
        ASSERT_EQ(2u, yes.Requests().size());
        EXPECT_EQ(0u, yes.Requests()[1].text.find(L"Restarted: 1 device.\nA restart of the machine is needed for 1 device:"))
            << yes.Requests()[1].text;
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), yes.Requests()[1].nType);
        EXPECT_EQ((std::vector<uint32_t>{1, 2}), machine.RestartsAsked());
    }
    ASSERT_TRUE(keyboard->SetUpperFilters({L"kbdclass", L"extra"}));
    {
        MessageBoxRecorder yes(IDYES);
        Command(ID_OPTIONS_UNDO_FILTER_CHANGE);
        ASSERT_EQ(3u, yes.Requests().size());  // the undo's question, the restart's, its results
        EXPECT_EQ(0u, yes.Requests()[1].text.find(L"The new Upper Filters take effect when the devices start again."));
        EXPECT_EQ(4u, machine.RestartsAsked().size());
    }
}
