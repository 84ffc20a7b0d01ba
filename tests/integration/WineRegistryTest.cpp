// The class list built from Wine's own registry and devices, checked against what the
// registry and SetupAPI report when asked directly.
#include <algorithm>
#include <cstdio>

#include "model/OfflineHive.h"
#include "model/TextForms.h"
#include "tests/support/WineFixture.h"

#include <sddl.h>  // after the platform headers the fixture brings in

using namespace qx;
using namespace qx::test;
using namespace qx::test::wine;

namespace {

const Guid kSystem = MakeGuid(0x4D36E97D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18});
const Guid kDiskDrives = MakeGuid(0x4D36E967, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18});
const Guid kDisplay = MakeGuid(0x4D36E968, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18});
const Guid kMonitor = MakeGuid(0x4D36E96E, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18});
const Guid kHid = MakeGuid(0x745A17A0, 0x74D3, 0x11D0, {0xB6, 0xFE, 0x00, 0xA0, 0xC9, 0x0F, 0x57, 0xDA});

// The class keys as the registry enumerates them, parsed with the platform's own scanf.
struct ClassKey {
    std::wstring name;
    GUID guid;
    bool described;
    std::wstring description;
};

std::vector<ClassKey> ClassKeys() {
    std::vector<ClassKey> keys;
    for (const auto& name : SubkeyNames(kClassRoot)) {
        unsigned f[11];
        if (std::swscanf(name.c_str(), L"{%8X-%4X-%4X-%2X%2X-%2X%2X%2X%2X%2X%2X}", &f[0], &f[1], &f[2], &f[3],
                         &f[4], &f[5], &f[6], &f[7], &f[8], &f[9], &f[10]) != 11)
            continue;
        ClassKey key;
        key.name = name;
        key.guid.Data1 = f[0];
        key.guid.Data2 = static_cast<WORD>(f[1]);
        key.guid.Data3 = static_cast<WORD>(f[2]);
        for (int i = 0; i < 8; ++i) key.guid.Data4[i] = static_cast<BYTE>(f[3 + i]);
        wchar_t text[4096];
        key.described = SetupDiGetClassDescriptionW(&key.guid, text, 4096, nullptr) != FALSE;
        if (key.described) key.description = text;
        keys.push_back(key);
    }
    return keys;
}

// A device property read straight from SetupAPI; false when absent.
bool ReadProperty(HDEVINFO set, SP_DEVINFO_DATA* element, DWORD property, DWORD* type,
                  std::vector<uint8_t>* data) {
    DWORD cb = 0;
    SetLastError(ERROR_SUCCESS);
    if (SetupDiGetDeviceRegistryPropertyW(set, element, property, type, nullptr, 0, &cb) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER || cb == 0)
        return false;
    data->resize(cb);
    return SetupDiGetDeviceRegistryPropertyW(set, element, property, type, data->data(), cb, &cb) != FALSE;
}

std::wstring Text(const std::vector<uint8_t>& data) {
    std::wstring text;
    for (size_t i = 0; i + 1 < data.size(); i += 2) {
        wchar_t c = static_cast<wchar_t>(data[i] | data[i + 1] << 8);
        if (!c) break;
        text += c;
    }
    return text;
}

StringList List(const std::vector<uint8_t>& data) {
    StringList list;
    std::wstring current;
    for (size_t i = 0; i + 1 < data.size(); i += 2) {
        wchar_t c = static_cast<wchar_t>(data[i] | data[i + 1] << 8);
        if (c) {
            current += c;
        } else if (current.empty()) {
            break;
        } else {
            list.push_back(current);
            current.clear();
        }
    }
    if (!current.empty()) list.push_back(current);
    return list;
}

std::wstring Joined(const StringList& list) {
    std::wstring text;
    for (const auto& entry : list) text += (text.empty() ? L"" : L" ") + entry;
    return text;
}

bool IsScratch(const std::wstring& description) { return description.rfind(L"Quillex", 0) == 0; }

}  // namespace

class WineRegistry : public WineTest {};

