// An in-memory machine behind qx::IDeviceAccess, for what Wine's registry and
// device-setup service cannot produce: physical device object names, bus numbers,
// refused writes, devices that vanish, keys deleted under open handles.
//
// The registry is a tree below HKEY_LOCAL_MACHINE with case-insensitive key and value
// names; values and subkeys enumerate in the order they were created (as Windows does;
// Wine sorts them). Device setup classes are the keys below the class root; a class's
// description is its key's default value, as the device-setup service reads it.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/DeviceAccess.h"

namespace qx::test {

constexpr long kErrKeyDeleted = 1018;  // ERROR_KEY_DELETED

// Who may open a key.
enum class KeyAccess {
    Full,      // any open succeeds
    ReadOnly,  // an open that asks for more than KEY_READ is refused
    None,      // every open is refused
};

struct StoredValue {
    std::wstring name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
    uint32_t claimedSize = 0;  // when not 0, the size reported instead of the data's
};

// One device property write, as the model asked for it.
struct PropertyWrite {
    uint32_t devInst;
    uint32_t property;
    bool hasBuffer;
    std::vector<uint8_t> data;
};

// How often the model called in; tests read these to check for leaks and for writes
// that should not have happened.
struct CallCounts {
    int keyOpens = 0;        // successful OpenKey and OpenClassKey
    int keyCloses = 0;       // successful CloseKey
    int valueSets = 0;       // SetValue calls, refused ones included
    int valueDeletes = 0;    // DeleteValue calls, refused ones included
    int classDevs = 0;       // device sets taken (GetAllClassDevs and ClassDevs)
    int oneDeviceSets = 0;   // sets of one device taken (GetOneDevice)
    int setsDestroyed = 0;   // DestroyDeviceInfoList of a live set
    int propertyReads = 0;   // GetDeviceRegistryProperty calls (probes included)
    int propertyWrites = 0;  // SetDeviceRegistryProperty calls, refused ones included
    int badKeyCloses = 0;    // CloseKey of a handle that is not open (a double close)
    int badSetDestroys = 0;  // DestroyDeviceInfoList of a set not live (a double release)
};

class MemoryMachine : public IDeviceAccess {
public:
    MemoryMachine();
    ~MemoryMachine() override;
    MemoryMachine(const MemoryMachine&) = delete;
    MemoryMachine& operator=(const MemoryMachine&) = delete;

    // ---- Building the machine ------------------------------------------------
    // Creates the key (and every missing parent); path below HKEY_LOCAL_MACHINE.
    void CreateKey(const std::wstring& path);
    // Removes the key and its subtree; handles already open on any of them go stale.
    bool DeleteKey(const std::wstring& path);
    void SetKeyAccess(const std::wstring& path, KeyAccess access);
    // Creates the key when missing; replaces a value of the same name in place.
    void PutValue(const std::wstring& path, const std::wstring& name, uint32_t type,
                  std::vector<uint8_t> data);
    void PutString(const std::wstring& path, const std::wstring& name, const std::wstring& text);
    void PutMultiSz(const std::wstring& path, const std::wstring& name, const StringList& list);
    void PutDword(const std::wstring& path, const std::wstring& name, uint32_t value);

    // A setup class: its key below the class root named `keyName` (a GUID text in any
    // case, or anything else), with `description` as the default value unless null.
    // Returns the key's path.
    std::wstring AddClass(const std::wstring& keyName, const wchar_t* description);
    // The same with the key named after the GUID, in upper or lower case.
    std::wstring AddClass(const Guid& classGuid, const wchar_t* description, bool lowerCase = false);
    // The class key's path for the GUID (upper-case name).
    static std::wstring ClassKeyPath(const Guid& classGuid);
    // Makes every request for a device set fail.
    void FailDeviceSets() { m_failDeviceSets = true; }
    // Runs once, at the next SetValue, before the value is set: another writer's turn.
    void BeforeNextValueSet(std::function<void()> run) { m_beforeValueSet = std::move(run); }
    // The present devices of one class, as the platform gives them when asked for one
    // class only; InvalidHandle() on failure.
    DevInfoHandle ClassDevs(const Guid& classGuid);

