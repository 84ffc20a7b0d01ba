// An offline SYSTEM hive on Wine, opened as a user opens it: a hive saved from a scratch
// tree with RegSaveKeyW below "<folder>\Windows\System32\config\SYSTEM", then shown by
// the command line switch and the menu's open, checked, written while loaded (Wine never
// writes a loaded hive back to its file) and unloaded at exit.
#include <gtest/gtest.h>

#include <algorithm>

#include "model/DriverClass.h"
#include "model/FilterCheck.h"
#include "model/OfflineHive.h"
#include "res/resource.h"
#include "tests/support/ScratchJournal.h"
#include "tests/support/Recorders.h"
#include "tests/support/TestData.h"
#include "tests/support/ScratchHive.h"
#include "tests/support/WineScratch.h"
#include "tests/ui/AppHarness.h"
#include "ui/InfoView.h"
#include "ui/VelorTreeView.h"

using namespace qxtest;
namespace wine = qx::test::wine;

namespace {

bool RootKeyExists(const std::wstring& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

using qx::test::wine::ScratchHive;

class OfflineHiveOnWine : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(machineOnly.IsValid() && hive.IsValid()); }

    CDriverClass* HiveClass() const {
        for (const auto& record : app.Document()->GetDriverClasses())
            if (record->GetGuid() == wine::ToModelGuid(hive.Guid())) return record.get();
        return nullptr;
    }
    std::wstring StatusText() const {
        wchar_t text[512] = {};
        app.Frame()->GetStatusBar().SendMessage(SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
        return text;
    }
    std::wstring Title() const {
        return L"Offline: " + hive.Path() + L" (ControlSet001)";
    }
    int TreeDevices(CDriverClass* pClass) const {
        auto* tree = dynamic_cast<CVelorTreeView*>(app.Frame()->GetSplitter().GetPane(0, 0));
        for (HTREEITEM h = tree->GetRootItem(); h; h = tree->GetNextItem(h, TVGN_NEXT)) {
            if (tree->GetItemData(h) != reinterpret_cast<LPARAM>(pClass)) continue;
            int n = 0;
            for (HTREEITEM c = tree->GetNextItem(h, TVGN_CHILD); c; c = tree->GetNextItem(c, TVGN_NEXT)) ++n;
            return n;
        }
        return -1;
    }

    wine::ScratchService machineOnly{L"QxMachineOnly", true};  // on the running machine only
    ScratchHive hive{machineOnly.Name()};
    qx::test::ScratchJournal journal;
    AppSession app;
    const std::wstring loadedKey = qx::OfflineKeyName(GetCurrentProcessId());
};

}  // namespace

TEST_F(OfflineHiveOnWine, CommandLineShowsChecksAndWritesTheHiveAndExitUnloadsIt) {
    ASSERT_TRUE(app.Start(kVersion10, L"/offline \"" + hive.Path() + L"\""));
    app.PumpFor(50);
    EXPECT_TRUE(RootKeyExists(loadedKey));
    EXPECT_EQ(L"Velor's Windows 2000 Device Quillex - " + Title(), app.Frame()->GetWindowText());
    EXPECT_EQ(Title(), StatusText());

    // Only the hive's classes: the running machine's own are not shown.
    ASSERT_EQ(1u, app.Document()->GetDriverClasses().size());
    CDriverClass* pClass = HiveClass();
    ASSERT_NE(nullptr, pClass);
    EXPECT_EQ(L"Offline Scratch Class", pClass->GetDescription());
    ASSERT_EQ(2u, pClass->GetDeviceList().size());
    EXPECT_EQ(2, TreeDevices(pClass));  // no physical device objects, yet every device shows
    CDevice& first = *pClass->GetDeviceList()[0];
    CDevice& second = *pClass->GetDeviceList()[1];
    EXPECT_EQ(L"First offline device", first.GetDeviceDesc());
    EXPECT_EQ(L"Root\\QXOFFLINE\\0001", qx::DeviceInstanceId(second));
    EXPECT_TRUE(qx::test::ListIs(second.GetUpperFilters(), {L"QxOffPresent", machineOnly.Name()}));
    EXPECT_TRUE(qx::test::ListIs(pClass->GetLowerFilters(), {L"QxOffNoFile"}));

    // Checked against the hive's services and its own Windows folder.
    qx::Findings findings = qx::CheckAllFilters(app.Document()->GetDriverClasses());
    auto has = [&](const wchar_t* rule, const std::wstring& name) {
        return std::any_of(findings.begin(), findings.end(),
                           [&](const qx::Finding& f) { return f.rule == rule && f.name == name; });
    };
    EXPECT_TRUE(has(qx::rule::MissingService, machineOnly.Name()));
    EXPECT_FALSE(has(qx::rule::MissingService, L"QxOffPresent"));
    EXPECT_FALSE(has(qx::rule::DriverFileMissing, L"QxOffPresent"));
    EXPECT_TRUE(has(qx::rule::DriverFileMissing, L"QxOffNoFile"));

    // A validated write lands in the loaded hive and is journalled with its path.
    ASSERT_TRUE(second.SetUpperFilters({L"QxOffPresent"}));
    wine::RegValue value;
    ASSERT_TRUE(wine::ReadValue(loadedKey + L"\\ControlSet001\\Enum\\Root\\QXOFFLINE\\0001", L"UpperFilters", &value));
    EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), value.type);
    EXPECT_EQ(qx::test::MultiSzBytes({L"QxOffPresent"}), value.data);
    EXPECT_FALSE(wine::ReadValue(std::wstring(wine::kEnumRoot) + L"\\Root\\QXOFFLINE\\0001", L"UpperFilters", &value));
    ASSERT_EQ(1u, journal.Entries().size());
    EXPECT_EQ(hive.Path(), journal.Entries()[0].hive);

    app.Stop();
    EXPECT_FALSE(RootKeyExists(loadedKey));
    EXPECT_EQ(L"", qx::CurrentOfflineHive());
}

