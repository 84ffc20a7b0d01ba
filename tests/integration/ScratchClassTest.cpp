// A setup class of our own in Wine's registry, with present devices made through
// SetupAPI: filter lists and driver key snapshots as the build reads them.
#include <algorithm>
#include <cstdio>

#include "model/TextForms.h"
#include "tests/support/PerClassBuild.h"
#include "tests/support/WineFixture.h"

using namespace qx;
using namespace qx::test;
using namespace qx::test::wine;

namespace {

// "path|name" for each row, in snapshot order.
StringList RowNames(const CRegistrySnapshot& snapshot) {
    StringList names;
    for (const auto& row : snapshot.GetRows()) names.push_back(row.GetKeyPath() + L"|" + row.GetValueName());
    return names;
}

}  // namespace

class ScratchClassBuild : public WineTest {
protected:
    ScratchClass scratch;
};

TEST_F(ScratchClassBuild, FilterListsInStoredOrder) {
    ASSERT_TRUE(scratch.IsValid());
    // A class value of 3,000 bytes: 149 names of 9 characters and one of 8.
    StringList longList;
    for (int i = 0; i < 149; ++i) {
        wchar_t name[16];
        std::swprintf(name, 16, L"zflt%05d", 149 - i);  // stored order is not sorted order
        longList.push_back(name);
    }
    longList.push_back(L"lastname");
    std::vector<uint8_t> image;
    for (const auto& name : longList) {
        auto bytes = Utf16Bytes(name);
        image.insert(image.end(), bytes.begin(), bytes.end());
    }
    image.insert(image.end(), {0, 0});
    ASSERT_EQ(3000u, image.size());
    ASSERT_TRUE(WriteValue(scratch.KeyPath(), L"UpperFilters", REG_MULTI_SZ, image));
    // A plain string holding one name.
    ASSERT_TRUE(WriteValue(scratch.KeyPath(), L"LowerFilters", REG_SZ, Utf16Bytes(L"onlyone")));

    ScratchDevice* first = scratch.AddDevice();
    ScratchDevice* second = scratch.AddDevice();
    ScratchDevice* third = scratch.AddDevice();
    ASSERT_TRUE(first && second && third);
    ASSERT_TRUE(second->SetProperty(SPDRP_UPPERFILTERS, MultiSzBytes({L"zz", L"aa", L"zz"})));
    ASSERT_TRUE(second->SetProperty(SPDRP_LOWERFILTERS, MultiSzBytes({L"lower"})));
    ASSERT_TRUE(third->SetProperty(SPDRP_DEVICEDESC, Utf16Bytes(L"Third scratch device")));

    ASSERT_TRUE(Build());
    CDriverClass* record = FindClass(scratch.ModelGuid());
    ASSERT_NE(nullptr, record);
    EXPECT_EQ(L"Quillex Scratch Class", record->GetDescription());
    EXPECT_EQ(scratch.UpperGuid(), record->GetGuidString());  // the key is named in lower case
    EXPECT_TRUE(ListIs(record->GetUpperFilters(), longList));
    EXPECT_TRUE(ListIs(record->GetLowerFilters(), {L"onlyone"}));

    const DeviceList& devices = record->GetDeviceList();
    ASSERT_EQ(3u, devices.size());
    for (size_t i = 0; i < devices.size(); ++i) EXPECT_EQ(static_cast<int32_t>(i), devices[i]->GetIndex());
    // The set lists the devices in the order they were made.
    EXPECT_TRUE(devices[0]->GetUpperFilters().empty());
    EXPECT_TRUE(ListIs(devices[1]->GetUpperFilters(), {L"zz", L"aa", L"zz"}));
    EXPECT_TRUE(ListIs(devices[1]->GetLowerFilters(), {L"lower"}));
    EXPECT_EQ(L"Third scratch device", devices[2]->GetDeviceDesc());
    // No Driver property: no snapshot.
    EXPECT_EQ(nullptr, devices[0]->GetRegistryParameters());

    // Announced once, a range, one step per device.
    const auto& log = progress.Log();
    auto at = std::find(log.begin(), log.end(), L"text:Processing Class Quillex Scratch Class");
    ASSERT_NE(log.end(), at);
    ASSERT_LT(static_cast<size_t>(at - log.begin()) + 4, log.size());
    EXPECT_TRUE(ListIs({at[1], at[2], at[3], at[4]}, {L"range:0-100", L"step", L"step", L"step"}));
}