    // A present device of the class; returns its device instance number. Devices
    // enumerate in the order they were added.
    uint32_t AddDevice(const Guid& classGuid);
    void PutProperty(uint32_t devInst, uint32_t property, uint32_t type, std::vector<uint8_t> data);
    void PutStringProperty(uint32_t devInst, uint32_t property, const std::wstring& text);
    void PutMultiSzProperty(uint32_t devInst, uint32_t property, const StringList& list);
    void PutDwordProperty(uint32_t devInst, uint32_t property, uint32_t value);
    // The value (or property) reports a size of cb bytes, however little data it holds:
    // a damaged or hostile value of absurd size.
    void ClaimSize(const std::wstring& path, const std::wstring& name, uint32_t cb);
    void ClaimPropertySize(uint32_t devInst, uint32_t property, uint32_t cb);
    // The probe reports the size, but the read that follows fails.
    void FailPropertyRead(uint32_t devInst, uint32_t property);
    // Once a property of the device was written (or a write tried), every read of its properties fails.
    void FailPropertyReadsAfterWrite(uint32_t devInst, long error);
    // SetDeviceRegistryProperty fails for the device.
    void RefusePropertyWrites(uint32_t devInst);
    // The device leaves every set: EnumDeviceInfo fails for its index from now on.
    void Vanish(uint32_t devInst);
    // Device nodes: the instance ID (by default "ROOT\QUILLEX\<number>") and the status
    // and problem code (by default 0 and 0); a failing status read.
    void SetInstanceId(uint32_t devInst, const std::wstring& instanceId);
    void SetDeviceStatus(uint32_t devInst, uint32_t status, uint32_t problem);
    void FailDeviceStatus(uint32_t devInst);
    // What restarting the device comes to (by default it restarts), and the error of a failure.
    void SetRestartOutcome(uint32_t devInst, RestartOutcome outcome, long error = kErrSuccess);
    // The devices restarted (or tried), in the order asked.
    const std::vector<uint32_t>& RestartsAsked() const { return m_restartsAsked; }

    // Files: the Windows folder (by default C:\Windows), the files that exist (names
    // compared without case) and the environment that expands %variables%.
    void SetWindowsFolder(const std::wstring& folder) { m_windowsFolder = folder; }
    void AddFile(const std::wstring& path) { m_files.push_back(path); }
    void PutEnvironment(const std::wstring& name, const std::wstring& value);
    // A string of a file's string table (the file itself is added too).
    void PutStringResource(const std::wstring& file, uint32_t id, const std::wstring& text);

    // ---- Reading it back ------------------------------------------------------
    bool KeyExists(const std::wstring& path) const;
    // Null when the key or the value is missing.
    const StoredValue* FindValue(const std::wstring& path, const std::wstring& name) const;
    // Null when the property is not set.
    const std::vector<uint8_t>* FindProperty(uint32_t devInst, uint32_t property) const;
    const std::vector<PropertyWrite>& PropertyWrites() const { return m_propertyWrites; }
    const CallCounts& Calls() const { return m_calls; }
    int OpenKeyCount() const;  // handles not yet closed
    int LiveSetCount() const;  // device sets not yet destroyed

    // ---- qx::IDeviceAccess ------------------------------------------------------
    long OpenKey(const std::wstring& path, uint32_t samDesired, KeyHandle* key) override;
    long EnumKey(KeyHandle key, uint32_t index, wchar_t* name, uint32_t cchName) override;
    long EnumValue(KeyHandle key, uint32_t index, wchar_t* name, uint32_t* cchName,
                   uint32_t* type, uint8_t* data, uint32_t* cbData) override;
    long QueryValue(KeyHandle key, const wchar_t* name, uint32_t* type, uint8_t* data,
                    uint32_t* cbData) override;
    long SetValue(KeyHandle key, const wchar_t* name, uint32_t type, const uint8_t* data,
                  uint32_t cbData) override;
    long DeleteValue(KeyHandle key, const wchar_t* name) override;
    long CloseKey(KeyHandle key) override;