// With no journal chosen for it, the window journals a change of a hive at its usual
// place in that installation's ProgramData (made with the first change), and undoes it
// from there.
TEST_F(OfflineHiveOnWine, AChangeIsJournalledAndUndoneInTheInstallation) {
    const qx::Journal* chosen = qx::SetChangeJournal(nullptr);
    ASSERT_TRUE(app.Start(kVersion10, L"/offline \"" + hive.Path() + L"\""));
    const std::wstring root = hive.Path().substr(0, hive.Path().find(L"\\Windows\\System32\\config\\SYSTEM"));
    const qx::Journal own(root + L"\\ProgramData\\Quillex\\changes.jsonl");
    ASSERT_NE(nullptr, HiveClass());
    ASSERT_TRUE(HiveClass()->GetDeviceList()[0]->SetUpperFilters({L"QxOffPresent"}));
    ASSERT_EQ(1u, own.Read().entries.size());
    EXPECT_EQ(hive.Path(), own.Read().entries[0].hive);
    {
        MessageBoxRecorder yes(IDYES);
        for (UINT nID : {ID_OPTIONS_SAFE_MODE, ID_OPTIONS_UNDO_FILTER_CHANGE}) {
            app.Frame()->PostMessage(WM_COMMAND, nID);
            app.PumpFor(50);
        }
    }
    ASSERT_EQ(2u, own.Read().entries.size());
    EXPECT_EQ(1u, own.Read().entries[1].undoes);
    EXPECT_TRUE(journal.Entries().empty());
    app.Stop();
    qx::SetChangeJournal(chosen);
}

TEST_F(OfflineHiveOnWine, MenuOpensTheHiveAndABadFileKeepsIt) {
    ASSERT_TRUE(app.Start(kVersion10));
    EXPECT_EQ(nullptr, HiveClass());
    // Safe Mode turned off for this machine does not carry over to the hive.
    auto* form = dynamic_cast<CInfoView*>(app.Frame()->GetSplitter().GetPane(0, 1));
    ASSERT_NE(nullptr, form);
    form->SetSafeMode(false);
    ASSERT_TRUE(theApp.OpenOfflineHive(hive.Path()));  // what the menu does with the file chosen
    app.PumpFor(50);
    EXPECT_TRUE(form->IsSafeMode());
    EXPECT_EQ(L"Velor's Windows 2000 Device Quillex - " + Title(), app.Frame()->GetWindowText());
    EXPECT_EQ(Title(), StatusText());
    ASSERT_NE(nullptr, HiveClass());
    EXPECT_EQ(2, TreeDevices(HiveClass()));

    wchar_t temp[MAX_PATH + 1] = {}, junk[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    GetTempFileNameW(temp, L"qxh", 0, junk);  // an empty file: no hive
    {
        MessageBoxRecorder boxes;
        EXPECT_FALSE(theApp.OpenOfflineHive(junk));
        ASSERT_EQ(1u, boxes.Requests().size());
        EXPECT_NE(std::wstring::npos, boxes.Requests()[0].text.find(junk)) << boxes.Requests()[0].text;
        EXPECT_EQ(static_cast<UINT>(MB_ICONSTOP), boxes.Requests()[0].nType & MB_ICONMASK);
    }
    DeleteFileW(junk);
    EXPECT_EQ(hive.Path(), qx::CurrentOfflineHive());  // the hive shown before is back
    EXPECT_NE(nullptr, HiveClass());
    app.Stop();
    EXPECT_FALSE(RootKeyExists(loadedKey));
}

TEST_F(OfflineHiveOnWine, AHiveLeftByAGoneRunIsUnloadedAtStart) {
    // A finished process's id stands for a run that crashed with its hive loaded.
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    wchar_t command[] = L"cmd.exe /c exit";
    ASSERT_TRUE(CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const std::wstring stale = qx::OfflineKeyName(pi.dwProcessId);
    long ignored = 0;
    ASSERT_TRUE(qx::Win32HiveLoader().EnablePrivilege(L"SeRestorePrivilege", &ignored));
    ASSERT_EQ(ERROR_SUCCESS, RegLoadKeyW(HKEY_LOCAL_MACHINE, stale.c_str(), hive.Path().c_str()));
    ASSERT_TRUE(RootKeyExists(stale));

    ASSERT_TRUE(app.Start(kVersion10));
    EXPECT_FALSE(RootKeyExists(stale));
    if (RootKeyExists(stale)) RegUnLoadKeyW(HKEY_LOCAL_MACHINE, stale.c_str());
}
