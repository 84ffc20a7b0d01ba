// The registry on Linux: hive files loaded through hivex under a name, as Windows loads
// a hive below HKEY_LOCAL_MACHINE. It is the machine OfflineHive's decorator sits on, so
// the offline model (control set, device set from Enum, properties, writes) is the one
// the Windows programs use. There is no device-setup service: those calls fail.
#pragma once
#include <map>
#include <memory>
#include <memory_resource>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "linux/HiveFile.h"
#include "model/DeviceAccess.h"
#include "model/OfflineHive.h"

namespace qx {

class HiveRegistry : public IDeviceAccess, public IHiveLoader {
public:
    // The hive loaded under that name; null when none is.
    HiveFile* Loaded(const std::wstring& keyName);

    // IHiveLoader: the file's path is a path of this system (UTF-16 units of UTF-8).
    bool EnablePrivilege(const wchar_t*, long*) override { return true; }
    long LoadHive(const std::wstring& keyName, const std::wstring& file) override;
    long UnloadHive(const std::wstring& keyName) override;
    std::vector<std::wstring> RootKeyNames() override;
    uint32_t CurrentProcessId() override;
    bool ProcessRunning(uint32_t pid) override;
    std::wstring FullPath(const std::wstring& path) override;

    long OpenKey(const std::wstring& path, uint32_t samDesired, KeyHandle* key) override;
    long EnumKey(KeyHandle key, uint32_t index, wchar_t* name, uint32_t cchName) override;
    long EnumValue(KeyHandle key, uint32_t index, wchar_t* name, uint32_t* cchName, uint32_t* type,
                   uint8_t* data, uint32_t* cbData) override;
    long QueryValue(KeyHandle key, const wchar_t* name, uint32_t* type, uint8_t* data,
                    uint32_t* cbData) override;
    long SetValue(KeyHandle key, const wchar_t* name, uint32_t type, const uint8_t* data,
                  uint32_t cbData) override;
    long DeleteValue(KeyHandle key, const wchar_t* name) override;
    long CloseKey(KeyHandle key) override;

    bool GetClassDescription(const Guid&, wchar_t*, uint32_t) override { return false; }
    KeyHandle OpenClassKey(const Guid&, uint32_t) override { return InvalidHandle(); }
    DevInfoHandle GetAllClassDevs() override { return InvalidHandle(); }
    bool EnumDeviceInfo(DevInfoHandle, uint32_t, DeviceElement*) override { return false; }
    long GetDeviceRegistryProperty(DevInfoHandle, const DeviceElement&, uint32_t, uint32_t*, uint8_t*, uint32_t,
                                   uint32_t*) override {
        return kErrInvalidData;
    }
    bool SetDeviceRegistryProperty(DevInfoHandle, const DeviceElement&, uint32_t, const uint8_t*, uint32_t) override {
        return false;
    }
    void DestroyDeviceInfoList(DevInfoHandle) override {}
    RestartOutcome RestartDevice(DevInfoHandle, const DeviceElement&, long* error) override {
        *error = kErrNotSupported;  // no device runs here
        return RestartOutcome::Failed;
    }
    std::wstring SecurityDescriptorToText(const uint8_t*, uint32_t) override { return L""; }
    std::wstring GetDeviceInstanceId(const DeviceElement&) override { return L""; }
    bool GetDeviceStatus(const DeviceElement&, uint32_t*, uint32_t*) override { return false; }

    // No Windows runs here.
    std::wstring GetWindowsFolder() override { return L""; }
    // A path of the installation, matched a component at a time without case; a
    // drive-letter path is taken on the drive of the last loaded hive's Windows folder.
    bool FileExists(const std::wstring& path) override;
    std::wstring ExpandEnvironment(const std::wstring& text) override { return text; }
    // Paths of this system are its own; OfflineAccess maps the installation's drive.
    std::wstring MapInstallationPath(const std::wstring& path) override { return path; }
    // No resource reader here: a class's name then comes from its ClassDesc's text after
    // ';' or its Class value.
    bool LoadStringResource(const std::wstring&, uint32_t, std::wstring*) override { return false; }

private:
    struct OpenedKey {
        HiveFile* hive;
        HiveFile::Node node;
    };
    // The path kept for as long as the hive is loaded.
    std::wstring_view KeepPath(const std::wstring& path);

    std::map<std::wstring, std::unique_ptr<HiveFile>> m_hives;  // by upper-cased name
    // Keys opened before, by their path as given (kept in the arena): the model opens a
    // key by its path each time it reads it. Keys are never added or removed here, so a
    // handle is its entry, and closing one frees nothing.
    std::pmr::monotonic_buffer_resource m_arena;
    std::pmr::unordered_map<std::wstring_view, OpenedKey> m_opened{&m_arena};
    std::wstring m_windows;
};

// The registry of this process (Win32Access() on Linux).
HiveRegistry& Registry();

// The path on this system of a Windows-style path, each component matched without case
// (an NTFS volume mounted on Linux is case-sensitive); empty when some component is not
// there. `path` may use '\' or '/'. With `partial`, the components from the first
// missing one on are kept as given (a path to create).
std::string FindPathNoCase(const std::wstring& path, bool partial = false);

}  // namespace qx