TEST_F(WineRegistry, ClassesWithADescriptionInEnumerationOrder) {
    ASSERT_TRUE(Build());
    const std::vector<ClassKey> keys = ClassKeys();

    // Every class listed is one of the keys, in the keys' order, with its description.
    size_t position = 0;
    for (const auto& record : classes) {
        while (position < keys.size() && ToModelGuid(keys[position].guid) != record->GetGuid()) ++position;
        ASSERT_LT(position, keys.size()) << "out of order or unknown: " << Narrow(record->GetDescription());
        EXPECT_TRUE(keys[position].described);
        EXPECT_EQ(keys[position].description, record->GetDescription());
        EXPECT_EQ(UpperGuidText(keys[position].guid), record->GetGuidString());
        ++position;
    }
    // Every one of Wine's own classes that has a description is listed (other tests'
    // scratch classes may come and go meanwhile).
    for (const auto& key : keys) {
        if (key.described && !IsScratch(key.description)) {
            EXPECT_NE(nullptr, FindClass(ToModelGuid(key.guid))) << Narrow(key.description) << " missing";
        }
    }
    // Display and Monitor have keys but no description: left out.
    bool displayKey = false, monitorKey = false;
    for (const auto& key : keys) {
        displayKey |= ToModelGuid(key.guid) == kDisplay;
        monitorKey |= ToModelGuid(key.guid) == kMonitor;
    }
    EXPECT_TRUE(displayKey);
    EXPECT_TRUE(monitorKey);
    EXPECT_EQ(nullptr, FindClass(kDisplay));
    EXPECT_EQ(nullptr, FindClass(kMonitor));

    ASSERT_NE(nullptr, FindClass(kDiskDrives));
    EXPECT_EQ(L"Disk drives", FindClass(kDiskDrives)->GetDescription());
    CDriverClass* system = FindClass(kSystem);
    ASSERT_NE(nullptr, system);
    EXPECT_EQ(L"System devices", system->GetDescription());
    ASSERT_EQ(2u, system->GetDeviceList().size());

    // Devices numbered 0..n-1 in every class, each pointing back at its class.
    size_t devices = 0;
    for (const auto& record : classes) {
        for (size_t i = 0; i < record->GetDeviceList().size(); ++i) {
            EXPECT_EQ(static_cast<int32_t>(i), record->GetDeviceList()[i]->GetIndex());
            EXPECT_EQ(record.get(), record->GetDeviceList()[i]->GetClass());
        }
        devices += record->GetDeviceList().size();
    }

    // Progress: System devices announced once, its range set, one step per device.
    const auto& log = progress.Log();
    size_t at = std::find(log.begin(), log.end(), L"text:Processing Class System devices") - log.begin();
    ASSERT_LT(at + 3, log.size());
    EXPECT_EQ(1, std::count(log.begin(), log.end(), L"text:Processing Class System devices"));
    EXPECT_TRUE(ListIs({log[at + 1], log[at + 2], log[at + 3]}, {L"range:0-100", L"step", L"step"}));
    EXPECT_EQ(static_cast<long>(devices), std::count(log.begin(), log.end(), L"step"));
    EXPECT_EQ(static_cast<long>(classes.size()), std::count(log.begin(), log.end(), L"range:0-100"));
    EXPECT_TRUE(NoMessages(messages));
}