TEST_F(ScratchClassBuild, DriverKeySnapshotCopiesEveryValueDepthFirst) {
    ASSERT_TRUE(scratch.IsValid());
    ScratchDevice* device = scratch.AddDevice();
    ASSERT_NE(nullptr, device);
    // The driver key is named after the Driver property, not the device number.
    const std::wstring root = device->MakeDriverKey(L"0007");
    ASSERT_FALSE(root.empty());

    // One value of every type 0..11; Wine enumerates values by name, so the names sort
    // in type order.
    std::vector<std::vector<uint8_t>> data = {
        {0xDE, 0xAD},                         // 0 REG_NONE
        Utf16Bytes(L"text"),                  // 1 REG_SZ
        Utf16Bytes(L"%SystemRoot%"),          // 2 REG_EXPAND_SZ
        {0x0A, 0xFF, 0x00},                   // 3 REG_BINARY
        {0xFF, 0xFF, 0xFF, 0xFF},             // 4 REG_DWORD
        {0x00, 0x00, 0x01, 0x00},             // 5 REG_DWORD_BIG_ENDIAN
        {'l', 'i', 'n', 'k', 0},              // 6 REG_LINK
        MultiSzBytes({L"a", L"b"}),           // 7 REG_MULTI_SZ
        {'r', 0},                             // 8 REG_RESOURCE_LIST
        {'f', 0},                             // 9 REG_FULL_RESOURCE_DESCRIPTOR
        {1, 2, 3},                            // 10 REG_RESOURCE_REQUIREMENTS_LIST
        {1, 0, 0, 0, 0, 0, 0, 0},             // 11 REG_QWORD
    };
    const wchar_t* contents[] = {nullptr, L"text", L"%SystemRoot%", L"0aff00", L"-1", L"256", L"link",
                                 L"a b ", L"r", L"f", L"...", nullptr};
    for (DWORD type = 0; type < data.size(); ++type) {
        wchar_t name[8];
        std::swprintf(name, 8, L"t%02lu", static_cast<unsigned long>(type));
        ASSERT_TRUE(WriteValue(root, name, type, data[type]));
    }
    ASSERT_TRUE(WriteValue(root + L"\\Parameters", L"Level", REG_DWORD, DwordBytes(3)));
    ASSERT_TRUE(WriteValue(root + L"\\Parameters\\Sub", L"Deep", REG_SZ, Utf16Bytes(L"deep")));
    ASSERT_TRUE(WriteValue(root + L"\\Parameters\\Sub", L"", REG_SZ, Utf16Bytes(L"default")));
    ASSERT_TRUE(CreateKey(root + L"\\Parameters\\Sub\\Empty"));
    ASSERT_TRUE(WriteValue(root + L"\\Parameters\\Tail", L"T", REG_SZ, Utf16Bytes(L"t")));
    ASSERT_TRUE(WriteValue(root + L"\\Settings", L"S", REG_BINARY, {}));

    ASSERT_TRUE(Build());
    CDriverClass* record = FindClass(scratch.ModelGuid());
    ASSERT_NE(nullptr, record);
    ASSERT_EQ(1u, record->GetDeviceList().size());
    const CDevice& built = *record->GetDeviceList()[0];
    EXPECT_EQ(0, built.GetIndex());
    const CRegistrySnapshot* snapshot = built.GetRegistryParameters();
    ASSERT_NE(nullptr, snapshot);
    EXPECT_EQ(root, snapshot->GetRootPath());

    EXPECT_TRUE(ListIs(RowNames(*snapshot),
                       {L"|t00", L"|t01", L"|t02", L"|t03", L"|t04", L"|t05", L"|t06", L"|t07", L"|t08", L"|t09",
                        L"|t10", L"|t11", L"Parameters|Level", L"Parameters\\Sub|", L"Parameters\\Sub|Deep",
                        L"Parameters\\Tail|T", L"Settings|S"}));
    EXPECT_TRUE(RowsMatchRegistry(*snapshot));
    const auto& rows = snapshot->GetRows();
    ASSERT_GE(rows.size(), 12u);
    for (uint32_t type = 0; type < 12; ++type) {
        SCOPED_TRACE(testing::Message() << "type " << type);
        const CRegistryValue& row = rows[type];
        EXPECT_EQ(type, row.GetType());
        EXPECT_TRUE(BytesAre({row.GetData(), row.GetData() + row.GetDataLength()}, data[type]));
        FormattedValue shown = FormatRegistryValue(row.GetType(), row.GetData(), row.GetDataLength());
        EXPECT_EQ(contents[type] != nullptr, shown.hasContents);
        if (contents[type]) {
            EXPECT_EQ(contents[type], shown.contents);
        }
    }
    EXPECT_EQ(0u, rows.back().GetDataLength());
}