    bool GetClassDescription(const Guid& classGuid, wchar_t* buffer, uint32_t cchBuffer) override;
    KeyHandle OpenClassKey(const Guid& classGuid, uint32_t samDesired) override;
    DevInfoHandle GetAllClassDevs() override;
    DevInfoHandle GetClassDevs(const Guid& classGuid) override { return ClassDevs(classGuid); }
    // The device of that ID (without case) alone, when it is of the class and not vanished.
    DevInfoHandle GetOneDevice(const Guid& classGuid, const std::wstring& instanceId) override;
    bool EnumDeviceInfo(DevInfoHandle set, uint32_t index, DeviceElement* element) override;
    long GetDeviceRegistryProperty(DevInfoHandle set, const DeviceElement& element,
                                   uint32_t property, uint32_t* type, uint8_t* buffer,
                                   uint32_t cbBuffer, uint32_t* cbRequired) override;
    bool SetDeviceRegistryProperty(DevInfoHandle set, const DeviceElement& element,
                                   uint32_t property, const uint8_t* buffer,
                                   uint32_t cbBuffer) override;
    void DestroyDeviceInfoList(DevInfoHandle set) override;
    RestartOutcome RestartDevice(DevInfoHandle set, const DeviceElement& element, long* error) override;
    // "SD:" and the descriptor's bytes in hex: deterministic and easy to predict.
    std::wstring SecurityDescriptorToText(const uint8_t* descriptor, uint32_t cb) override;
    std::wstring GetDeviceInstanceId(const DeviceElement& element) override;
    bool GetDeviceStatus(const DeviceElement& element, uint32_t* status, uint32_t* problem) override;
    std::wstring GetWindowsFolder() override { return m_windowsFolder; }
    bool FileExists(const std::wstring& path) override;
    std::wstring ExpandEnvironment(const std::wstring& text) override;
    std::wstring MapInstallationPath(const std::wstring& path) override { return path; }
    bool LoadStringResource(const std::wstring& file, uint32_t id, std::wstring* text) override;

private:
    struct Node;
    struct Handle;
    struct Device;
    struct DeviceSet;

    Node* Find(const std::wstring& path) const;
    Node* FindClassKey(const Guid& classGuid) const;
    long Open(Node* node, uint32_t samDesired, KeyHandle* key);
    Handle* LiveHandle(KeyHandle key, long* error) const;
    Device* FindDevice(uint32_t devInst) const;
    Device* DeviceOf(DevInfoHandle set, const DeviceElement& element) const;
    DevInfoHandle TakeSet(const Guid* classGuid, const std::wstring* instanceId = nullptr);  // null: every one

    std::shared_ptr<Node> m_root;
    std::map<uintptr_t, std::unique_ptr<Handle>> m_handles;
    uintptr_t m_nextHandle = 0x1000;
    std::vector<std::unique_ptr<Device>> m_devices;
    std::map<uintptr_t, std::unique_ptr<DeviceSet>> m_sets;
    uintptr_t m_nextSet = 0x51000;
    bool m_failDeviceSets = false;
    std::function<void()> m_beforeValueSet;
    std::vector<PropertyWrite> m_propertyWrites;
    std::vector<uint32_t> m_restartsAsked;
    CallCounts m_calls;
    std::wstring m_windowsFolder = L"C:\\Windows";
    std::vector<std::wstring> m_files;
    std::vector<std::pair<std::wstring, std::wstring>> m_environment;
    struct StringResource {
        std::wstring file;
        uint32_t id;
        std::wstring text;
    };
    std::vector<StringResource> m_strings;
};

}  // namespace qx::test
