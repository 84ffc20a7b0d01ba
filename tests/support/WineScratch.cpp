#include "tests/support/WineScratch.h"

#include <sddl.h>

#include <cstdio>
#include <cwctype>
#include <random>

#include "model/Bytes.h"

namespace qx::test::wine {

const wchar_t kClassRoot[] = L"System\\CurrentControlSet\\Control\\Class";
const wchar_t kServicesRoot[] = L"System\\CurrentControlSet\\Services";
const wchar_t kEnumRoot[] = L"System\\CurrentControlSet\\Enum";

namespace {

// An HKEY closed when it goes out of scope.
class Key {
public:
    Key() = default;
    ~Key() {
        if (m_key) RegCloseKey(m_key);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    LONG Open(const std::wstring& path, REGSAM sam) {
        return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, sam, &m_key);
    }
    LONG Create(const std::wstring& path) {
        return RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                               nullptr, &m_key, nullptr);
    }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

std::vector<uint8_t> TextBytes(const std::wstring& text) {
    std::vector<uint8_t> bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    }
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

}  // namespace

// ---- Plain registry access ----------------------------------------------------------------

bool KeyExists(const std::wstring& path) {
    Key key;
    return key.Open(path, KEY_READ) == ERROR_SUCCESS;
}

bool ReadValue(const std::wstring& path, const std::wstring& name, RegValue* value) {
    Key key;
    if (key.Open(path, KEY_READ) != ERROR_SUCCESS) return false;
    DWORD cb = 0;
    DWORD type = 0;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &cb) != ERROR_SUCCESS)
        return false;
    std::vector<uint8_t> data(cb);
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, cb ? data.data() : nullptr, &cb) !=
        ERROR_SUCCESS)
        return false;
    data.resize(cb);
    value->type = type;
    value->data = std::move(data);
    return true;
}

bool WriteValue(const std::wstring& path, const std::wstring& name, DWORD type,
                const std::vector<uint8_t>& data) {
    Key key;
    if (key.Create(path) != ERROR_SUCCESS) return false;
    return RegSetValueExW(key.get(), name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                          static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool CreateKey(const std::wstring& path) {
    Key key;
    return key.Create(path) == ERROR_SUCCESS;
}

std::vector<std::wstring> ValueNames(const std::wstring& path) {
    std::vector<std::wstring> names;
    Key key;
    if (key.Open(path, KEY_READ) != ERROR_SUCCESS) return names;
    std::vector<wchar_t> name(32768);
    for (DWORD i = 0;; ++i) {
        DWORD cch = static_cast<DWORD>(name.size());
        if (RegEnumValueW(key.get(), i, name.data(), &cch, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name.data(), cch);
    }
    return names;
}

std::vector<std::wstring> SubkeyNames(const std::wstring& path) {
    std::vector<std::wstring> names;
    Key key;
    if (key.Open(path, KEY_READ) != ERROR_SUCCESS) return names;
    wchar_t name[512];
    for (DWORD i = 0; RegEnumKeyW(key.get(), i, name, 512) == ERROR_SUCCESS; ++i) names.push_back(name);
    return names;
}

GUID RandomGuid() {
    std::random_device random;
    GUID g;
    g.Data1 = random();
    g.Data2 = static_cast<WORD>(random());
    g.Data3 = static_cast<WORD>((random() & 0x0FFF) | 0x4000);  // version 4
    for (auto& b : g.Data4) b = static_cast<BYTE>(random());
    g.Data4[0] = static_cast<BYTE>((g.Data4[0] & 0x3F) | 0x80);   // variant
    return g;
}

std::wstring UpperGuidText(const GUID& g) {
    wchar_t text[40];
    std::swprintf(text, 40, L"{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(g.Data1), unsigned{g.Data2}, unsigned{g.Data3},
                  unsigned{g.Data4[0]}, unsigned{g.Data4[1]}, unsigned{g.Data4[2]},
                  unsigned{g.Data4[3]}, unsigned{g.Data4[4]}, unsigned{g.Data4[5]},
                  unsigned{g.Data4[6]}, unsigned{g.Data4[7]});
    return text;
}

std::wstring LowerGuidText(const GUID& g) {
    std::wstring text = UpperGuidText(g);
    for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

Guid ToModelGuid(const GUID& g) { return qx::ReadGuid(reinterpret_cast<const uint8_t*>(&g)); }

// ---- Devices ---------------------------------------------------------------------------------

ScratchDevice::ScratchDevice(const GUID& classGuid, const std::wstring& deviceName)
    : m_classGuid(classGuid) {
    m_set = SetupDiCreateDeviceInfoList(&m_classGuid, nullptr);
    if (m_set == INVALID_HANDLE_VALUE) return;
    m_data.cbSize = sizeof m_data;
    if (!SetupDiCreateDeviceInfoW(m_set, deviceName.c_str(), &m_classGuid, L"Quillex scratch device",
                                  nullptr, DICD_GENERATE_ID, &m_data))
        return;
    if (!SetupDiRegisterDeviceInfo(m_set, &m_data, 0, nullptr, nullptr, nullptr)) return;
    wchar_t id[512];
    if (!SetupDiGetDeviceInstanceIdW(m_set, &m_data, id, 512, nullptr)) return;
    m_instanceId = id;
    m_registered = true;
}

ScratchDevice::~ScratchDevice() {
    Remove();
    if (m_set != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(m_set);
}

void ScratchDevice::Remove() {
    if (!m_registered) return;
    m_registered = false;
    SetupDiRemoveDevice(m_set, &m_data);
    if (!m_instanceId.empty()) RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kEnumRoot) + L"\\" + m_instanceId).c_str());
}

bool ScratchDevice::SetProperty(DWORD property, const std::vector<uint8_t>& data) {
    return SetupDiSetDeviceRegistryPropertyW(m_set, &m_data, property,
                                             data.empty() ? nullptr : data.data(),
                                             static_cast<DWORD>(data.size())) != FALSE;
}

bool ScratchDevice::ReadProperty(DWORD property, RegValue* value, DWORD* error) const {
    HDEVINFO set = SetupDiCreateDeviceInfoList(&m_classGuid, nullptr);
    if (set == INVALID_HANDLE_VALUE) return false;
    SP_DEVINFO_DATA data{};
    data.cbSize = sizeof data;
    bool ok = SetupDiOpenDeviceInfoW(set, m_instanceId.c_str(), nullptr, 0, &data) != FALSE;
    if (ok) {
        DWORD cb = 0;
        DWORD type = 0;
        SetLastError(ERROR_SUCCESS);
        SetupDiGetDeviceRegistryPropertyW(set, &data, property, &type, nullptr, 0, &cb);
        std::vector<uint8_t> bytes(cb ? cb : 1);
        SetLastError(ERROR_SUCCESS);
        ok = SetupDiGetDeviceRegistryPropertyW(set, &data, property, &type, bytes.data(),
                                               static_cast<DWORD>(bytes.size()), &cb) != FALSE;
        if (error) *error = GetLastError();
        if (ok) {
            bytes.resize(cb);
            value->type = type;
            value->data = std::move(bytes);
        }
    } else if (error) {
        *error = GetLastError();
    }
    SetupDiDestroyDeviceInfoList(set);
    return ok;
}

std::wstring ScratchDevice::MakeDriverKey(const std::wstring& subkey) {
    std::wstring driver = UpperGuidText(m_classGuid) + L"\\" + subkey;
    if (!SetProperty(SPDRP_DRIVER, TextBytes(driver))) return std::wstring();
    std::wstring path = std::wstring(kClassRoot) + L"\\" + driver;
    return CreateKey(path) ? path : std::wstring();
}

ScratchClass::ScratchClass(const wchar_t* description) : m_guid(RandomGuid()) { Create(description); }

ScratchClass::ScratchClass(const GUID& guid, const wchar_t* description) : m_guid(guid) {
    if (!KeyExists(std::wstring(kClassRoot) + L"\\" + LowerGuidText(m_guid)) &&
        !KeyExists(std::wstring(kClassRoot) + L"\\" + UpperGuidText(m_guid)))
        Create(description);
}

void ScratchClass::Create(const wchar_t* description) {
    m_keyPath = std::wstring(kClassRoot) + L"\\" + LowerGuidText(m_guid);
    wchar_t name[32];
    std::swprintf(name, 32, L"QXTEST%08lX", static_cast<unsigned long>(RandomGuid().Data1));
    m_deviceName = name;
    if (!CreateKey(m_keyPath)) return;
    m_ownsKey = true;
    if (description && !WriteValue(m_keyPath, L"", REG_SZ, TextBytes(description))) return;
    m_created = true;
}

ScratchClass::~ScratchClass() {
    m_devices.clear();
    if (!m_ownsKey) return;
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kEnumRoot) + L"\\ROOT\\" + m_deviceName).c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, m_keyPath.c_str());
}