TEST_F(WineRegistry, StoredPropertiesArriveInTheirTextForms) {
    ASSERT_TRUE(Build());
    int compared = 0;
    for (const Guid& guid : {kSystem, kHid}) {
        CDriverClass* record = FindClass(guid);
        ASSERT_NE(nullptr, record);
        GUID classGuid;
        classGuid.Data1 = guid.Data1;
        classGuid.Data2 = guid.Data2;
        classGuid.Data3 = guid.Data3;
        std::copy(guid.Data4, guid.Data4 + 8, classGuid.Data4);
        HDEVINFO set = SetupDiGetClassDevsW(&classGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_PROFILE);
        ASSERT_NE(INVALID_HANDLE_VALUE, set);
        for (const auto& device : record->GetDeviceList()) {
            SP_DEVINFO_DATA element{};
            element.cbSize = sizeof element;
            ASSERT_TRUE(SetupDiEnumDeviceInfo(set, static_cast<DWORD>(device->GetIndex()), &element));
            SCOPED_TRACE(Narrow(record->GetDescription() + L" " + DeviceNumberText(device->GetIndex())));
            DWORD type = 0;
            std::vector<uint8_t> data;
            auto text = [&](DWORD property) { return ReadProperty(set, &element, property, &type, &data) ? Text(data) : L""; };
            auto list = [&](DWORD property) {
                return ReadProperty(set, &element, property, &type, &data) ? List(data) : StringList{};
            };
            EXPECT_EQ(text(SPDRP_DEVICEDESC), device->GetDeviceDesc());
            EXPECT_FALSE(device->GetDeviceDesc().empty());
            EXPECT_EQ(text(SPDRP_CLASS), device->GetClassText());
            EXPECT_EQ(text(SPDRP_CLASSGUID), device->GetClassGuid());
            EXPECT_EQ(text(SPDRP_DRIVER), device->GetDriver());
            EXPECT_EQ(text(SPDRP_SERVICE), device->GetService());
            EXPECT_EQ(text(SPDRP_MFG), device->GetMfg());
            EXPECT_EQ(Joined(list(SPDRP_HARDWAREID)), device->GetHardwareId());
            EXPECT_FALSE(device->GetHardwareId().empty());
            EXPECT_TRUE(ListIs(device->GetCompatibleIds(), list(SPDRP_COMPATIBLEIDS)));
            EXPECT_TRUE(ListIs(device->GetUpperFilters(), list(SPDRP_UPPERFILTERS)));
            std::wstring flags;
            if (ReadProperty(set, &element, SPDRP_CONFIGFLAGS, &type, &data) && data.size() >= 4) {
                wchar_t hex[16];
                std::swprintf(hex, 16, L"%08lx", static_cast<unsigned long>(data[0] | data[1] << 8 | data[2] << 16 | data[3] << 24));
                flags = hex;
            }
            EXPECT_EQ(flags, device->GetConfigFlags());
            // Wine has no run-time properties: no object name, no bus number.
            EXPECT_EQ(L"", device->GetPdoName());
            EXPECT_EQ(L"", device->GetDeviceName());
            EXPECT_EQ(L"", device->GetBusNumber());
            EXPECT_EQ(L"", device->GetSecurity());
            ++compared;
        }
        SetupDiDestroyDeviceInfoList(set);
    }
    EXPECT_GE(compared, 3);
}

TEST_F(WineRegistry, EachDeviceShowsItsOwnDriverKey) {
    ASSERT_TRUE(Build());
    CDriverClass* hid = FindClass(kHid);
    ASSERT_NE(nullptr, hid);
    ASSERT_FALSE(hid->GetDeviceList().empty());
    // On Wine the first HID device's driver key is \0003, not \0000.
    const CDevice& first = *hid->GetDeviceList()[0];
    EXPECT_EQ(L"{745A17A0-74D3-11D0-B6FE-00A0C90F57DA}\\0003", first.GetDriver());
    for (const auto& device : hid->GetDeviceList()) {
        SCOPED_TRACE(Narrow(device->GetDriver()));
        const CRegistrySnapshot* snapshot = device->GetRegistryParameters();
        ASSERT_NE(nullptr, snapshot);
        EXPECT_EQ(std::wstring(kClassRoot) + L"\\" + device->GetDriver(), snapshot->GetRootPath());
        EXPECT_FALSE(snapshot->GetRows().empty());
        EXPECT_TRUE(RowsMatchRegistry(*snapshot));
    }
}

