#include "model/OfflineHive.h"

#include <algorithm>
#include <cstring>

#include "model/Bytes.h"
#include "model/DeviceProperties.h"
#include "model/IndirectText.h"
#include "model/JournalFile.h"
#include "model/TextForms.h"

namespace qx {
namespace {

constexpr wchar_t kKeyPrefix[] = L"Quillex Offline ";
constexpr wchar_t kSystem[] = L"System";
constexpr wchar_t kCurrentControlSet[] = L"CurrentControlSet";
constexpr uint32_t kKeySetValue = 0x0002;

// The rest of `path` after the key `head` (without case): "" for the key itself, "\x"
// below it; false when the path is not at or below it.
bool After(const std::wstring& path, const std::wstring& head, std::wstring* rest) {
    if (path.size() < head.size() || UpperCase(path.substr(0, head.size())) != UpperCase(head)) return false;
    if (path.size() > head.size() && path[head.size()] != L'\\') return false;
    *rest = path.substr(head.size());
    return true;
}

// A key of the machine underneath, closed on every path.
class InnerKey {
public:
    InnerKey(IDeviceAccess& access, const std::wstring& path, uint32_t sam) : m_access(access) {
        m_error = access.OpenKey(path, sam, &m_key);
        if (m_error != kErrSuccess) m_key = nullptr;
    }
    ~InnerKey() {
        if (m_key) m_access.CloseKey(m_key);
    }
    InnerKey(const InnerKey&) = delete;
    InnerKey& operator=(const InnerKey&) = delete;
    KeyHandle Get() const { return m_key; }
    long Error() const { return m_error; }
    std::vector<std::wstring> Subkeys() const {
        std::vector<std::wstring> names;
        wchar_t name[512];
        for (uint32_t i = 0; m_key && m_access.EnumKey(m_key, i, name, 512) == kErrSuccess; ++i) names.push_back(name);
        return names;
    }

private:
    IDeviceAccess& m_access;
    KeyHandle m_key = nullptr;
    long m_error = kErrSuccess;
};

// An instance key's ClassGUID as ReadTextValue reads it, parsed.
bool ReadClassGuid(IDeviceAccess& access, KeyHandle key, Guid* guid) {
    // Nearly every one fits a small buffer, read without a copy.
    uint8_t data[128];
    uint32_t cb = sizeof(data), type = kRegNone;
    const long error = access.QueryValue(key, L"ClassGUID", &type, data, &cb);
    if (error == kErrMoreData) return ParseGuid(ReadTextValue(access, key, L"ClassGUID"), guid);
    if (error != kErrSuccess || (type != kRegSz && type != kRegExpandSz)) return false;
    wchar_t text[sizeof(data) / 2];
    size_t length = 0;
    for (; 2 * length + 1 < cb && ReadLe16(data + 2 * length) != 0; ++length)
        text[length] = static_cast<wchar_t>(ReadLe16(data + 2 * length));
    return ParseGuid(std::wstring_view(text, length), guid);
}

// The instance key's value that holds a property offline, or nullptr.
const wchar_t* PropertyValueName(uint32_t property) {
    const DeviceProperty* row = FindDeviceProperty(property);
    return row ? row->offlineName : nullptr;
}

const std::wstring* g_currentHive = nullptr;
const std::wstring* g_currentControlSet = nullptr;
const std::wstring* g_currentComputer = nullptr;

}  // namespace

std::wstring OfflineKeyName(uint32_t pid) { return kKeyPrefix + std::to_wstring(pid); }

bool ParseOfflineKeyName(const std::wstring& name, uint32_t* pid) {
    const size_t prefix = std::wcslen(kKeyPrefix);
    if (name.size() <= prefix || name.size() > prefix + 10 || UpperCase(name.substr(0, prefix)) != UpperCase(kKeyPrefix))
        return false;
    uint64_t value = 0;
    for (size_t i = prefix; i < name.size(); ++i) {
        if (name[i] < L'0' || name[i] > L'9') return false;
        value = value * 10 + static_cast<uint32_t>(name[i] - L'0');
    }
    if (value > 0xFFFFFFFFu) return false;
    *pid = static_cast<uint32_t>(value);
    return true;
}

std::wstring ChooseControlSet(IDeviceAccess& access, const std::wstring& root) {
    auto exists = [&](const std::wstring& name) {
        InnerKey key(access, root + L'\\' + name, kKeyRead);
        return key.Get() != nullptr;
    };
    InnerKey select(access, root + L"\\Select", kKeyRead);
    for (const wchar_t* entry : {L"Current", L"Default"}) {
        uint32_t number = 0;
        if (!select.Get() || !ReadDwordValue(access, select.Get(), entry, &number) || number == 0 || number > 999) continue;
        wchar_t name[32];
        std::swprintf(name, 32, L"ControlSet%03u", number);
        if (exists(name)) return name;
    }
    return exists(L"ControlSet001") ? L"ControlSet001" : L"";
}

std::wstring WindowsFolderOfHive(const std::wstring& hivePath) {
    const std::wstring tail = L"\\SYSTEM32\\CONFIG\\SYSTEM";
    std::wstring upper = UpperCase(hivePath);
    for (wchar_t& c : upper)
        if (c == L'/') c = L'\\';
    if (upper.size() <= tail.size() || upper.compare(upper.size() - tail.size(), tail.size(), tail) != 0) return L"";
    return hivePath.substr(0, hivePath.size() - tail.size());
}

std::wstring OfflineJournalPath(const std::wstring& hivePath) {
    const std::wstring windows = WindowsFolderOfHive(hivePath);
    const size_t slash = windows.find_last_of(L"\\/");
    if (windows.empty() || slash == std::wstring::npos) return L"";
    const wchar_t separator = windows[slash];
    return windows.substr(0, slash + 1) + L"ProgramData" + separator + L"Quillex" + separator + L"changes.jsonl";
}

// ---- OfflineAccess ---------------------------------------------------------------------

struct OfflineAccess::DeviceSet {
    std::vector<DeviceElement> elements;
};

OfflineAccess::OfflineAccess(IDeviceAccess& inner, std::wstring root, std::wstring controlSet,
                             std::wstring windowsFolder)
    : m_inner(inner), m_root(std::move(root)), m_controlSet(std::move(controlSet)), m_windows(std::move(windowsFolder)) {}

OfflineAccess::~OfflineAccess() { ReleaseKeys(); }

void OfflineAccess::ReleaseKeys() {
    if (m_readKey) m_inner.CloseKey(m_readKey);
    m_readKey = nullptr;
    m_readKeyInstance = 0;
    m_shownName = nullptr;
}

std::wstring OfflineAccess::MapPath(const std::wstring& path) const {
    std::wstring rest;
    if (After(path, std::wstring(kSystem) + L'\\' + kCurrentControlSet, &rest)) return m_root + L'\\' + m_controlSet + rest;
    if (After(path, kSystem, &rest)) return m_root + rest;
    return path;
}

long OfflineAccess::OpenKey(const std::wstring& path, uint32_t sam, KeyHandle* key) {
    return m_inner.OpenKey(MapPath(path), sam, key);
}
long OfflineAccess::EnumKey(KeyHandle key, uint32_t index, wchar_t* name, uint32_t cchName) {
    return m_inner.EnumKey(key, index, name, cchName);
}
long OfflineAccess::EnumValue(KeyHandle key, uint32_t index, wchar_t* name, uint32_t* cchName, uint32_t* type,
                              uint8_t* data, uint32_t* cbData) {
    return m_inner.EnumValue(key, index, name, cchName, type, data, cbData);
}
long OfflineAccess::QueryValue(KeyHandle key, const wchar_t* name, uint32_t* type, uint8_t* data, uint32_t* cbData) {
    return m_inner.QueryValue(key, name, type, data, cbData);
}
long OfflineAccess::SetValue(KeyHandle key, const wchar_t* name, uint32_t type, const uint8_t* data, uint32_t cbData) {
    return m_inner.SetValue(key, name, type, data, cbData);
}
long OfflineAccess::DeleteValue(KeyHandle key, const wchar_t* name) { return m_inner.DeleteValue(key, name); }
long OfflineAccess::CloseKey(KeyHandle key) { return m_inner.CloseKey(key); }

const StringList& OfflineAccess::Languages() {
    if (m_languages.empty()) {
        InnerKey key(m_inner, MapPath(L"System\\CurrentControlSet\\Control\\MUI\\UILanguages"), kKeyRead);
        m_languages = key.Subkeys();
        m_languages.push_back(L"en-US");
    }
    return m_languages;
}

std::wstring OfflineAccess::ShownText(const std::wstring& stored) {
    std::wstring text;
    return ResolveIndirectText(*this, stored, Languages(), &text) ? text : stored;
}

bool OfflineAccess::GetClassDescription(const Guid& classGuid, wchar_t* buffer, uint32_t cchBuffer) {
    InnerKey key(m_inner, MapPath(std::wstring(kClassRootPath) + L'\\' + GuidText(classGuid)), kKeyRead);
    if (!key.Get() || !buffer || cchBuffer == 0) return false;
    // Since Windows 8 a class key has no default value: its name is in ClassDesc, else
    // in Class when ClassDesc cannot be resolved here.
    std::wstring text = ReadTextValue(m_inner, key.Get(), L"");
    if (text.empty() && !ResolveIndirectText(*this, ReadTextValue(m_inner, key.Get(), L"ClassDesc"), Languages(), &text))
        text.clear();
    if (text.empty()) text = ReadTextValue(m_inner, key.Get(), L"Class");
    if (text.empty() || text.size() >= cchBuffer) return false;
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = L'\0';
    return true;
}

KeyHandle OfflineAccess::OpenClassKey(const Guid& classGuid, uint32_t sam) {
    KeyHandle key = nullptr;
    if (OpenKey(std::wstring(kClassRootPath) + L'\\' + GuidText(classGuid), sam, &key) != kErrSuccess) return InvalidHandle();
    return key;
}

DevInfoHandle OfflineAccess::GetAllClassDevs() { return TakeSet(nullptr); }

DevInfoHandle OfflineAccess::GetClassDevs(const Guid& classGuid) { return TakeSet(&classGuid); }

DevInfoHandle OfflineAccess::TakeSet(const Guid* onlyClass) {
    // One path for the whole walk, cut back and grown as it goes: no key's path is built
    // from its pieces again.
    std::wstring path = m_root + L'\\' + m_controlSet + L"\\Enum";
    const size_t idStart = path.size() + 1;
    std::vector<std::pair<std::wstring, Guid>> found;  // instance ID, class
    // A hive without an Enum key has classes without devices.
    InnerKey root(m_inner, path, kKeyRead);
    wchar_t instance[512];
    for (const std::wstring& enumerator : root.Subkeys()) {
        path.resize(idStart - 1);
        (path += L'\\') += enumerator;
        const size_t enumeratorEnd = path.size();
        InnerKey enumeratorKey(m_inner, path, kKeyRead);
        for (const std::wstring& device : enumeratorKey.Subkeys()) {
            path.resize(enumeratorEnd);
            (path += L'\\') += device;
            const size_t deviceEnd = path.size();
            InnerKey deviceKey(m_inner, path, kKeyRead);
            for (uint32_t i = 0; deviceKey.Get() && m_inner.EnumKey(deviceKey.Get(), i, instance, 512) == kErrSuccess;
                 ++i) {
                path.resize(deviceEnd);
                (path += L'\\') += instance;
                InnerKey instanceKey(m_inner, path, kKeyRead);
                Guid guid;
                if (instanceKey.Get() && ReadClassGuid(m_inner, instanceKey.Get(), &guid) &&
                    (!onlyClass || guid == *onlyClass))
                    found.emplace_back(path.substr(idStart), guid);
            }
        }
    }
    std::vector<std::pair<std::wstring, size_t>> order;  // upper-cased ID, place in found
    order.reserve(found.size());
    for (size_t i = 0; i < found.size(); ++i) order.emplace_back(UpperCase(found[i].first), i);
    std::sort(order.begin(), order.end());  // equal IDs keep their order by place
    auto set = std::make_unique<DeviceSet>();
    set->elements.reserve(order.size());
    for (auto& entry : order) {
        auto& device = found[entry.second];
        auto known = m_instanceNumbers.lower_bound(entry.first);
        if (known == m_instanceNumbers.end() || known->first != entry.first) {
            m_instances.push_back(std::move(device.first));
            known = m_instanceNumbers.emplace_hint(known, std::move(entry.first), static_cast<uint32_t>(m_instances.size()));
        }
        DeviceElement element;
        element.classGuid = device.second;
        element.devInst = known->second;
        set->elements.push_back(element);
    }
    m_sets.push_back(std::move(set));
    return m_sets.back().get();
}

bool OfflineAccess::EnumDeviceInfo(DevInfoHandle handle, uint32_t index, DeviceElement* element) {
    for (const auto& set : m_sets) {
        if (set.get() != handle) continue;
        if (index >= set->elements.size()) return false;
        *element = set->elements[index];
        return true;
    }
    return false;
}

RestartOutcome OfflineAccess::RestartDevice(DevInfoHandle, const DeviceElement&, long* error) {
    *error = kErrNotSupported;
    return RestartOutcome::Failed;
}

void OfflineAccess::DestroyDeviceInfoList(DevInfoHandle handle) {
    ReleaseKeys();
    m_sets.erase(std::remove_if(m_sets.begin(), m_sets.end(), [&](const auto& set) { return set.get() == handle; }),
                 m_sets.end());
}

const std::wstring* OfflineAccess::InstanceOf(const DeviceElement& element) const {
    if (element.devInst == 0 || element.devInst > m_instances.size()) return nullptr;
    return &m_instances[element.devInst - 1];
}

long OfflineAccess::OpenInstanceKey(const DeviceElement& element, uint32_t sam, KeyHandle* key) {
    const std::wstring* id = InstanceOf(element);
    if (!id) return kErrInvalidParameter;
    std::wstring path;
    path.reserve(m_root.size() + m_controlSet.size() + id->size() + 7);
    ((((path += m_root) += L'\\') += m_controlSet) += L"\\Enum\\") += *id;
    return sam == kKeyRead ? m_inner.OpenKey(path, sam, key) : m_inner.OpenKeyToRestore(path, sam, key);
}

long OfflineAccess::GetDeviceRegistryProperty(DevInfoHandle, const DeviceElement& element, uint32_t property,
                                              uint32_t* type, uint8_t* buffer, uint32_t cbBuffer,
                                              uint32_t* cbRequired) {
    const wchar_t* name = PropertyValueName(property);
    if (!name) return kErrInvalidData;
    // A device's properties are read one after another: its key stays open between them.
    if (!m_readKey || m_readKeyInstance != element.devInst) {
        ReleaseKeys();
        KeyHandle opened = nullptr;
        long error = OpenInstanceKey(element, kKeyRead, &opened);
        if (error != kErrSuccess) return error == kErrFileNotFound ? kErrInvalidData : error;
        m_readKey = opened;
        m_readKeyInstance = element.devInst;
    }
    KeyHandle key = m_readKey;
    // A probe reads into a buffer of its own: what it reads says whether the text is
    // indirect.
    uint8_t probe[256];
    uint8_t* into = buffer ? buffer : probe;
    uint32_t cb = buffer ? cbBuffer : sizeof(probe), valueType = kRegNone;
    long error = m_inner.QueryValue(key, name, &valueType, into, &cb);
    static const std::vector<uint8_t> kOwnBytes;
    const std::vector<uint8_t>* shown = &kOwnBytes;
    // (The type is not reported with kErrMoreData everywhere: ShownTextBytes reads it.)
    if (error == kErrMoreData ||
        (error == kErrSuccess && valueType == kRegSz && cb >= 2 && ReadLe16(into) == L'@')) {
        // A probe and the read after it ask for the same text: it is resolved once.
        if (m_shownName != name) {
            m_shown.clear();
            ShownTextBytes(key, name, &m_shown);
            m_shownName = name;
        }
        shown = &m_shown;
    }
    const std::vector<uint8_t>& text = *shown;
    if (type) *type = text.empty() ? valueType : kRegSz;
    if (!text.empty()) {
        // The text as shown, in place of the value's own bytes.
        if (cbRequired) *cbRequired = static_cast<uint32_t>(text.size());
        if (!buffer || cbBuffer < text.size()) return kErrInsufficientBuffer;
        std::copy(text.begin(), text.end(), buffer);
        return kErrSuccess;
    }
    if (cbRequired) *cbRequired = cb;
    // As the device setup answers: a probe is always too small, even for an empty value
    // (which is present), and a value that does not exist is "invalid data".
    if (error == kErrSuccess && !buffer) return kErrInsufficientBuffer;
    if (error == kErrMoreData) return kErrInsufficientBuffer;
    if (error == kErrFileNotFound) return kErrInvalidData;
    return error;
}

bool OfflineAccess::SetDeviceRegistryProperty(DevInfoHandle, const DeviceElement& element, uint32_t property,
                                              const uint8_t* buffer, uint32_t cbBuffer) {
    if (property != spdrp::UpperFilters && property != spdrp::LowerFilters) return false;
    ReleaseKeys();
    KeyHandle key = nullptr;
    if (OpenInstanceKey(element, kKeyRead | kKeySetValue, &key) != kErrSuccess) return false;
    const wchar_t* name = PropertyValueName(property);
    long error = buffer && cbBuffer ? m_inner.SetValue(key, name, kRegMultiSz, buffer, cbBuffer)
                                    : m_inner.DeleteValue(key, name);
    m_inner.CloseKey(key);
    return error == kErrSuccess || (!buffer && error == kErrFileNotFound);
}

std::wstring OfflineAccess::SecurityDescriptorToText(const uint8_t* descriptor, uint32_t cb) {
    return m_inner.SecurityDescriptorToText(descriptor, cb);
}

std::wstring OfflineAccess::GetDeviceInstanceId(const DeviceElement& element) {
    const std::wstring* id = InstanceOf(element);
    return id ? *id : std::wstring();
}

bool OfflineAccess::GetDeviceStatus(const DeviceElement&, uint32_t*, uint32_t*) { return false; }

void OfflineAccess::ShownTextBytes(KeyHandle key, const wchar_t* name, std::vector<uint8_t>* bytes) {
    uint32_t type = kRegNone;
    const std::wstring stored = ReadTextValue(m_inner, key, name, &type);
    if (type != kRegSz || stored.empty() || stored[0] != L'@') return;  // the value's own bytes serve
    const std::wstring shown = ShownText(stored);
    bytes->clear();
    for (wchar_t c : shown) {
        bytes->push_back(static_cast<uint8_t>(c & 0xFF));
        bytes->push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    }
    bytes->insert(bytes->end(), {0, 0});
}

bool OfflineAccess::FileExists(const std::wstring& path) { return m_inner.FileExists(path); }

std::wstring OfflineAccess::SystemDrive() const {
    return m_windows.size() >= 2 && m_windows[1] == L':' ? m_windows.substr(0, 2) : L"";
}

// Only the variables the installation's own folders give; this machine's environment
// is another installation's.
std::wstring OfflineAccess::ExpandEnvironment(const std::wstring& text) {
    const std::wstring drive = SystemDrive();
    const std::pair<const wchar_t*, std::wstring> known[] = {
        {L"%SYSTEMROOT%", m_windows}, {L"%WINDIR%", m_windows}, {L"%SYSTEMDRIVE%", drive},
        {L"%PROGRAMFILES%", drive.empty() ? std::wstring() : drive + L"\\Program Files"}};
    std::wstring out = text;
    for (const auto& variable : known) {
        if (variable.second.empty()) continue;
        const std::wstring name = variable.first;
        for (size_t at = UpperCase(out).find(name); at != std::wstring::npos;
             at = UpperCase(out).find(name, at + variable.second.size()))
            out.replace(at, name.size(), variable.second);
    }
    return out;
}

// The installation sees its own system drive as C: (its SystemDrive is not in the hive).
std::wstring OfflineAccess::MapInstallationPath(const std::wstring& path) {
    const std::wstring drive = SystemDrive();
    if (drive.empty() || path.size() < 2 || path[1] != L':' || UpperCase(path.substr(0, 2)) != L"C:") return path;
    return drive + path.substr(2);
}

bool OfflineAccess::LoadStringResource(const std::wstring& file, uint32_t id, std::wstring* text) {
    return m_inner.LoadStringResource(file, id, text);
}

// ---- OfflineHive -----------------------------------------------------------------------

OfflineHive::OfflineHive(IHiveLoader& loader) : m_loader(loader) {}

OfflineHive::~OfflineHive() { Close(); }

bool OfflineHive::Open(const std::wstring& path, std::wstring* error) {
    if (!Close(error)) return false;
    const std::wstring fullPath = m_loader.FullPath(path);
    for (const wchar_t* privilege : {L"SeBackupPrivilege", L"SeRestorePrivilege"}) {
        long code = 0;
        if (!m_loader.EnablePrivilege(privilege, &code)) {
            *error = L"Unable to open the offline hive " + fullPath + L": the " + privilege +
                     L" privilege could not be enabled (" + ErrorText(code) +
                     L"). Run Quillex as an administrator.";
            return false;
        }
    }
    const std::wstring keyName = OfflineKeyName(m_loader.CurrentProcessId());
    long code = m_loader.LoadHive(keyName, fullPath);
    if (code != kErrSuccess) {
        // Wine leaves the key of a file it could not read, which would refuse the next load.
        m_loader.UnloadHive(keyName);
        const long kPrivilegeNotHeld = 1314;
        *error = L"Unable to load " + fullPath + L" as a registry hive: " + ErrorText(code);
        if (code == kPrivilegeNotHeld) *error += L" (loading a hive needs the SeRestorePrivilege privilege)";
        return false;
    }
    std::wstring controlSet = ChooseControlSet(Access(), keyName);
    if (controlSet.empty()) {
        m_loader.UnloadHive(keyName);
        *error = fullPath + L" is not a SYSTEM hive: it holds no control set (no ControlSet001, and no "
                            L"Select entry that names one).";
        return false;
    }
    m_path = fullPath;
    m_keyName = keyName;
    m_controlSet = controlSet;
    {
        InnerKey computer(Access(), keyName + L'\\' + controlSet + L"\\Control\\ComputerName\\ComputerName", kKeyRead);
        m_computerName = computer.Get() ? ReadTextValue(Access(), computer.Get(), L"ComputerName") : L"";
    }
    m_access = std::make_unique<OfflineAccess>(Access(), keyName, controlSet, WindowsFolderOfHive(fullPath));
    m_previous = SetAccess(m_access.get());
    g_currentHive = &m_path;
    g_currentControlSet = &m_controlSet;
    g_currentComputer = &m_computerName;
    return true;
}

bool OfflineHive::Close(std::wstring* error) {
    if (!m_access) return true;
    m_access->ReleaseKeys();  // no key of the hive may stay open
    long code = m_loader.UnloadHive(m_keyName);
    if (code != kErrSuccess) {
        if (error)
            *error = L"The offline hive " + m_path + L" could not be unloaded from HKEY_LOCAL_MACHINE\\" + m_keyName +
                     L": " + ErrorText(code) +
                     L". A program may hold one of its keys open (a registry editor, an antivirus): close it. "
                     L"The hive stays loaded; Quillex unloads it when it next starts.";
        return false;
    }
    if (g_currentHive == &m_path) {
        g_currentHive = nullptr;
        g_currentControlSet = nullptr;
        g_currentComputer = nullptr;
    }
    SetAccess(m_previous);
    m_access.reset();
    m_previous = nullptr;
    m_path.clear();
    m_keyName.clear();
    m_controlSet.clear();
    m_computerName.clear();
    return true;
}

std::wstring OfflineHive::Title() const {
    if (!IsOpen()) return L"";
    return L"Offline: " + m_path + L" (" + m_controlSet + L")";
}

const std::wstring& CurrentOfflineHive() {
    static const std::wstring none;
    return g_currentHive ? *g_currentHive : none;
}

const std::wstring& CurrentOfflineComputer() {
    static const std::wstring none;
    return g_currentHive && g_currentComputer ? *g_currentComputer : none;
}

std::wstring PathInCurrentHive(const std::wstring& path) {
    if (!g_currentHive || !g_currentControlSet) return L"";
    std::wstring rest;
    if (After(path, std::wstring(kSystem) + L'\\' + kCurrentControlSet, &rest)) return *g_currentControlSet + rest;
    if (After(path, kSystem, &rest)) return rest.empty() ? rest : rest.substr(1);
    return L"";
}

int UnloadStaleHives(IHiveLoader& loader) {
    int unloaded = 0;
    const uint32_t self = loader.CurrentProcessId();
    for (const std::wstring& name : loader.RootKeyNames()) {
        uint32_t pid = 0;
        if (!ParseOfflineKeyName(name, &pid) || pid == self || loader.ProcessRunning(pid)) continue;
        long ignored = 0;
        loader.EnablePrivilege(L"SeRestorePrivilege", &ignored);
        if (loader.UnloadHive(name) == kErrSuccess) ++unloaded;
    }
    return unloaded;
}

}  // namespace qx
