// Another installation's SYSTEM hive, loaded below HKEY_LOCAL_MACHINE so that the whole
// model runs on it unchanged: OfflineAccess stands between the model and the machine,
// maps "System\CurrentControlSet\..." into the hive's control set and answers the
// device-setup calls from the hive's Enum key; OfflineHive loads the file, installs the
// decorator as Access() and takes both away again.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/DeviceAccess.h"

namespace qx {

// The key below HKEY_LOCAL_MACHINE a hive of process `pid` is loaded under.
std::wstring OfflineKeyName(uint32_t pid);
// The process id a key name of OfflineKeyName's form holds; false for any other name.
bool ParseOfflineKeyName(const std::wstring& name, uint32_t* pid);

// "ControlSet%03u" of the hive's Select\Current, else Select\Default, else ControlSet001;
// only a control set whose key exists in the hive is taken. `root` is the hive's key.
std::wstring ChooseControlSet(IDeviceAccess& access, const std::wstring& root);
// "<Windows>" of a hive path "<Windows>\System32\config\SYSTEM" (any case); empty when
// the hive lies anywhere else.
std::wstring WindowsFolderOfHive(const std::wstring& hivePath);
// The change journal of the installation a hive at its usual place belongs to:
// "<root>\ProgramData\Quillex\changes.jsonl" beside its Windows folder (with the path's
// own separator); empty for a hive anywhere else.
std::wstring OfflineJournalPath(const std::wstring& hivePath);

// The registry of a loaded hive behind the model's interface. Paths below "System" go
// to the hive's key (CurrentControlSet to the chosen control set); any other path, and
// the files, go to the machine underneath.
class OfflineAccess : public IDeviceAccess {
public:
    OfflineAccess(IDeviceAccess& inner, std::wstring root, std::wstring controlSet,
                  std::wstring windowsFolder);
    ~OfflineAccess() override;

    // The path the machine underneath is asked for.
    std::wstring MapPath(const std::wstring& path) const;
    // Closes the key kept open between the reads of one device's properties.
    void ReleaseKeys();

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

    // The class key's default value; else its ClassDesc resolved (IndirectText.h); else
    // its Class value.
    bool GetClassDescription(const Guid& classGuid, wchar_t* buffer, uint32_t cchBuffer) override;
    KeyHandle OpenClassKey(const Guid& classGuid, uint32_t samDesired) override;
    // Every instance key "Enum\<enumerator>\<device>\<instance>" with a ClassGUID, in
    // the order of their instance IDs (without case).
    DevInfoHandle GetAllClassDevs() override;
    // The same walk, keeping the class's instances only.
    DevInfoHandle GetClassDevs(const Guid& classGuid) override;
    bool EnumDeviceInfo(DevInfoHandle set, uint32_t index, DeviceElement* element) override;
    // The instance key's value of the property, a text as ResolveIndirectText shows it;
    // run-time properties are never present.
    long GetDeviceRegistryProperty(DevInfoHandle set, const DeviceElement& element, uint32_t property,
                                   uint32_t* type, uint8_t* buffer, uint32_t cbBuffer,
                                   uint32_t* cbRequired) override;
    // UpperFilters / LowerFilters only: the instance key's REG_MULTI_SZ value, deleted by
    // a null buffer. The key is opened with the backup and restore privileges.
    bool SetDeviceRegistryProperty(DevInfoHandle set, const DeviceElement& element, uint32_t property,
                                   const uint8_t* buffer, uint32_t cbBuffer) override;
    void DestroyDeviceInfoList(DevInfoHandle set) override;
    // A hive has no running devices: never restarts one.
    RestartOutcome RestartDevice(DevInfoHandle set, const DeviceElement& element, long* error) override;
    std::wstring SecurityDescriptorToText(const uint8_t* descriptor, uint32_t cb) override;

    std::wstring GetDeviceInstanceId(const DeviceElement& element) override;
    // A hive has no running devices: never answers.
    bool GetDeviceStatus(const DeviceElement& element, uint32_t* status, uint32_t* problem) override;

    // The hive's own Windows folder; empty when unknown (driver files are then not checked).
    std::wstring GetWindowsFolder() override { return m_windows; }
    bool FileExists(const std::wstring& path) override;
    // %SystemRoot% and %windir% are the Windows folder, %SystemDrive% its drive and
    // %ProgramFiles% "<drive>\Program Files"; any other variable stays as it is (this
    // machine's environment is not the installation's), and all do while the Windows
    // folder is unknown.
    std::wstring ExpandEnvironment(const std::wstring& text) override;
    // A path on C:, the installation's own system drive, lies on its Windows folder's drive.
    std::wstring MapInstallationPath(const std::wstring& path) override;
    bool LoadStringResource(const std::wstring& file, uint32_t id, std::wstring* text) override;

private:
    struct DeviceSet;
    DevInfoHandle TakeSet(const Guid* onlyClass);  // every class's devices when null
    // The hive's UI languages (Control\MUI\UILanguages), then en-US.
    const StringList& Languages();
    std::wstring ShownText(const std::wstring& stored);
    // The text value's bytes as shown when it is indirect; left empty when the value's
    // own bytes serve.
    void ShownTextBytes(KeyHandle key, const wchar_t* name, std::vector<uint8_t>* bytes);
    std::wstring SystemDrive() const;  // "D:" of the Windows folder; empty when unknown
    const std::wstring* InstanceOf(const DeviceElement& element) const;
    long OpenInstanceKey(const DeviceElement& element, uint32_t sam, KeyHandle* key);