TEST_F(ScratchClassBuild, OverlongValuesAndNamesEndTheirKey) {
    ASSERT_TRUE(scratch.IsValid());
    ScratchDevice* device = scratch.AddDevice();
    ASSERT_NE(nullptr, device);
    const std::wstring root = device->MakeDriverKey(L"0000");
    ASSERT_FALSE(root.empty());
    // Wine enumerates by name: a, b, c.
    ASSERT_TRUE(WriteValue(root, L"a_fits", REG_BINARY, std::vector<uint8_t>(4096, 1)));
    ASSERT_TRUE(WriteValue(root, L"b_big", REG_BINARY, std::vector<uint8_t>(4097, 2)));
    ASSERT_TRUE(WriteValue(root, L"c_after", REG_SZ, Utf16Bytes(L"missing")));
    const std::wstring names = root + L"\\Names";
    const std::wstring name259 = L"a" + std::wstring(258, L'x');
    const std::wstring name260 = L"b" + std::wstring(259, L'x');
    ASSERT_TRUE(WriteValue(names, name259, REG_SZ, Utf16Bytes(L"fits")));
    ASSERT_TRUE(WriteValue(names, name260, REG_SZ, Utf16Bytes(L"too long")));
    ASSERT_TRUE(WriteValue(names, L"c_after", REG_SZ, Utf16Bytes(L"missing")));
    ASSERT_TRUE(WriteValue(names + L"\\Child", L"child", REG_SZ, Utf16Bytes(L"still walked")));

    ASSERT_TRUE(Build());
    CDriverClass* record = FindClass(scratch.ModelGuid());
    ASSERT_NE(nullptr, record);
    ASSERT_EQ(1u, record->GetDeviceList().size());
    const CRegistrySnapshot* snapshot = record->GetDeviceList()[0]->GetRegistryParameters();
    ASSERT_NE(nullptr, snapshot);
    EXPECT_TRUE(ListIs(RowNames(*snapshot), {L"|a_fits", L"Names|" + name259, L"Names\\Child|child"}));
    ASSERT_EQ(3u, snapshot->GetRows().size());
    EXPECT_EQ(4096u, snapshot->GetRows()[0].GetDataLength());
}

