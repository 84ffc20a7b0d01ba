// The real machine: the registry and SetupAPI. The only model code that calls the
// platform. The window part of the platform headers is kept out (NOUSER, NOGDI), so
// the few SetupAPI entry points used are declared here rather than taken from
// setupapi.h, which needs the window headers.
#define NOUSER
#define NOGDI
#include <windows.h>
#include <sddl.h>

#include <cwchar>

#include "model/Bytes.h"
#include "model/DeviceAccess.h"

namespace {

struct DevInfoData {  // SP_DEVINFO_DATA
    DWORD cbSize;
    GUID ClassGuid;
    DWORD DevInst;
    ULONG_PTR Reserved;
};

// The property change that restarts a device (SP_CLASSINSTALL_HEADER, SP_PROPCHANGE_PARAMS,
// SP_DEVINSTALL_PARAMS_W): every member is naturally aligned, so the platform's packing
// gives the same layout.
struct ClassInstallHeader {
    DWORD cbSize;
    UINT InstallFunction;
};
struct PropChangeParams {
    ClassInstallHeader ClassInstallHeader;
    DWORD StateChange;
    DWORD Scope;
    DWORD HwProfile;
};
struct DevInstallParamsW {
    DWORD cbSize;
    DWORD Flags;
    DWORD FlagsEx;
    void* hwndParent;
    void* InstallMsgHandler;
    void* InstallMsgHandlerContext;
    void* FileQueue;
    ULONG_PTR ClassInstallReserved;
    DWORD Reserved;
    WCHAR DriverPath[MAX_PATH];
};

constexpr UINT kDifPropertyChange = 0x12;
constexpr DWORD kDicsPropChange = 3;
constexpr DWORD kDicsFlagConfigSpecific = 2;  // the current hardware profile
constexpr DWORD kDiNeedRestart = 0x80;
constexpr DWORD kDiNeedReboot = 0x100;

constexpr DWORD kDigcfPresent = 0x2;
constexpr DWORD kDigcfAllClasses = 0x4;
constexpr DWORD kDigcfProfile = 0x8;

}  // namespace

extern "C" {
__declspec(dllimport) BOOL WINAPI SetupDiGetClassDescriptionW(const GUID*, PWSTR, DWORD, PDWORD);
__declspec(dllimport) HKEY WINAPI SetupDiOpenClassRegKey(const GUID*, REGSAM);
__declspec(dllimport) HANDLE WINAPI SetupDiGetClassDevsW(const GUID*, PCWSTR, HANDLE, DWORD);
__declspec(dllimport) HANDLE WINAPI SetupDiCreateDeviceInfoList(const GUID*, void*);
__declspec(dllimport) BOOL WINAPI SetupDiOpenDeviceInfoW(HANDLE, PCWSTR, void*, DWORD, DevInfoData*);
__declspec(dllimport) BOOL WINAPI SetupDiEnumDeviceInfo(HANDLE, DWORD, DevInfoData*);
__declspec(dllimport) BOOL WINAPI SetupDiGetDeviceRegistryPropertyW(HANDLE, DevInfoData*, DWORD,
                                                                    PDWORD, PBYTE, DWORD, PDWORD);
__declspec(dllimport) BOOL WINAPI SetupDiSetDeviceRegistryPropertyW(HANDLE, DevInfoData*, DWORD,
                                                                    const BYTE*, DWORD);
__declspec(dllimport) BOOL WINAPI SetupDiDestroyDeviceInfoList(HANDLE);
__declspec(dllimport) BOOL WINAPI SetupDiSetClassInstallParamsW(HANDLE, DevInfoData*, ClassInstallHeader*, DWORD);
__declspec(dllimport) BOOL WINAPI SetupDiCallClassInstaller(UINT, HANDLE, DevInfoData*);
__declspec(dllimport) BOOL WINAPI SetupDiGetDeviceInstallParamsW(HANDLE, DevInfoData*, DevInstallParamsW*);
// The configuration manager (cfgmgr32), as in Windows 2000.
__declspec(dllimport) DWORD WINAPI CM_Get_Device_ID_Size(PULONG, DWORD, ULONG);
__declspec(dllimport) DWORD WINAPI CM_Get_Device_IDW(DWORD, PWSTR, ULONG, ULONG);
__declspec(dllimport) DWORD WINAPI CM_Get_DevNode_Status(PULONG, PULONG, DWORD, ULONG);
}

