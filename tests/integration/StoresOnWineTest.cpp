// Storing filter lists in Wine's real registry and device-setup database, each result
// read back with the platform's own functions, not through the model.
#include "tests/support/WineFixture.h"

using namespace qx;
using namespace qx::test;
using namespace qx::test::wine;

namespace {

const ShownMessage kUpperFailed{L"Unable to Modify Upper Filters", kMbOkCancel | kMbIconHand};
const ShownMessage kLowerFailed{L"Unable to Modify Lower Filters", kMbOkCancel | kMbIconHand};

}  // namespace

class ClassStoreOnWine : public WineTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.IsValid());
        ASSERT_TRUE(WriteValue(scratch.KeyPath(), L"UpperFilters", REG_MULTI_SZ, MultiSzBytes({L"old"})));
        ASSERT_TRUE(Build());
        record = FindClass(scratch.ModelGuid());
        ASSERT_NE(nullptr, record);
        ASSERT_TRUE(ListIs(record->GetUpperFilters(), {L"old"}));
    }

    ScratchClass scratch;
    CDriverClass* record = nullptr;
};

TEST_F(ClassStoreOnWine, ListsAreStoredAndDeleted) {
    ASSERT_TRUE(record->SetUpperFilters({L"a", L"bc"}));
    RegValue value;
    ASSERT_TRUE(ReadValue(scratch.KeyPath(), L"UpperFilters", &value));
    EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), value.type);
    EXPECT_TRUE(BytesAre(value.data, {'a', 0, 0, 0, 'b', 0, 'c', 0, 0, 0, 0, 0}));
    EXPECT_TRUE(ListIs(record->GetUpperFilters(), {L"a", L"bc"}));

    ASSERT_TRUE(record->SetLowerFilters({L"x", L"y", L"x"}));
    ASSERT_TRUE(ReadValue(scratch.KeyPath(), L"LowerFilters", &value));
    EXPECT_TRUE(BytesAre(value.data, MultiSzBytes({L"x", L"y", L"x"})));

    ASSERT_TRUE(record->SetUpperFilters({}));
    EXPECT_FALSE(ReadValue(scratch.KeyPath(), L"UpperFilters", &value));
    EXPECT_TRUE(record->GetUpperFilters().empty());
    EXPECT_TRUE(NoMessages(messages));

    // A second build reads back what was stored.
    Rebuild();
    record = FindClass(scratch.ModelGuid());
    ASSERT_NE(nullptr, record);
    EXPECT_TRUE(record->GetUpperFilters().empty());
    EXPECT_TRUE(ListIs(record->GetLowerFilters(), {L"x", L"y", L"x"}));
}

TEST_F(ClassStoreOnWine, DeletingAnAbsentValueFails) {
    EXPECT_FALSE(record->SetLowerFilters({}));
    EXPECT_TRUE(MessagesAre(messages, {kLowerFailed}));
    EXPECT_TRUE(record->GetLowerFilters().empty());

    ASSERT_TRUE(record->SetUpperFilters({}));
    messages.Clear();
    EXPECT_FALSE(record->SetUpperFilters({}));
    EXPECT_TRUE(MessagesAre(messages, {kUpperFailed}));
    EXPECT_TRUE(record->GetUpperFilters().empty());
}

TEST_F(ClassStoreOnWine, ListsWithAnEmptyNameAreNotWritten) {
    EXPECT_FALSE(record->SetUpperFilters({L"a", L"", L"b"}));
    EXPECT_FALSE(record->SetLowerFilters({L""}));
    RegValue value;
    ASSERT_TRUE(ReadValue(scratch.KeyPath(), L"UpperFilters", &value));
    EXPECT_TRUE(BytesAre(value.data, MultiSzBytes({L"old"})));
    EXPECT_FALSE(ReadValue(scratch.KeyPath(), L"LowerFilters", &value));
    EXPECT_TRUE(ListIs(record->GetUpperFilters(), {L"old"}));
}

TEST_F(ClassStoreOnWine, StoreToAClassKeyDeletedAfterTheBuildFails) {
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_LOCAL_MACHINE, scratch.KeyPath().c_str()));
    ASSERT_FALSE(KeyExists(scratch.KeyPath()));
    EXPECT_FALSE(record->SetUpperFilters({L"new"}));
    EXPECT_FALSE(record->SetLowerFilters({L"new"}));
    // The list cannot be read from the deleted key: each failure says so.
    ASSERT_EQ(2u, messages.Shown().size());
    EXPECT_EQ(0u, messages.Shown()[0].text.find(L"Unable to Modify Upper Filters\n\nThe Upper Filters of "));
    EXPECT_EQ(0u, messages.Shown()[1].text.find(L"Unable to Modify Lower Filters\n\nThe Lower Filters of "));
    for (const auto& shown : messages.Shown()) EXPECT_NE(std::wstring::npos, shown.text.find(L" could not be read: "));
    EXPECT_TRUE(ListIs(record->GetUpperFilters(), {L"old"}));
    EXPECT_TRUE(record->GetLowerFilters().empty());
    EXPECT_FALSE(KeyExists(scratch.KeyPath()));
}

