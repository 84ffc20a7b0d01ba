// How each device registry property reaches its record, on the in-memory machine
// (Wine cannot give physical device object names, bus numbers or security data).
#include <iterator>
#include <map>
#include <set>

#include "tests/support/MemoryFixture.h"

using namespace qx;
using namespace qx::test;

class DeviceProperties : public MemoryMachineTest {};

TEST_F(DeviceProperties, PhysicalDeviceObjectNames) {
    struct Case {
        uint32_t type;
        std::vector<uint8_t> data;
        const wchar_t* deviceName;
        const wchar_t* pdoName;
    };
    const Case cases[] = {
        {kRegSz, Utf16Bytes(L"\\Device\\00000042"), L"\\00000042", L"\\Device\\00000042"},
        {kRegSz, Utf16Bytes(L"\\Device\\NTPNP_PCI0012"), L"\\NTPNP_PCI0012", L"\\Device\\NTPNP_PCI0012"},
        // Only the exact, case-sensitive prefix is removed.
        {kRegSz, Utf16Bytes(L"\\DEVICE\\X"), L"\\DEVICE\\X", L"\\DEVICE\\X"},
        {kRegSz, Utf16Bytes(L"Device\\X"), L"Device\\X", L"Device\\X"},
        {kRegSz, Utf16Bytes(L"\\Device"), L"", L"\\Device"},
        // Without a terminator the name ends with the data.
        {kRegSz, Utf16Bytes(L"\\Device\\Z", false), L"\\Z", L"\\Device\\Z"},
        // A name stored with another type is not a name.
        {kRegBinary, Utf16Bytes(L"\\Device\\Y"), L"", L""},
        {kRegMultiSz, MultiSzBytes({L"\\Device\\M"}), L"", L""},
    };
    Guid guid = AddClass(1, L"Named");
    for (const Case& c : cases) {
        uint32_t devInst = machine.AddDevice(guid);
        machine.PutProperty(devInst, spdrp::PhysicalDeviceObjectName, c.type, c.data);
    }
    machine.AddDevice(guid);  // none at all

    ASSERT_TRUE(Build());
    const DeviceList& devices = FindClass(guid)->GetDeviceList();
    ASSERT_EQ(std::size(cases) + 1, devices.size());
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        EXPECT_EQ(cases[i].deviceName, devices[i]->GetDeviceName());
        EXPECT_EQ(cases[i].pdoName, devices[i]->GetPdoName());
    }
    EXPECT_EQ(L"", devices.back()->GetDeviceName());
    EXPECT_EQ(L"", devices.back()->GetPdoName());
}

TEST_F(DeviceProperties, NumbersAndGuidsInTheirTextForms) {
    const Guid busType = MakeGuid(0x1530EA73, 0x086B, 0x11D1, {0xA0, 0x9F, 0x00, 0xC0, 0x4F, 0xC3, 0x40, 0xB1});
    CDevice* device = BuildOneDevice([&](uint32_t d) {
        machine.PutDwordProperty(d, spdrp::Address, 31);
        machine.PutDwordProperty(d, spdrp::BusNumber, 0);
        machine.PutDwordProperty(d, spdrp::Capabilities, 0xFFFFFFFFu);
        machine.PutDwordProperty(d, spdrp::Characteristics, 0x100);
        machine.PutDwordProperty(d, spdrp::DevType, 0x22);
        machine.PutDwordProperty(d, spdrp::Exclusive, 1);
        machine.PutDwordProperty(d, spdrp::LegacyBusType, 5);
        machine.PutDwordProperty(d, spdrp::UiNumber, 0xABCDEF);
        // Longer data: the first four bytes count.
        machine.PutProperty(d, spdrp::ConfigFlags, kRegDword, {0x10, 0, 0, 0, 0xFF, 0xFF});
        machine.PutProperty(d, spdrp::BusTypeGuid, kRegBinary, GuidBytes(busType));
    });
    ASSERT_NE(nullptr, device);
    EXPECT_EQ(L"0000001f", device->GetAddress());
    EXPECT_EQ(L"00000000", device->GetBusNumber());
    EXPECT_EQ(L"ffffffff", device->GetCapabilities());
    EXPECT_EQ(L"00000100", device->GetCharacteristics());
    EXPECT_EQ(L"00000022", device->GetDevType());
    EXPECT_EQ(L"00000001", device->GetExclusive());
    EXPECT_EQ(L"00000005", device->GetLegacyBusType());
    EXPECT_EQ(L"00abcdef", device->GetUiNumber());
    EXPECT_EQ(L"00000010", device->GetConfigFlags());
    EXPECT_EQ(L"{1530EA73-086B-11D1-A09F-00C04FC340B1}", device->GetBusTypeGuid());
}

