// Restarting devices on Wine's device setup (Wine 8.0). Its SetupDiSetClassInstallParamsW
// is not implemented (it fails without setting an error) and SetupDiCallClassInstaller
// has no default action for DIF_PROPERTYCHANGE (ERROR_DI_DO_DEFAULT, whatever the state
// change): no device can be restarted. What is tested here is that the model says so for
// every device, goes on after each, and leaves the devices and their lists as they were.
#include "model/DeviceRestart.h"
#include "tests/support/WineFixture.h"

using namespace qx;
using namespace qx::test;
using namespace qx::test::wine;

class RestartOnWine : public WineTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.IsValid());
        for (int i = 0; i < 2; ++i) {
            ScratchDevice* device = scratch.AddDevice();
            ASSERT_NE(nullptr, device);
            ASSERT_TRUE(device->SetProperty(SPDRP_UPPERFILTERS, MultiSzBytes({L"QxKeep"})));
        }
        ASSERT_TRUE(Build());
        record = FindClass(scratch.ModelGuid());
        ASSERT_NE(nullptr, record);
        ASSERT_EQ(2u, record->GetDeviceList().size());
    }

    ScratchClass scratch;
    CDriverClass* record = nullptr;
};

TEST_F(RestartOnWine, ThePlatformCallsAreRefusedAndSayNoRestartIsNeeded) {
    HDEVINFO set = SetupDiGetClassDevsW(&scratch.ClassGuid(), nullptr, nullptr, DIGCF_PRESENT);
    ASSERT_NE(INVALID_HANDLE_VALUE, set);
    SP_DEVINFO_DATA data{};
    data.cbSize = sizeof(data);
    ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 0, &data));
    SP_PROPCHANGE_PARAMS params{};
    params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
    params.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
    params.Scope = DICS_FLAG_CONFIGSPECIFIC;
    for (DWORD change : {DICS_PROPCHANGE, DICS_STOP, DICS_START, DICS_DISABLE, DICS_ENABLE}) {
        params.StateChange = change;
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(SetupDiSetClassInstallParamsW(set, &data, &params.ClassInstallHeader, sizeof(params))) << change;
        EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError()) << change;
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(SetupDiCallClassInstaller(DIF_PROPERTYCHANGE, set, &data)) << change;
        EXPECT_EQ(static_cast<DWORD>(ERROR_DI_DO_DEFAULT), GetLastError()) << change;
    }
    SP_DEVINSTALL_PARAMS_W install{};
    install.cbSize = sizeof(install);
    ASSERT_TRUE(SetupDiGetDeviceInstallParamsW(set, &data, &install));
    EXPECT_EQ(0u, install.Flags & (DI_NEEDRESTART | DI_NEEDREBOOT));
    SetupDiDestroyDeviceInfoList(set);
}

TEST_F(RestartOnWine, EveryDeviceIsReportedAsFailedAndKeepsItsList) {
    RestartReport report = RestartDevices(*record, nullptr);
    EXPECT_FALSE(report.Refused());
    EXPECT_TRUE(report.restarted.empty());
    EXPECT_TRUE(report.needsReboot.empty());
    ASSERT_EQ(2u, report.failed.size());
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(scratch.Devices()[i]->InstanceId(), report.failed[i].instanceId);
        EXPECT_EQ(kErrNotSupported, report.failed[i].error);  // not an error left by an earlier call
    }
    // The set still works for the model, and nothing about the devices changed.
    RegValue value;
    for (const auto& device : scratch.Devices()) {
        ASSERT_TRUE(device->ReadProperty(SPDRP_UPPERFILTERS, &value));
        EXPECT_TRUE(BytesAre(value.data, MultiSzBytes({L"QxKeep"})));
    }
    report = RestartDevices(*record, record->GetDeviceList()[1].get());
    ASSERT_EQ(1u, report.failed.size());
    EXPECT_EQ(scratch.Devices()[1]->InstanceId(), report.failed[0].instanceId);
    EXPECT_TRUE(NoMessages(messages));
}