    IDeviceAccess& m_inner;
    std::wstring m_root;        // the hive's key below HKEY_LOCAL_MACHINE
    std::wstring m_controlSet;  // "ControlSet001"
    std::wstring m_windows;
    // Every instance ID handed out; an element's devInst is its place here plus one, so
    // that the same device keeps its number across sets.
    std::vector<std::wstring> m_instances;
    std::map<std::wstring, uint32_t> m_instanceNumbers;  // upper-cased ID -> devInst
    std::vector<std::unique_ptr<DeviceSet>> m_sets;
    KeyHandle m_readKey = nullptr;  // the instance key of device m_readKeyInstance
    uint32_t m_readKeyInstance = 0;
    // That device's value of this name as shown, when it is indirect text.
    const wchar_t* m_shownName = nullptr;
    std::vector<uint8_t> m_shown;
    StringList m_languages;
};

// The platform's part: loading and unloading a hive file below HKEY_LOCAL_MACHINE.
class IHiveLoader {
public:
    virtual ~IHiveLoader() = default;
    // Enables the privilege in this process's token; false with the error code when the
    // account does not hold it.
    virtual bool EnablePrivilege(const wchar_t* name, long* error) = 0;
    virtual long LoadHive(const std::wstring& keyName, const std::wstring& file) = 0;
    virtual long UnloadHive(const std::wstring& keyName) = 0;
    // The names of HKEY_LOCAL_MACHINE's subkeys.
    virtual std::vector<std::wstring> RootKeyNames() = 0;
    virtual uint32_t CurrentProcessId() = 0;
    virtual bool ProcessRunning(uint32_t pid) = 0;
    // The full path of a file name, as the user gave it.
    virtual std::wstring FullPath(const std::wstring& path) = 0;
};
IHiveLoader& Win32HiveLoader();

// One loaded hive and the decorator over it. While open, Access() is the decorator and
// every change made through the model is journalled with the hive's path. Close (or the
// destructor) puts back the access it replaced and unloads the hive: callers release
// every record and key of the hive first.
class OfflineHive {
public:
    explicit OfflineHive(IHiveLoader& loader = Win32HiveLoader());
    ~OfflineHive();
    OfflineHive(const OfflineHive&) = delete;
    OfflineHive& operator=(const OfflineHive&) = delete;

    // Loads `path` (a hive open before is closed first). False, with the sentence for the
    // user in *error and nothing left loaded, when it cannot be; when the hive open
    // before cannot be unloaded, that one stays open.
    bool Open(const std::wstring& path, std::wstring* error);
    // Unloads the hive. When the platform refuses (a program holds one of its keys) the
    // hive stays open and loaded, and *error (when given) says so; the next start of
    // Quillex unloads it (UnloadStaleHives) if no later Close does.
    bool Close(std::wstring* error = nullptr);
    bool IsOpen() const { return m_access != nullptr; }

    const std::wstring& Path() const { return m_path; }
    const std::wstring& ControlSet() const { return m_controlSet; }
    // The installation's computer name (its control set's ComputerName key); empty when
    // the hive holds none.
    const std::wstring& ComputerName() const { return m_computerName; }
    // "Offline: <path> (ControlSet001)"; empty while closed.
    std::wstring Title() const;

private:
    IHiveLoader& m_loader;
    std::wstring m_path, m_keyName, m_controlSet, m_computerName;
    std::unique_ptr<OfflineAccess> m_access;
    IDeviceAccess* m_previous = nullptr;
};

// The hive file the model works on now; empty for this machine. Changes are journalled
// with it, and undo takes only its changes.
const std::wstring& CurrentOfflineHive();
// The open hive's computer name; empty for this machine or when unknown.
const std::wstring& CurrentOfflineComputer();

// Where a key the model names ("System\CurrentControlSet\Control\...") lies in the open
// hive file: "ControlSet001\Control\..."; empty when no hive is open.
std::wstring PathInCurrentHive(const std::wstring& path);

// Unloads every hive a run of this program left loaded when its process is gone (a run
// that crashed); returns how many were unloaded.
int UnloadStaleHives(IHiveLoader& loader = Win32HiveLoader());

}  // namespace qx