TEST_F(DeviceProperties, ShortNumbersAndGuidsStayEmpty) {
    CDevice* device = BuildOneDevice([&](uint32_t d) {
        machine.PutProperty(d, spdrp::Address, kRegDword, {1, 2});
        machine.PutProperty(d, spdrp::BusNumber, kRegDword, {7});
        machine.PutProperty(d, spdrp::BusTypeGuid, kRegBinary, std::vector<uint8_t>(15, 0xAA));
        machine.PutStringProperty(d, spdrp::DeviceDesc, L"still added");
    });
    ASSERT_NE(nullptr, device);
    EXPECT_EQ(L"", device->GetAddress());
    EXPECT_EQ(L"", device->GetBusNumber());
    EXPECT_EQ(L"", device->GetBusTypeGuid());
    EXPECT_EQ(L"still added", device->GetDeviceDesc());
}

TEST_F(DeviceProperties, TextsAndListsAsStored) {
    const std::vector<uint8_t> descriptor = {0x01, 0x00, 0x04, 0x80, 0x14, 0x00, 0x00, 0x00};
    CDevice* device = BuildOneDevice([&](uint32_t d) {
        machine.PutStringProperty(d, spdrp::DeviceDesc, L"PCI standard host CPU bridge");
        machine.PutStringProperty(d, spdrp::Class, L"System");
        machine.PutStringProperty(d, spdrp::ClassGuid, L"{4d36e97d-e325-11ce-bfc1-08002be10318}");
        machine.PutStringProperty(d, spdrp::Driver, L"{4d36e97d-e325-11ce-bfc1-08002be10318}\\0001");
        machine.PutStringProperty(d, spdrp::EnumeratorName, L"PCI");
        machine.PutStringProperty(d, spdrp::FriendlyName, L"Bridge");
        machine.PutStringProperty(d, spdrp::LocationInformation, L"PCI bus 0, device 0, function 0");
        machine.PutStringProperty(d, spdrp::Mfg, L"(Standard system devices)");
        machine.PutStringProperty(d, spdrp::SecuritySds, L"D:P(A;;GA;;;SY)");
        machine.PutStringProperty(d, spdrp::Service, L"pci");
        machine.PutMultiSzProperty(d, spdrp::HardwareId, {L"PCI\\VEN_8086&DEV_1237", L"PCI\\VEN_8086"});
        machine.PutMultiSzProperty(d, spdrp::CompatibleIds, {L"PCI\\CC_0600", L"PCI\\CC_06"});
        machine.PutMultiSzProperty(d, spdrp::UpperFilters, {L"up2", L"up1", L"up2"});
        machine.PutMultiSzProperty(d, spdrp::LowerFilters, {L"low"});
        machine.PutProperty(d, spdrp::Security, kRegBinary, descriptor);
    });
    ASSERT_NE(nullptr, device);
    EXPECT_EQ(L"PCI standard host CPU bridge", device->GetDeviceDesc());
    EXPECT_EQ(L"System", device->GetClassText());
    EXPECT_EQ(L"{4d36e97d-e325-11ce-bfc1-08002be10318}", device->GetClassGuid());  // not reformatted
    EXPECT_EQ(L"{4d36e97d-e325-11ce-bfc1-08002be10318}\\0001", device->GetDriver());
    EXPECT_EQ(L"PCI", device->GetEnumerator());
    EXPECT_EQ(L"Bridge", device->GetFriendlyName());
    EXPECT_EQ(L"PCI bus 0, device 0, function 0", device->GetLocationInfo());
    EXPECT_EQ(L"(Standard system devices)", device->GetMfg());
    EXPECT_EQ(L"D:P(A;;GA;;;SY)", device->GetSecuritySds());
    EXPECT_EQ(L"pci", device->GetService());
    // The hardware IDs are one line of their own; the compatible IDs list stays apart.
    EXPECT_EQ(L"PCI\\VEN_8086&DEV_1237 PCI\\VEN_8086", device->GetHardwareId());
    EXPECT_TRUE(ListIs(device->GetCompatibleIds(), {L"PCI\\CC_0600", L"PCI\\CC_06"}));
    EXPECT_TRUE(ListIs(device->GetUpperFilters(), {L"up2", L"up1", L"up2"}));
    EXPECT_TRUE(ListIs(device->GetLowerFilters(), {L"low"}));
    // The descriptor goes through the machine's conversion (SDDL on the real one).
    EXPECT_EQ(L"SD:0100048014000000", device->GetSecurity());
    // No source fills these.
    EXPECT_EQ(L"", device->GetConfiguration());
    EXPECT_EQ(L"", device->GetConfigVector());
    EXPECT_EQ(L"", device->GetNtDevicePaths());
}