namespace qx {
namespace {

// The model's GUID as the platform's; the other way is ReadGuid over the GUID's bytes.
GUID ToGuid(const Guid& g) {
    GUID out;
    out.Data1 = g.Data1;
    out.Data2 = g.Data2;
    out.Data3 = g.Data3;
    for (int i = 0; i < 8; ++i) out.Data4[i] = g.Data4[i];
    return out;
}

DevInfoData ToDevInfo(const DeviceElement& e) {
    DevInfoData data{};
    data.cbSize = sizeof(DevInfoData);
    data.ClassGuid = ToGuid(e.classGuid);
    data.DevInst = e.devInst;
    data.Reserved = e.reserved;
    return data;
}

// The conversion follows the offsets inside a self-relative descriptor, so before it
// runs, every part they name must lie within the data the device handed us.
bool SelfRelativeFits(const uint8_t* sd, uint32_t cb) {
    const uint32_t kHeader = 20;
    if (!sd || cb < kHeader || !(ReadLe16(sd + 2) & SE_SELF_RELATIVE)) return false;
    for (uint32_t field = 4; field < kHeader; field += 4) {
        uint32_t offset = ReadLe32(sd + field);
        if (offset == 0) continue;
        if (offset < kHeader || offset > cb || cb - offset < 8) return false;
        bool isSid = field < 12;  // owner and group are SIDs, then the SACL and DACL
        uint32_t size = isSid ? 8u + 4u * sd[offset + 1] : uint32_t{ReadLe16(sd + offset + 2)};
        if (size > cb - offset) return false;
    }
    return true;
}

HKEY Key(KeyHandle key) { return static_cast<HKEY>(key); }

// A file mapped as data only: none of its code runs, and it need not suit this machine.
class DataFile {
public:
    explicit DataFile(const std::wstring& path) : m_module(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~DataFile() {
        if (m_module) FreeLibrary(m_module);
    }
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;
    HMODULE Get() const { return m_module; }

private:
    HMODULE m_module;
};

// String `id` of the file's string table: blocks of 16 strings (block id / 16 + 1), each
// string its length followed by that many UTF-16 units; an empty string is no string.
bool LoadStringFromFile(const std::wstring& path, uint32_t id, std::wstring* text) {
    if (id / 16 + 1 > 0xFFFF) return false;
    DataFile file(path);
    if (!file.Get()) return false;
    // MAKEINTRESOURCEW is among the window headers this file keeps out; 6 is RT_STRING.
    auto intResource = [](ULONG_PTR n) { return reinterpret_cast<LPCWSTR>(n); };
    HRSRC block = FindResourceW(file.Get(), intResource(id / 16 + 1), intResource(6));
    HGLOBAL loaded = block ? LoadResource(file.Get(), block) : nullptr;
    const uint8_t* data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    if (!data) return false;
    const size_t cb = SizeofResource(file.Get(), block);
    size_t at = 0;
    for (uint32_t index = 0; index < 16 && at + 2 <= cb; ++index) {
        const size_t cch = ReadLe16(data + at);
        at += 2;
        if (cch * 2 > cb - at) return false;
        if (index == id % 16) {
            if (cch == 0) return false;
            text->assign(cch, L'\0');
            for (size_t i = 0; i < cch; ++i) (*text)[i] = static_cast<wchar_t>(ReadLe16(data + at + 2 * i));
            return true;
        }
        at += cch * 2;
    }
    return false;
}

class Win32DeviceAccess : public IDeviceAccess {
public:
    long OpenKey(const std::wstring& path, uint32_t sam, KeyHandle* key) override {
        HKEY hKey = nullptr;
        LONG error = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, sam, &hKey);
        *key = error == ERROR_SUCCESS ? hKey : nullptr;
        return error;
    }
    long OpenKeyToRestore(const std::wstring& path, uint32_t sam, KeyHandle* key) override {
        // Only RegCreateKeyExW takes REG_OPTION_BACKUP_RESTORE; a key it had to create
        // is taken away again, since only an existing key is asked for.
        HKEY hKey = nullptr;
        DWORD disposition = 0;
        LONG error = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_BACKUP_RESTORE, sam,
                                     nullptr, &hKey, &disposition);
        if (error == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY) {
            RegCloseKey(hKey);
            RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str());
            hKey = nullptr;
            error = ERROR_FILE_NOT_FOUND;
        }
        *key = error == ERROR_SUCCESS ? hKey : nullptr;
        return error;
    }
    long EnumKey(KeyHandle key, uint32_t index, wchar_t* name, uint32_t cchName) override {
        return RegEnumKeyW(Key(key), index, name, cchName);
    }
    long EnumValue(KeyHandle key, uint32_t index, wchar_t* name, uint32_t* cchName,
                   uint32_t* type, uint8_t* data, uint32_t* cbData) override {
        DWORD cch = *cchName, cb = *cbData, dwType = 0;
        LONG error = RegEnumValueW(Key(key), index, name, &cch, nullptr, &dwType, data, &cb);
        *cchName = cch;
        *cbData = cb;
        *type = dwType;
        return error;
    }
    long QueryValue(KeyHandle key, const wchar_t* name, uint32_t* type, uint8_t* data,
                    uint32_t* cbData) override {
        DWORD cb = *cbData, dwType = 0;
        LONG error = RegQueryValueExW(Key(key), name, nullptr, &dwType, data, &cb);
        *cbData = cb;
        if (type) *type = dwType;
        return error;
    }
    long SetValue(KeyHandle key, const wchar_t* name, uint32_t type, const uint8_t* data,
                  uint32_t cbData) override {
        return RegSetValueExW(Key(key), name, 0, type, data, cbData);
    }
    long DeleteValue(KeyHandle key, const wchar_t* name) override {
        return RegDeleteValueW(Key(key), name);
    }
    long CloseKey(KeyHandle key) override { return RegCloseKey(Key(key)); }

