// Restarting the devices a change affects, on the in-memory machine: every outcome, a
// failure among others, the refusal of a 32-bit program on 64-bit Windows, and the
// question the window asks.
#include "model/DeviceRestart.h"
#include "model/DriverClass.h"
#include "model/JournalFile.h"
#include "tests/support/MemoryFixture.h"

using namespace qx;
using namespace qx::test;

class Restarts : public MemoryMachineTest {
protected:
    // "Input" with three devices, DEV\A, DEV\B, DEV\C in set order.
    void SetUp() override {
        guid = AddClass(7, L"Input", 3);
        for (uint32_t devInst = 1; devInst <= 3; ++devInst)
            machine.SetInstanceId(devInst, std::wstring(L"DEV\\") + wchar_t(L'A' + devInst - 1));
        machine.PutStringProperty(2, spdrp::FriendlyName, L"Pad");
        ASSERT_TRUE(Build());
        record = FindClass(guid);
        ASSERT_NE(nullptr, record);
        ASSERT_EQ(3u, record->GetDeviceList().size());
    }
    static StringList Ids(const std::vector<RestartEntry>& entries) {
        StringList ids;
        for (const RestartEntry& entry : entries) ids.push_back(entry.instanceId);
        return ids;
    }

    Guid guid;
    CDriverClass* record = nullptr;
};

TEST_F(Restarts, EveryDeviceOfTheClassIsTriedInSetOrderAndEachOutcomeReported) {
    machine.SetRestartOutcome(2, RestartOutcome::NeedsReboot);
    machine.SetRestartOutcome(1, RestartOutcome::Failed, kErrAccessDenied);
    RestartReport report = RestartDevices(*record, nullptr);

    // The failure of the first stops nothing: the others are still restarted.
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 3}), machine.RestartsAsked());
    EXPECT_FALSE(report.Refused());
    EXPECT_FALSE(report.AllRestarted());
    EXPECT_EQ(StringList{L"DEV\\C"}, Ids(report.restarted));
    EXPECT_EQ(StringList{L"DEV\\B"}, Ids(report.needsReboot));
    ASSERT_EQ(StringList{L"DEV\\A"}, Ids(report.failed));
    EXPECT_EQ(kErrAccessDenied, report.failed[0].error);

    const std::wstring text = RestartResultText(report);
    EXPECT_EQ(0u, text.find(L"Restarted: 1 device.\nA restart of the machine is needed for 1 device:\n    Pad (DEV\\B)\n"
                            L"Failed: 1 device:\n    DEV\\A: ")) << text;
    EXPECT_NE(std::wstring::npos, text.find(ErrorText(kErrAccessDenied))) << text;
}

TEST_F(Restarts, ADeviceListRestartsThatDeviceOnlyAndAGoneDeviceFails) {
    CDevice* pad = record->GetDeviceList()[1].get();
    RestartReport report = RestartDevices(*record, pad);
    EXPECT_EQ(std::vector<uint32_t>{2}, machine.RestartsAsked());
    EXPECT_TRUE(report.AllRestarted());
    EXPECT_EQ(StringList{L"DEV\\B"}, Ids(report.restarted));
    EXPECT_EQ(L"Restarted: 1 device.", RestartResultText(report));

    // A device no longer at its place in the set is never confused with another one.
    machine.Vanish(1);
    report = RestartDevices(*record, nullptr);
    ASSERT_EQ(1u, report.failed.size());
    EXPECT_EQ(kErrNoSuchDevInst, report.failed[0].error);
    EXPECT_EQ(2u, report.restarted.size());
}

TEST_F(Restarts, A32BitProgramOn64BitWindowsIsRefusedOnceForAll) {
    machine.SetRestartOutcome(1, RestartOutcome::Failed, kErrInWow64);
    machine.SetRestartOutcome(2, RestartOutcome::Failed, kErrInWow64);
    RestartReport report = RestartDevices(*record, nullptr);
    EXPECT_TRUE(report.Refused());
    EXPECT_TRUE(report.restarted.empty() && report.needsReboot.empty() && report.failed.empty());
    EXPECT_EQ(std::vector<uint32_t>{1}, machine.RestartsAsked());
    EXPECT_NE(std::wstring::npos, report.refusal.find(L"64-bit Windows")) << report.refusal;
    EXPECT_EQ(report.refusal, RestartResultText(report));
}

TEST_F(Restarts, TheQuestionNamesTheListAndSaysWhatARestartMeansForCriticalClasses) {
    ClassRules rules = DefaultClassRules();
    EXPECT_EQ(L"The new Upper Filters take effect when the devices start again. Restart the 3 devices of Input now?",
              RestartQuestion(*record, nullptr, L"Upper Filters", rules));
    EXPECT_EQ(L"The new Lower Filters take effect when the device starts again. Restart Pad now?",
              RestartQuestion(*record, record->GetDeviceList()[1].get(), L"Lower Filters", rules));
    EXPECT_EQ(L"Restart the 3 devices of Input now?", RestartQuestion(*record, nullptr, L"", rules));

    rules.AddAlias(guid, *rules.FindByName(L"Keyboard"));
    std::wstring critical = RestartQuestion(*record, nullptr, L"Upper Filters", rules);
    EXPECT_EQ(0u, critical.find(L"The new Upper Filters take effect when the devices start again. Restart the 3 "
                                L"devices of Input now?\n\nWhile they restart, the devices stop working for a moment."))
        << critical;
    EXPECT_EQ(std::wstring::npos, critical.find(L"restart of the machine")) << critical;

    ClassRules boot = DefaultClassRules();
    boot.AddAlias(guid, *boot.FindByName(L"DiskDrive"));
    std::wstring bootQuestion = RestartQuestion(*record, nullptr, L"Upper Filters", boot);
    EXPECT_NE(std::wstring::npos, bootQuestion.find(L"stop working for a moment")) << bootQuestion;
    EXPECT_NE(std::wstring::npos, bootQuestion.find(L"a restart of the machine will probably be needed")) << bootQuestion;
}

TEST_F(Restarts, TheWindowAsksFirstAndShowsTheResults) {
    // No (the default button): nothing is restarted.
    EXPECT_FALSE(AskAndRestartDevices(*record, nullptr, L"Upper Filters"));
    ASSERT_EQ(1u, messages.Shown().size());
    EXPECT_EQ(kMbYesNo | kMbIconQuestion | kMbDefButton2, messages.Shown()[0].flags);
    EXPECT_TRUE(machine.RestartsAsked().empty());

    MessageRecorder yes(kIdYes);
    MessagesGuard guard(yes);
    machine.SetRestartOutcome(3, RestartOutcome::NeedsReboot);
    RestartReport report;
    EXPECT_TRUE(AskAndRestartDevices(*record, nullptr, L"Upper Filters", false, &report));
    ASSERT_EQ(2u, yes.Shown().size());
    EXPECT_EQ(RestartResultText(report), yes.Shown()[1].text);
    EXPECT_EQ(kMbOk | kMbIconExclamation, yes.Shown()[1].flags);
    EXPECT_EQ(3u, machine.RestartsAsked().size());
}