TEST_F(DeviceProperties, UnreadableOrOddPropertiesLeaveFieldsEmpty) {
    CDevice* device = BuildOneDevice([&](uint32_t d) {
        // A cleared property (Wine leaves an empty value; the probe reports size 0).
        machine.PutProperty(d, spdrp::FriendlyName, kRegSz, {});
        machine.PutProperty(d, spdrp::UpperFilters, kRegMultiSz, {});
        // The probe gives a size, the read then fails.
        machine.PutStringProperty(d, spdrp::Mfg, L"vanishing");
        machine.FailPropertyRead(d, spdrp::Mfg);
        // Data without a terminator, and an odd byte count.
        machine.PutProperty(d, spdrp::DeviceDesc, kRegSz, Utf16Bytes(L"abc", false));
        machine.PutProperty(d, spdrp::Service, kRegSz, {'s', 0, 'v', 0, 'c'});
        // Wine's HardwareID: an empty string in the middle ends the list.
        machine.PutProperty(d, spdrp::HardwareId, kRegMultiSz, MultiSzBytes({L"first", L"", L"hidden"}));
        machine.PutProperty(d, spdrp::CompatibleIds, kRegMultiSz, {'c', 0, 'x', 0, 0, 0, 'y'});
    });
    ASSERT_NE(nullptr, device);
    EXPECT_EQ(L"", device->GetFriendlyName());
    EXPECT_TRUE(device->GetUpperFilters().empty());
    EXPECT_EQ(L"", device->GetMfg());
    EXPECT_EQ(L"abc", device->GetDeviceDesc());
    EXPECT_EQ(L"sv", device->GetService());
    EXPECT_EQ(L"first", device->GetHardwareId());
    EXPECT_TRUE(ListIs(device->GetCompatibleIds(), {L"cx"}));
    EXPECT_EQ(0, device->GetIndex());
    EXPECT_TRUE(NoMessages(messages));
}

// The property table: each row names its own text or list, number, offline value and
// quillexc key, and every text and list of the record has exactly one row.
TEST(DevicePropertyTable, EveryRowIsItsOwnAndEveryFieldHasOne) {
    std::set<uint32_t> codes;
    std::set<std::wstring> offlineNames, labels;
    std::set<std::string> keys;
    std::set<uint16_t> ids;
    std::map<int, int> texts, lists;
    for (const DeviceProperty& row : kDeviceProperties) {
        SCOPED_TRACE(row.jsonKey);
        EXPECT_NE(row.text == DeviceText::None, row.list == DeviceNameList::None) << "a text or a list";
        EXPECT_EQ(row.list != DeviceNameList::None, row.form == PropertyForm::NameList);
        EXPECT_EQ(row.code == kNoPropertyCode, row.form == PropertyForm::NotRead);
        if (row.code != kNoPropertyCode) {
            EXPECT_TRUE(codes.insert(row.code).second) << "number repeated";
            EXPECT_EQ(&row, FindDeviceProperty(row.code));
        } else {
            EXPECT_EQ(nullptr, row.offlineName) << "an offline value of a property that is never read";
        }
        if (row.offlineName) {
            EXPECT_TRUE(offlineNames.insert(row.offlineName).second) << "offline value repeated";
        }
        EXPECT_TRUE(labels.insert(row.label).second) << "label repeated";
        EXPECT_TRUE(keys.insert(row.jsonKey).second) << "JSON key repeated";
        EXPECT_TRUE(ids.insert(row.labelId).second && ids.insert(row.fieldId).second) << "control id repeated";
        if (row.text != DeviceText::None) ++texts[static_cast<int>(row.text)];
        if (row.list != DeviceNameList::None) ++lists[static_cast<int>(row.list)];
    }
    EXPECT_EQ(static_cast<size_t>(DeviceText::Count), texts.size());
    EXPECT_EQ(static_cast<size_t>(DeviceNameList::None), lists.size());
    for (const auto& count : texts) EXPECT_EQ(1, count.second) << "text " << count.first;
    for (const auto& count : lists) EXPECT_EQ(1, count.second) << "list " << count.first;
    EXPECT_EQ(nullptr, FindDeviceProperty(kNoPropertyCode));
}