    bool GetClassDescription(const Guid& classGuid, wchar_t* buffer, uint32_t cch) override {
        GUID guid = ToGuid(classGuid);
        return SetupDiGetClassDescriptionW(&guid, buffer, cch, nullptr) != FALSE;
    }
    KeyHandle OpenClassKey(const Guid& classGuid, uint32_t sam) override {
        GUID guid = ToGuid(classGuid);
        HKEY key = SetupDiOpenClassRegKey(&guid, sam);
        return key ? static_cast<KeyHandle>(key) : InvalidHandle();
    }
    DevInfoHandle GetAllClassDevs() override {
        // The profile flag as when each class was asked for on its own, so that the set
        // holds exactly the devices those sets held together.
        HANDLE set = SetupDiGetClassDevsW(nullptr, nullptr, nullptr,
                                          kDigcfAllClasses | kDigcfPresent | kDigcfProfile);
        return set ? set : InvalidHandle();
    }
    DevInfoHandle GetClassDevs(const Guid& classGuid) override {
        GUID guid = ToGuid(classGuid);
        HANDLE set = SetupDiGetClassDevsW(&guid, nullptr, nullptr, kDigcfPresent | kDigcfProfile);
        return set ? set : InvalidHandle();
    }
    DevInfoHandle GetOneDevice(const Guid& classGuid, const std::wstring& instanceId) override {
        GUID guid = ToGuid(classGuid);
        HANDLE set = SetupDiCreateDeviceInfoList(&guid, nullptr);
        if (!set || set == INVALID_HANDLE_VALUE) return InvalidHandle();
        // A set of a class opens no device of another class. The open finds a device
        // that is not present too (one with no node in the device tree, whose status
        // cannot be read), which the class's set leaves out: so must we.
        DevInfoData data{};
        data.cbSize = sizeof(data);
        ULONG status = 0, problem = 0;
        if (SetupDiOpenDeviceInfoW(set, instanceId.c_str(), nullptr, 0, &data) &&
            CM_Get_DevNode_Status(&status, &problem, data.DevInst, 0) == 0)
            return set;
        SetupDiDestroyDeviceInfoList(set);
        return InvalidHandle();
    }
    bool EnumDeviceInfo(DevInfoHandle set, uint32_t index, DeviceElement* element) override {
        DevInfoData data{};
        data.cbSize = sizeof(data);
        if (!SetupDiEnumDeviceInfo(set, index, &data)) return false;
        element->classGuid = ReadGuid(reinterpret_cast<const uint8_t*>(&data.ClassGuid));
        element->devInst = data.DevInst;
        element->reserved = data.Reserved;
        return true;
    }
    long GetDeviceRegistryProperty(DevInfoHandle set, const DeviceElement& element,
                                   uint32_t property, uint32_t* type, uint8_t* buffer,
                                   uint32_t cbBuffer, uint32_t* cbRequired) override {
        DevInfoData data = ToDevInfo(element);
        DWORD dwType = 0, required = 0;
        // Wine fails some properties without setting the last error: never let an
        // earlier error (say ERROR_INSUFFICIENT_BUFFER) speak for this call.
        SetLastError(ERROR_SUCCESS);
        BOOL ok = SetupDiGetDeviceRegistryPropertyW(set, &data, property, &dwType, buffer,
                                                    cbBuffer, &required);
        long error = ok ? ERROR_SUCCESS : static_cast<long>(GetLastError());
        if (!ok && error == ERROR_SUCCESS) error = ERROR_INVALID_DATA;
        if (type) *type = dwType;
        if (cbRequired) *cbRequired = required;
        return error;
    }
    bool SetDeviceRegistryProperty(DevInfoHandle set, const DeviceElement& element,
                                   uint32_t property, const uint8_t* buffer,
                                   uint32_t cbBuffer) override {
        DevInfoData data = ToDevInfo(element);
        return SetupDiSetDeviceRegistryPropertyW(set, &data, property, buffer, cbBuffer) != FALSE;
    }
    void DestroyDeviceInfoList(DevInfoHandle set) override {
        if (set && set != InvalidHandle()) SetupDiDestroyDeviceInfoList(set);
    }
    RestartOutcome RestartDevice(DevInfoHandle set, const DeviceElement& element, long* error) override {
        DevInfoData data = ToDevInfo(element);
        PropChangeParams params{};
        params.ClassInstallHeader.cbSize = sizeof(ClassInstallHeader);
        params.ClassInstallHeader.InstallFunction = kDifPropertyChange;
        params.StateChange = kDicsPropChange;
        params.Scope = kDicsFlagConfigSpecific;
        params.HwProfile = 0;  // the current one
        // Wine's device setup refuses the parameters without setting an error: an error
        // left by an earlier call must not speak for it.
        SetLastError(ERROR_SUCCESS);
        bool ok = SetupDiSetClassInstallParamsW(set, &data, &params.ClassInstallHeader, sizeof(params)) &&
                  SetupDiCallClassInstaller(kDifPropertyChange, set, &data);
        if (!ok) {
            *error = static_cast<long>(GetLastError());
            if (*error == ERROR_SUCCESS) *error = ERROR_NOT_SUPPORTED;
            SetupDiSetClassInstallParamsW(set, &data, nullptr, 0);
            return RestartOutcome::Failed;
        }
        *error = ERROR_SUCCESS;
        // The request stays with the element in the shared set: take it away again.
        SetupDiSetClassInstallParamsW(set, &data, nullptr, 0);
        DevInstallParamsW install{};
        install.cbSize = sizeof(install);
        if (SetupDiGetDeviceInstallParamsW(set, &data, &install) &&
            (install.Flags & (kDiNeedRestart | kDiNeedReboot)))
            return RestartOutcome::NeedsReboot;
        return RestartOutcome::Restarted;
    }
    std::wstring SecurityDescriptorToText(const uint8_t* descriptor, uint32_t cb) override {
        if (!SelfRelativeFits(descriptor, cb)) return L"";
        if (!IsValidSecurityDescriptor(const_cast<uint8_t*>(descriptor))) return L"";
        const SECURITY_INFORMATION all = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                         DACL_SECURITY_INFORMATION | SACL_SECURITY_INFORMATION;
        LPWSTR text = nullptr;
        if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(
                const_cast<uint8_t*>(descriptor), SDDL_REVISION_1, all, &text, nullptr))
            return L"";
        std::wstring result = text;
        LocalFree(text);
        return result;
    }

    std::wstring GetDeviceInstanceId(const DeviceElement& element) override {
        const DWORD kCrSuccess = 0;
        ULONG cch = 0;
        if (CM_Get_Device_ID_Size(&cch, element.devInst, 0) != kCrSuccess || cch == 0) return L"";
        std::wstring id(cch + 1, L'\0');  // the size leaves out the terminating NUL
        if (CM_Get_Device_IDW(element.devInst, &id[0], cch + 1, 0) != kCrSuccess) return L"";
        id.resize(wcsnlen(id.c_str(), id.size()));
        return id;
    }
    bool GetDeviceStatus(const DeviceElement& element, uint32_t* status, uint32_t* problem) override {
        ULONG ulStatus = 0, ulProblem = 0;
        if (CM_Get_DevNode_Status(&ulStatus, &ulProblem, element.devInst, 0) != 0) return false;
        *status = ulStatus;
        *problem = ulProblem;
        return true;
    }

    std::wstring GetWindowsFolder() override {
        wchar_t folder[MAX_PATH + 1] = {};
        UINT cch = GetSystemWindowsDirectoryW(folder, MAX_PATH);
        if (cch == 0 || cch > MAX_PATH) return L"";
        std::wstring text(folder, cch);
        while (text.size() > 3 && text.back() == L'\\') text.pop_back();
        return text;
    }
    bool FileExists(const std::wstring& path) override {
        DWORD attributes = GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    std::wstring ExpandEnvironment(const std::wstring& text) override {
        DWORD cch = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
        if (cch == 0) return text;
        std::wstring expanded(cch, L'\0');
        DWORD written = ExpandEnvironmentStringsW(text.c_str(), &expanded[0], cch);
        if (written == 0 || written > cch) return text;
        expanded.resize(written - 1);
        return expanded;
    }
    std::wstring MapInstallationPath(const std::wstring& path) override { return path; }
    bool LoadStringResource(const std::wstring& file, uint32_t id, std::wstring* text) override {
        return LoadStringFromFile(file, id, text);
    }
};

}  // namespace

std::wstring AnsiText(const uint8_t* data, size_t cb) {
    size_t length = 0;
    while (data && length < cb && data[length] != 0) ++length;
    if (length == 0) return L"";
    int cch = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(data),
                                  static_cast<int>(length), nullptr, 0);
    std::wstring text(cch > 0 ? cch : 0, L'\0');
    if (cch > 0)
        MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(data),
                            static_cast<int>(length), &text[0], cch);
    return text;
}

IDeviceAccess& Win32Access() {
    static Win32DeviceAccess machine;
    return machine;
}

}  // namespace qx
