// Scratch setup classes, devices, service keys and key security for the integration
// tests, made in Wine's real registry and device-setup database and removed again when
// they go out of scope. Everything here talks to the platform directly, never through
// the model, so that a test can check what the model wrote independently of it.
#pragma once
#include <windows.h>
#include <setupapi.h>

#include <memory>
#include <string>
#include <vector>

#include "model/Types.h"

namespace qx::test::wine {

extern const wchar_t kClassRoot[];     // System\CurrentControlSet\Control\Class
extern const wchar_t kServicesRoot[];  // System\CurrentControlSet\Services
extern const wchar_t kEnumRoot[];      // System\CurrentControlSet\Enum

// ---- Plain registry access below HKEY_LOCAL_MACHINE ---------------------------------

struct RegValue {
    DWORD type = 0;
    std::vector<uint8_t> data;
};
bool KeyExists(const std::wstring& path);
// False when the key or the value is missing (or cannot be read).
bool ReadValue(const std::wstring& path, const std::wstring& name, RegValue* value);
// Creates the key when missing; true on success.
bool WriteValue(const std::wstring& path, const std::wstring& name, DWORD type,
                const std::vector<uint8_t>& data);
bool CreateKey(const std::wstring& path);
// Names as the registry enumerates them.
std::vector<std::wstring> ValueNames(const std::wstring& path);
std::vector<std::wstring> SubkeyNames(const std::wstring& path);

// A fresh random GUID, and its text forms.
GUID RandomGuid();
std::wstring UpperGuidText(const GUID& guid);
std::wstring LowerGuidText(const GUID& guid);
Guid ToModelGuid(const GUID& guid);

// ---- Devices ----------------------------------------------------------------------------

// A present device created in the scratch class; removed by the class.
class ScratchDevice {
public:
    ScratchDevice(const GUID& classGuid, const std::wstring& deviceName);
    ~ScratchDevice();
    ScratchDevice(const ScratchDevice&) = delete;
    ScratchDevice& operator=(const ScratchDevice&) = delete;

    bool IsValid() const { return m_registered; }
    const std::wstring& InstanceId() const { return m_instanceId; }

    // Through SetupDiSetDeviceRegistryPropertyW; an empty vector clears the property.
    bool SetProperty(DWORD property, const std::vector<uint8_t>& data);
    // Reads the property through a set of its own. False when the read fails; *error gets
    // the last error (cleared before the call).
    bool ReadProperty(DWORD property, RegValue* value, DWORD* error = nullptr) const;

    // Points SPDRP_DRIVER at "<class GUID>\<subkey>" and creates that key below the class
    // key; returns the key's path (empty on failure).
    std::wstring MakeDriverKey(const std::wstring& subkey);

    // Removes the device (SetupDiRemoveDevice, then its Enum key if still there).
    void Remove();

private:
    GUID m_classGuid;
    HDEVINFO m_set = INVALID_HANDLE_VALUE;
    SP_DEVINFO_DATA m_data{};
    bool m_registered = false;
    std::wstring m_instanceId;
};

// A setup class of our own: a fresh GUID, its key below the class root named in lower
// case, with the description as its default value (none when null). Devices made here
// are removed, and the class key tree deleted, when it goes out of scope.
class ScratchClass {
public:
    explicit ScratchClass(const wchar_t* description = L"Quillex Scratch Class");
    // A class of a given GUID (a real class's, for what only its GUID decides), made only
    // when the machine does not have it: a class already there is never touched.
    ScratchClass(const GUID& guid, const wchar_t* description);
    ~ScratchClass();
    ScratchClass(const ScratchClass&) = delete;
    ScratchClass& operator=(const ScratchClass&) = delete;

    bool IsValid() const { return m_created; }
    const GUID& ClassGuid() const { return m_guid; }
    Guid ModelGuid() const { return ToModelGuid(m_guid); }
    std::wstring UpperGuid() const { return UpperGuidText(m_guid); }
    const std::wstring& KeyPath() const { return m_keyPath; }

    // Null when the device could not be created and registered.
    ScratchDevice* AddDevice();
    const std::vector<std::unique_ptr<ScratchDevice>>& Devices() const { return m_devices; }

private:
    void Create(const wchar_t* description);

    GUID m_guid;
    std::wstring m_keyPath;
    std::wstring m_deviceName;  // one per class, so parallel tests never share an Enum key
    bool m_created = false;
    bool m_ownsKey = false;
    std::vector<std::unique_ptr<ScratchDevice>> m_devices;
};

// ---- Services ---------------------------------------------------------------------------

// A service key of a fresh name below the services root, deleted at the end.
class ScratchService {
public:
    // A bare service key; with asDriver, a demand-start kernel driver whose file exists.
    explicit ScratchService(const std::wstring& prefix = L"QxTestSvc", bool asDriver = false);
    ~ScratchService();
    ScratchService(const ScratchService&) = delete;
    ScratchService& operator=(const ScratchService&) = delete;
    const std::wstring& Name() const { return m_name; }
    bool IsValid() const { return m_created; }

private:
    std::wstring m_name;
    bool m_created = false;
};

// ---- Key security -------------------------------------------------------------------------

// Replaces a key's DACL for the life of the guard, then puts the old one back through the
// handle it kept (so a DACL that denies everything can still be undone). Wine enforces
// key security but does not save it, so this must happen inside the test itself.
class KeySecurityGuard {
public:
    static const wchar_t kReadOnly[];  // everyone may read, nobody may write
    static const wchar_t kNoAccess[];  // an empty DACL: nobody may open the key

    KeySecurityGuard(const std::wstring& path, const wchar_t* sddl);
    ~KeySecurityGuard();
    KeySecurityGuard(const KeySecurityGuard&) = delete;
    KeySecurityGuard& operator=(const KeySecurityGuard&) = delete;
    bool IsApplied() const { return m_applied; }

private:
    HKEY m_key = nullptr;
    std::vector<uint8_t> m_original;
    bool m_applied = false;
};

}  // namespace qx::test::wine