TEST(Win32Access, PropertyProbesNeverReportAStaleError) {
    HDEVINFO set = nullptr;
    GUID system = {0x4D36E97D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
    set = SetupDiGetClassDevsW(&system, nullptr, nullptr, DIGCF_PRESENT | DIGCF_PROFILE);
    ASSERT_NE(INVALID_HANDLE_VALUE, set);
    IDeviceAccess& access = Win32Access();
    DeviceElement element;
    ASSERT_TRUE(access.EnumDeviceInfo(set, 0, &element));
    EXPECT_EQ(kSystem, element.classGuid);

    // Wine fails the run-time properties without setting the last error.
    for (uint32_t property : {spdrp::PhysicalDeviceObjectName, spdrp::BusNumber, spdrp::Security,
                              spdrp::Address, spdrp::FriendlyName}) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        uint32_t required = 12345, type = 0;
        long error = access.GetDeviceRegistryProperty(set, element, property, &type, nullptr, 0, &required);
        EXPECT_NE(kErrInsufficientBuffer, error) << "property " << property;
        EXPECT_NE(kErrSuccess, error) << "property " << property;
        bool present = true;
        CDriverClass::GetDeviceProperty(set, element, property, &type, &present);
        EXPECT_FALSE(present) << "property " << property;
    }
    // A stored property: the probe gives its size, the read its data and type.
    uint32_t required = 0, type = 0;
    ASSERT_EQ(kErrInsufficientBuffer,
              access.GetDeviceRegistryProperty(set, element, spdrp::DeviceDesc, &type, nullptr, 0, &required));
    ASSERT_GT(required, 2u);
    std::vector<uint8_t> data(required);
    ASSERT_EQ(kErrSuccess, access.GetDeviceRegistryProperty(set, element, spdrp::DeviceDesc, &type, data.data(),
                                                            required, &required));
    EXPECT_EQ(kRegSz, type);
    SP_DEVINFO_DATA direct{};
    direct.cbSize = sizeof direct;
    ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 0, &direct));
    DWORD directType = 0;
    std::vector<uint8_t> directData;
    ASSERT_TRUE(ReadProperty(set, &direct, SPDRP_DEVICEDESC, &directType, &directData));
    EXPECT_TRUE(BytesAre(data, directData));
    access.DestroyDeviceInfoList(set);
}

TEST(Win32Access, SecurityDescriptorsShowAsSddlAndDamagedOnesAsNothing) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ULONG cb = 0;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:BAG:SYD:(A;;GA;;;WD)", SDDL_REVISION_1,
                                                                     &descriptor, &cb));
    std::vector<uint8_t> bytes(static_cast<uint8_t*>(descriptor), static_cast<uint8_t*>(descriptor) + cb);
    LocalFree(descriptor);
    IDeviceAccess& access = Win32Access();
    EXPECT_EQ(L"O:BAG:SYD:(A;;GA;;;WD)", access.SecurityDescriptorToText(bytes.data(), static_cast<uint32_t>(bytes.size())));

    // Cut short anywhere: nothing is read beyond the copy, nothing is shown. Each cut
    // is copied into a buffer of exactly that size.
    for (size_t length = 0; length < bytes.size(); ++length) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + length);
        EXPECT_EQ(L"", access.SecurityDescriptorToText(cut.data(), static_cast<uint32_t>(cut.size())))
            << "length " << length;
    }
    // An owner offset that points outside the data.
    std::vector<uint8_t> damaged = bytes;
    damaged[4] = 0xF0;
    damaged[5] = 0xFF;
    EXPECT_EQ(L"", access.SecurityDescriptorToText(damaged.data(), static_cast<uint32_t>(damaged.size())));
    EXPECT_EQ(L"", access.SecurityDescriptorToText(nullptr, 0));
}

// Offline device lists are written through a key opened for backup and restore (a real
// installation's Enum keys admit no other writer); a key that is not there is not made.
TEST(Win32Access, AKeyOpenedToRestoreIsWrittenAndNeverCreated) {
    ScratchClass scratch{L"Quillex Restore Class"};
    ASSERT_TRUE(scratch.IsValid());
    long ignored = 0;
    for (const wchar_t* privilege : {L"SeBackupPrivilege", L"SeRestorePrivilege"})
        ASSERT_TRUE(Win32HiveLoader().EnablePrivilege(privilege, &ignored)) << ignored;
    IDeviceAccess& access = Win32Access();
    KeyHandle key = nullptr;
    ASSERT_EQ(kErrSuccess, access.OpenKeyToRestore(scratch.KeyPath(), kKeyRead | 0x2, &key));
    const std::vector<uint8_t> data = MultiSzBytes({L"QxRestored"});
    EXPECT_EQ(kErrSuccess, access.SetValue(key, L"UpperFilters", kRegMultiSz, data.data(), static_cast<uint32_t>(data.size())));
    access.CloseKey(key);
    RegValue stored;
    ASSERT_TRUE(ReadValue(scratch.KeyPath(), L"UpperFilters", &stored));
    EXPECT_EQ(data, stored.data);

    const std::wstring missing = scratch.KeyPath() + L"\\NotThere";
    EXPECT_EQ(kErrFileNotFound, access.OpenKeyToRestore(missing, kKeyRead | 0x2, &key));
    EXPECT_NE(kErrSuccess, access.OpenKey(missing, kKeyRead, &key));
}