class ReadOnlyClassKey : public WineTest {};

TEST_F(ReadOnlyClassKey, LeavesTheClassOutOfTheBuild) {
    ScratchClass readOnly(L"Quillex Read-Only Class");
    ScratchClass writable(L"Quillex Writable Class");
    ASSERT_TRUE(readOnly.IsValid() && writable.IsValid());
    {
        KeySecurityGuard guard(readOnly.KeyPath(), KeySecurityGuard::kReadOnly);
        ASSERT_TRUE(guard.IsApplied());
        // Readable, but not with full access.
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, readOnly.KeyPath().c_str(), 0, KEY_READ, &key));
        RegCloseKey(key);
        ASSERT_EQ(ERROR_ACCESS_DENIED,
                  RegOpenKeyExW(HKEY_LOCAL_MACHINE, readOnly.KeyPath().c_str(), 0, KEY_ALL_ACCESS, &key));

        ASSERT_TRUE(Build());
        EXPECT_EQ(nullptr, FindClass(readOnly.ModelGuid()));
        EXPECT_NE(nullptr, FindClass(writable.ModelGuid()));
        ReleaseDriverClasses(classes);
    }
    // With its DACL back, the class is taken in again.
    ASSERT_TRUE(Build());
    EXPECT_NE(nullptr, FindClass(readOnly.ModelGuid()));
}

class DeviceStoreOnWine : public WineTest {};

TEST_F(DeviceStoreOnWine, ListsGoThroughSetupApiAndCanBeCleared) {
    ScratchClass scratch;
    ASSERT_TRUE(scratch.IsValid());
    ScratchDevice* first = scratch.AddDevice();
    ScratchDevice* second = scratch.AddDevice();
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(first->SetProperty(SPDRP_UPPERFILTERS, MultiSzBytes({L"keep"})));
    ASSERT_TRUE(Build());
    CDriverClass* record = FindClass(scratch.ModelGuid());
    ASSERT_NE(nullptr, record);
    ASSERT_EQ(2u, record->GetDeviceList().size());
    CDevice& device = *record->GetDeviceList()[1];

    ASSERT_TRUE(device.SetUpperFilters({L"a", L"bc"}));
    ASSERT_TRUE(device.SetLowerFilters({L"low", L"low"}));
    RegValue value;
    ASSERT_TRUE(second->ReadProperty(SPDRP_UPPERFILTERS, &value));
    EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), value.type);
    EXPECT_TRUE(BytesAre(value.data, {'a', 0, 0, 0, 'b', 0, 'c', 0, 0, 0, 0, 0}));
    ASSERT_TRUE(second->ReadProperty(SPDRP_LOWERFILTERS, &value));
    EXPECT_TRUE(BytesAre(value.data, MultiSzBytes({L"low", L"low"})));
    EXPECT_TRUE(ListIs(device.GetUpperFilters(), {L"a", L"bc"}));
    // The other device is untouched.
    ASSERT_TRUE(first->ReadProperty(SPDRP_UPPERFILTERS, &value));
    EXPECT_TRUE(BytesAre(value.data, MultiSzBytes({L"keep"})));

    // Clearing: no buffer, size 0. Wine keeps an empty value behind.
    ASSERT_TRUE(device.SetUpperFilters({}));
    EXPECT_TRUE(device.GetUpperFilters().empty());
    // Wine leaves an empty value: the probe fails as for a present property but asks
    // for 0 bytes, which the build must take as absent.
    uint32_t required = 77, type = 0;
    EXPECT_EQ(kErrInsufficientBuffer,
              Win32Access().GetDeviceRegistryProperty(record->GetDevInfo(), device.GetElement(),
                                                      spdrp::UpperFilters, &type, nullptr, 0, &required));
    EXPECT_EQ(0u, required);
    bool present = true;
    CDriverClass::GetDeviceProperty(record->GetDevInfo(), device.GetElement(), spdrp::UpperFilters, &type,
                                    &present);
    EXPECT_FALSE(present);
    EXPECT_TRUE(NoMessages(messages));

    // Read again by a new build, the cleared property is an empty list.
    Rebuild();
    record = FindClass(scratch.ModelGuid());
    ASSERT_NE(nullptr, record);
    ASSERT_EQ(2u, record->GetDeviceList().size());
    EXPECT_TRUE(record->GetDeviceList()[1]->GetUpperFilters().empty());
    EXPECT_TRUE(ListIs(record->GetDeviceList()[1]->GetLowerFilters(), {L"low", L"low"}));
    EXPECT_TRUE(ListIs(record->GetDeviceList()[0]->GetUpperFilters(), {L"keep"}));

    // A list with an empty name never reaches the device.
    EXPECT_FALSE(record->GetDeviceList()[0]->SetUpperFilters({L"x", L""}));
    ASSERT_TRUE(first->ReadProperty(SPDRP_UPPERFILTERS, &value));
    EXPECT_TRUE(BytesAre(value.data, MultiSzBytes({L"keep"})));
    EXPECT_TRUE(ListIs(record->GetDeviceList()[0]->GetUpperFilters(), {L"keep"}));
}