ScratchDevice* ScratchClass::AddDevice() {
    auto device = std::make_unique<ScratchDevice>(m_guid, m_deviceName);
    if (!device->IsValid()) return nullptr;
    m_devices.push_back(std::move(device));
    return m_devices.back().get();
}

// ---- Services ----------------------------------------------------------------------------

ScratchService::ScratchService(const std::wstring& prefix, bool asDriver) {
    wchar_t suffix[16];
    std::swprintf(suffix, 16, L"%08lX", static_cast<unsigned long>(RandomGuid().Data1));
    m_name = prefix + suffix;
    const std::wstring path = std::wstring(kServicesRoot) + L"\\" + m_name;
    m_created = CreateKey(path);
    if (m_created && asDriver) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
            m_created = false;
            return;
        }
        const DWORD type = 1, start = 3;  // a kernel driver, started on demand
        const wchar_t image[] = L"System32\\drivers\\mountmgr.sys";  // a driver file Wine has
        m_created = RegSetValueExW(key, L"Type", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&type), 4) == 0 &&
                    RegSetValueExW(key, L"Start", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&start), 4) == 0 &&
                    RegSetValueExW(key, L"ImagePath", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(image),
                                   sizeof(image)) == 0;
        RegCloseKey(key);
    }
}

ScratchService::~ScratchService() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kServicesRoot) + L"\\" + m_name).c_str());
}

// ---- Key security ---------------------------------------------------------------------------

const wchar_t KeySecurityGuard::kReadOnly[] = L"D:P(A;;KR;;;WD)";
const wchar_t KeySecurityGuard::kNoAccess[] = L"D:P";

KeySecurityGuard::KeySecurityGuard(const std::wstring& path, const wchar_t* sddl) {
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, READ_CONTROL | WRITE_DAC, &m_key) !=
        ERROR_SUCCESS) {
        m_key = nullptr;
        return;
    }
    DWORD cb = 0;
    RegGetKeySecurity(m_key, DACL_SECURITY_INFORMATION, nullptr, &cb);
    m_original.resize(cb);
    if (!cb || RegGetKeySecurity(m_key, DACL_SECURITY_INFORMATION, m_original.data(), &cb) != ERROR_SUCCESS)
        return;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr))
        return;
    m_applied = RegSetKeySecurity(m_key, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    LocalFree(descriptor);
}

KeySecurityGuard::~KeySecurityGuard() {
    if (!m_key) return;
    if (m_applied) RegSetKeySecurity(m_key, DACL_SECURITY_INFORMATION, m_original.data());
    RegCloseKey(m_key);
}

}  // namespace qx::test::wine