TEST_F(ScratchClassBuild, UnreadableSubkeyIsMissingWithItsLaterSiblings) {
    ASSERT_TRUE(scratch.IsValid());
    ScratchDevice* device = scratch.AddDevice();
    ASSERT_NE(nullptr, device);
    const std::wstring root = device->MakeDriverKey(L"0000");
    ASSERT_FALSE(root.empty());
    ASSERT_TRUE(WriteValue(root, L"R", REG_SZ, Utf16Bytes(L"r")));
    ASSERT_TRUE(WriteValue(root + L"\\K1", L"k1", REG_SZ, Utf16Bytes(L"k1")));
    ASSERT_TRUE(WriteValue(root + L"\\K1\\S1", L"s1", REG_SZ, Utf16Bytes(L"s1")));
    ASSERT_TRUE(WriteValue(root + L"\\K1\\S2", L"s2", REG_SZ, Utf16Bytes(L"s2")));
    ASSERT_TRUE(WriteValue(root + L"\\K2", L"k2", REG_SZ, Utf16Bytes(L"k2")));
    ASSERT_TRUE(WriteValue(root + L"\\K3", L"k3", REG_SZ, Utf16Bytes(L"k3")));
    ASSERT_TRUE(WriteValue(root + L"\\K4", L"k4", REG_SZ, Utf16Bytes(L"k4")));
    {
        // Nobody may open K1\S1 or K3 while the guards live.
        KeySecurityGuard hideS1(root + L"\\K1\\S1", KeySecurityGuard::kNoAccess);
        KeySecurityGuard hideK3(root + L"\\K3", KeySecurityGuard::kNoAccess);
        ASSERT_TRUE(hideS1.IsApplied());
        ASSERT_TRUE(hideK3.IsApplied());
        ASSERT_FALSE(KeyExists(root + L"\\K3"));  // the DACL is in force
        ASSERT_TRUE(Build());
    }
    CDriverClass* record = FindClass(scratch.ModelGuid());
    ASSERT_NE(nullptr, record);
    ASSERT_EQ(1u, record->GetDeviceList().size());
    const CRegistrySnapshot* snapshot = record->GetDeviceList()[0]->GetRegistryParameters();
    ASSERT_NE(nullptr, snapshot);
    // S2 follows S1, K4 follows K3: missing. K2 is the parent's next subkey: walked.
    EXPECT_TRUE(ListIs(RowNames(*snapshot), {L"|R", L"K1|k1", L"K2|k2"}));
    EXPECT_TRUE(KeyExists(root + L"\\K3"));  // the guard put the DACL back
}

// Wine's own classes and three of ours whose devices were made in turns, so that the one
// set of all devices interleaves them: the same list, reports and device numbers as when
// each class's set was taken on its own; a device written through the one set is itself.
TEST_F(ScratchClassBuild, OneSetForAllClassesGivesTheListOfOneSetPerClass) {
    ScratchClass second(L"Quillex Scratch Second"), third(L"Quillex Scratch Third");
    ASSERT_TRUE(scratch.IsValid() && second.IsValid() && third.IsValid());
    ScratchClass* kinds[] = {&scratch, &second, &third};
    for (int i = 0; i < 9; ++i) {
        ScratchDevice* device = kinds[i % 3]->AddDevice();
        ASSERT_NE(nullptr, device);
        ASSERT_TRUE(device->SetProperty(SPDRP_DEVICEDESC, Utf16Bytes(L"Turn " + std::to_wstring(i))));
        ASSERT_TRUE(device->SetProperty(SPDRP_LOWERFILTERS, MultiSzBytes({L"low" + std::to_wstring(i)})));
        std::wstring key = device->MakeDriverKey(DeviceNumberText(i));
        ASSERT_TRUE(WriteValue(key, L"Turn", REG_DWORD, DwordBytes(static_cast<uint32_t>(i))));
    }

    DriverClassList perClass;
    ProgressRecorder perClassProgress;
    ASSERT_TRUE(BuildPerClass(perClass, &perClassProgress, [](const Guid& guid) -> DevInfoHandle {
        GUID platform{guid.Data1, guid.Data2, guid.Data3, {}};
        std::copy(guid.Data4, guid.Data4 + 8, platform.Data4);
        return SetupDiGetClassDevsW(&platform, nullptr, nullptr, DIGCF_PRESENT | DIGCF_PROFILE);
    }));
    ASSERT_TRUE(Build());
    EXPECT_TRUE(SameClassLists(perClass, classes));
    EXPECT_TRUE(ListIs(progress.Log(), perClassProgress.Log()));
    ReleaseDriverClasses(perClass);

    CDriverClass* record = FindClass(second.ModelGuid());
    ASSERT_NE(nullptr, record);
    ASSERT_EQ(3u, record->GetDeviceList().size());
    CDevice& device = *record->GetDeviceList()[1];
    EXPECT_EQ(L"Turn 4", device.GetDeviceDesc());
    ASSERT_TRUE(device.SetUpperFilters({L"turnfour"}));
    RegValue stored;
    ASSERT_TRUE(second.Devices()[1]->ReadProperty(SPDRP_UPPERFILTERS, &stored));
    EXPECT_EQ(MultiSzBytes({L"turnfour"}), stored.data);
    for (size_t other : {0u, 2u})  // nothing reached the class's other devices
        EXPECT_FALSE(second.Devices()[other]->ReadProperty(SPDRP_UPPERFILTERS, &stored));
}
