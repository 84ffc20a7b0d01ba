#include "tests/support/MemoryMachine.h"

#include <unordered_set>

#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "model/TextForms.h"

namespace qx::test {

namespace {

const wchar_t kClassRoot[] = L"System\\CurrentControlSet\\Control\\Class";

// Access rights the registry checks per operation.
constexpr uint32_t kKeyQueryValue = 0x0001;
constexpr uint32_t kKeySetValue = 0x0002;
constexpr uint32_t kKeyEnumerateSubKeys = 0x0008;

wchar_t Fold(wchar_t c) {
    return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i])) return false;
    return true;
}

// Splits a registry path at backslashes; false for an empty component.
bool SplitPath(const std::wstring& path, std::vector<std::wstring>* parts) {
    parts->clear();
    if (path.empty()) return true;
    size_t start = 0;
    for (;;) {
        size_t end = path.find(L'\\', start);
        std::wstring part = path.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (part.empty()) return false;
        parts->push_back(part);
        if (end == std::wstring::npos) return true;
        start = end + 1;
    }
}

std::vector<uint8_t> Utf16(const std::wstring& text, bool terminate) {
    std::vector<uint8_t> bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    }
    if (terminate) bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

std::vector<uint8_t> MultiSz(const StringList& list) {
    std::vector<uint8_t> bytes;
    for (const auto& entry : list) {
        auto part = Utf16(entry, true);
        bytes.insert(bytes.end(), part.begin(), part.end());
    }
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

std::vector<uint8_t> Dword(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
}

// The type the device-setup service stores a written property with.
uint32_t PropertyType(uint32_t property) {
    switch (property) {
    case spdrp::HardwareId:
    case spdrp::CompatibleIds:
    case spdrp::UpperFilters:
    case spdrp::LowerFilters:
        return kRegMultiSz;
    case spdrp::ConfigFlags:
    case spdrp::Capabilities:
    case spdrp::UiNumber:
    case spdrp::LegacyBusType:
    case spdrp::BusNumber:
    case spdrp::DevType:
    case spdrp::Exclusive:
    case spdrp::Characteristics:
    case spdrp::Address:
        return kRegDword;
    case spdrp::BusTypeGuid:
    case spdrp::Security:
        return kRegBinary;
    default:
        return kRegSz;
    }
}

}  // namespace

struct MemoryMachine::Node {
    std::wstring name;
    std::vector<StoredValue> values;             // in creation order
    std::vector<std::shared_ptr<Node>> children;  // in creation order
    KeyAccess access = KeyAccess::Full;
    bool deleted = false;

    Node* Child(const std::wstring& childName) const {
        for (const auto& child : children)
            if (SameName(child->name, childName)) return child.get();
        return nullptr;
    }
    StoredValue* Value(const std::wstring& valueName) {
        for (auto& value : values)
            if (SameName(value.name, valueName)) return &value;
        return nullptr;
    }
    void MarkDeleted() {
        deleted = true;
        for (auto& child : children) child->MarkDeleted();
    }
};

struct MemoryMachine::Handle {
    std::shared_ptr<Node> node;  // kept alive while open, even once deleted
    uint32_t sam;
};

struct MemoryMachine::Device {
    uint32_t devInst;
    Guid classGuid;
    std::map<uint32_t, StoredValue> properties;  // name unused
    std::vector<uint32_t> failingReads;
    bool refuseWrites = false;
    long readErrorAfterWrite = kErrSuccess;
    bool writeTried = false;
    bool written = false;
    bool vanished = false;
    std::wstring instanceId;
    uint32_t status = 0;
    uint32_t problem = 0;
    bool statusFails = false;
    RestartOutcome restart = RestartOutcome::Restarted;
    long restartError = kErrSuccess;
};

struct MemoryMachine::DeviceSet {
    std::vector<uint32_t> devInsts;  // the devices present when the set was taken
    std::unordered_set<uint32_t> members;  // the same, for look-ups
    bool destroyed = false;
};

MemoryMachine::MemoryMachine() : m_root(std::make_shared<Node>()) {
    CreateKey(kClassRoot);
}

MemoryMachine::~MemoryMachine() = default;

// ---- Building ---------------------------------------------------------------

MemoryMachine::Node* MemoryMachine::Find(const std::wstring& path) const {
    std::vector<std::wstring> parts;
    if (!SplitPath(path, &parts)) return nullptr;
    Node* node = m_root.get();
    for (const auto& part : parts) {
        node = node->Child(part);
        if (!node) return nullptr;
    }
    return node;
}

void MemoryMachine::CreateKey(const std::wstring& path) {
    std::vector<std::wstring> parts;
    SplitPath(path, &parts);
    Node* node = m_root.get();
    for (const auto& part : parts) {
        Node* child = node->Child(part);
        if (!child) {
            node->children.push_back(std::make_shared<Node>());
            child = node->children.back().get();
            child->name = part;
        }
        node = child;
    }
}

bool MemoryMachine::DeleteKey(const std::wstring& path) {
    std::vector<std::wstring> parts;
    if (!SplitPath(path, &parts) || parts.empty()) return false;
    std::wstring leaf = parts.back();
    parts.pop_back();
    Node* parent = m_root.get();
    for (const auto& part : parts) {
        parent = parent->Child(part);
        if (!parent) return false;
    }
    auto& siblings = parent->children;
    for (auto it = siblings.begin(); it != siblings.end(); ++it) {
        if (SameName((*it)->name, leaf)) {
            (*it)->MarkDeleted();
            siblings.erase(it);
            return true;
        }
    }
    return false;
}

void MemoryMachine::SetKeyAccess(const std::wstring& path, KeyAccess access) {
    CreateKey(path);
    Find(path)->access = access;
}

void MemoryMachine::PutValue(const std::wstring& path, const std::wstring& name, uint32_t type,
                             std::vector<uint8_t> data) {
    CreateKey(path);
    Node* node = Find(path);
    if (StoredValue* value = node->Value(name)) {
        value->type = type;
        value->data = std::move(data);
    } else {
        node->values.push_back({name, type, std::move(data)});
    }
}

void MemoryMachine::PutString(const std::wstring& path, const std::wstring& name,
                              const std::wstring& text) {
    PutValue(path, name, kRegSz, Utf16(text, true));
}

void MemoryMachine::PutMultiSz(const std::wstring& path, const std::wstring& name,
                               const StringList& list) {
    PutValue(path, name, kRegMultiSz, MultiSz(list));
}

void MemoryMachine::PutDword(const std::wstring& path, const std::wstring& name, uint32_t value) {
    PutValue(path, name, kRegDword, Dword(value));
}

std::wstring MemoryMachine::AddClass(const std::wstring& keyName, const wchar_t* description) {
    std::wstring path = std::wstring(kClassRoot) + L"\\" + keyName;
    CreateKey(path);
    if (description) PutString(path, L"", description);
    return path;
}

std::wstring MemoryMachine::AddClass(const Guid& classGuid, const wchar_t* description, bool lowerCase) {
    std::wstring name = qx::GuidText(classGuid);
    if (lowerCase)
        for (auto& c : name) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return AddClass(name, description);
}

std::wstring MemoryMachine::ClassKeyPath(const Guid& classGuid) {
    return std::wstring(kClassRoot) + L"\\" + qx::GuidText(classGuid);
}

uint32_t MemoryMachine::AddDevice(const Guid& classGuid) {
    auto device = std::make_unique<Device>();
    device->devInst = static_cast<uint32_t>(m_devices.size() + 1);
    device->classGuid = classGuid;
    device->instanceId = L"ROOT\\QUILLEX\\" + std::to_wstring(device->devInst);
    m_devices.push_back(std::move(device));
    return m_devices.back()->devInst;
}

MemoryMachine::Device* MemoryMachine::FindDevice(uint32_t devInst) const {
    // Instance numbers are handed out in order from 1, so the number is the place.
    if (devInst == 0 || devInst > m_devices.size()) return nullptr;
    return m_devices[devInst - 1].get();
}

void MemoryMachine::PutProperty(uint32_t devInst, uint32_t property, uint32_t type,
                                std::vector<uint8_t> data) {
    if (Device* device = FindDevice(devInst)) device->properties[property] = {L"", type, std::move(data)};
}

void MemoryMachine::PutStringProperty(uint32_t devInst, uint32_t property, const std::wstring& text) {
    PutProperty(devInst, property, kRegSz, Utf16(text, true));
}

void MemoryMachine::PutMultiSzProperty(uint32_t devInst, uint32_t property, const StringList& list) {
    PutProperty(devInst, property, kRegMultiSz, MultiSz(list));
}

void MemoryMachine::PutDwordProperty(uint32_t devInst, uint32_t property, uint32_t value) {
    PutProperty(devInst, property, kRegDword, Dword(value));
}

void MemoryMachine::FailPropertyRead(uint32_t devInst, uint32_t property) {
    if (Device* device = FindDevice(devInst)) device->failingReads.push_back(property);
}

void MemoryMachine::FailPropertyReadsAfterWrite(uint32_t devInst, long error) {
    if (Device* device = FindDevice(devInst)) device->readErrorAfterWrite = error;
}

void MemoryMachine::RefusePropertyWrites(uint32_t devInst) {
    if (Device* device = FindDevice(devInst)) device->refuseWrites = true;
}

void MemoryMachine::Vanish(uint32_t devInst) {
    if (Device* device = FindDevice(devInst)) device->vanished = true;
}

// ---- Reading back -------------------------------------------------------------

void MemoryMachine::ClaimSize(const std::wstring& path, const std::wstring& name, uint32_t cb) {
    Node* node = Find(path);
    if (!node) return;
    for (StoredValue& value : node->values)
        if (_wcsicmp(value.name.c_str(), name.c_str()) == 0) value.claimedSize = cb;
}

void MemoryMachine::ClaimPropertySize(uint32_t devInst, uint32_t property, uint32_t cb) {
    if (Device* device = FindDevice(devInst)) {
        auto it = device->properties.find(property);
        if (it != device->properties.end()) it->second.claimedSize = cb;
    }
}

bool MemoryMachine::KeyExists(const std::wstring& path) const {
    return Find(path) != nullptr;
}

const StoredValue* MemoryMachine::FindValue(const std::wstring& path, const std::wstring& name) const {
    Node* node = Find(path);
    return node ? node->Value(name) : nullptr;
}

const std::vector<uint8_t>* MemoryMachine::FindProperty(uint32_t devInst, uint32_t property) const {
    Device* device = FindDevice(devInst);
    if (!device) return nullptr;
    auto it = device->properties.find(property);
    return it == device->properties.end() ? nullptr : &it->second.data;
}

int MemoryMachine::OpenKeyCount() const {
    return static_cast<int>(m_handles.size());
}

int MemoryMachine::LiveSetCount() const {
    int live = 0;
    for (const auto& entry : m_sets)
        if (!entry.second->destroyed) ++live;
    return live;
}

// ---- Registry ------------------------------------------------------------------

long MemoryMachine::Open(Node* node, uint32_t samDesired, KeyHandle* key) {
    if (!key) return kErrInvalidParameter;
    if (!node) return kErrFileNotFound;
    if (node->access == KeyAccess::None) return kErrAccessDenied;
    if (node->access == KeyAccess::ReadOnly && (samDesired & ~kKeyRead) != 0) return kErrAccessDenied;

    // Keep the node alive through the handle: find the owning pointer.
    std::shared_ptr<Node> owner;
    if (node == m_root.get()) {
        owner = m_root;
    } else {
        std::vector<Node*> stack{m_root.get()};
        while (!stack.empty() && !owner) {
            Node* at = stack.back();
            stack.pop_back();
            for (const auto& child : at->children) {
                if (child.get() == node) {
                    owner = child;
                    break;
                }
                stack.push_back(child.get());
            }
        }
    }
    uintptr_t id = m_nextHandle;
    m_nextHandle += 4;
    m_handles[id] = std::make_unique<Handle>(Handle{owner, samDesired});
    *key = reinterpret_cast<KeyHandle>(id);
    ++m_calls.keyOpens;
    return kErrSuccess;
}

long MemoryMachine::OpenKey(const std::wstring& path, uint32_t samDesired, KeyHandle* key) {
    return Open(Find(path), samDesired, key);
}

MemoryMachine::Handle* MemoryMachine::LiveHandle(KeyHandle key, long* error) const {
    auto it = m_handles.find(reinterpret_cast<uintptr_t>(key));
    if (it == m_handles.end()) {
        *error = kErrInvalidHandle;
        return nullptr;
    }
    if (it->second->node->deleted) {
        *error = kErrKeyDeleted;
        return nullptr;
    }
    *error = kErrSuccess;
    return it->second.get();
}

long MemoryMachine::EnumKey(KeyHandle key, uint32_t index, wchar_t* name, uint32_t cchName) {
    long error;
    Handle* handle = LiveHandle(key, &error);
    if (!handle) return error;
    if (!(handle->sam & kKeyEnumerateSubKeys)) return kErrAccessDenied;
    const auto& children = handle->node->children;
    if (index >= children.size()) return kErrNoMoreItems;
    const std::wstring& childName = children[index]->name;
    if (!name || childName.size() + 1 > cchName) return kErrMoreData;
    std::copy(childName.begin(), childName.end(), name);
    name[childName.size()] = L'\0';
    return kErrSuccess;
}

long MemoryMachine::EnumValue(KeyHandle key, uint32_t index, wchar_t* name, uint32_t* cchName,
                              uint32_t* type, uint8_t* data, uint32_t* cbData) {
    long error;
    Handle* handle = LiveHandle(key, &error);
    if (!handle) return error;
    if (!(handle->sam & kKeyQueryValue)) return kErrAccessDenied;
    if (!name || !cchName) return kErrInvalidParameter;
    const auto& values = handle->node->values;
    if (index >= values.size()) return kErrNoMoreItems;
    const StoredValue& value = values[index];
    if (value.name.size() + 1 > *cchName) return kErrMoreData;
    const uint32_t size = value.claimedSize ? value.claimedSize : static_cast<uint32_t>(value.data.size());
    if (data) {
        if (!cbData) return kErrInvalidParameter;
        if (size > *cbData) {
            *cbData = size;
            return kErrMoreData;
        }
        std::copy(value.data.begin(), value.data.end(), data);
    }
    std::copy(value.name.begin(), value.name.end(), name);
    name[value.name.size()] = L'\0';
    *cchName = static_cast<uint32_t>(value.name.size());
    if (cbData) *cbData = size;
    if (type) *type = value.type;
    return kErrSuccess;
}

long MemoryMachine::QueryValue(KeyHandle key, const wchar_t* name, uint32_t* type, uint8_t* data,
                               uint32_t* cbData) {
    long error;
    Handle* handle = LiveHandle(key, &error);
    if (!handle) return error;
    if (!(handle->sam & kKeyQueryValue)) return kErrAccessDenied;
    const StoredValue* value = handle->node->Value(name ? name : L"");
    if (!value) return kErrFileNotFound;
    const uint32_t size = value->claimedSize ? value->claimedSize : static_cast<uint32_t>(value->data.size());
    if (data) {
        if (!cbData) return kErrInvalidParameter;
        if (size > *cbData) {
            *cbData = size;
            return kErrMoreData;
        }
        std::copy(value->data.begin(), value->data.end(), data);
    }
    if (cbData) *cbData = size;
    if (type) *type = value->type;
    return kErrSuccess;
}

long MemoryMachine::SetValue(KeyHandle key, const wchar_t* name, uint32_t type, const uint8_t* data,
                             uint32_t cbData) {
    if (m_beforeValueSet) {
        auto run = std::move(m_beforeValueSet);
        m_beforeValueSet = nullptr;
        run();
    }
    ++m_calls.valueSets;
    long error;
    Handle* handle = LiveHandle(key, &error);
    if (!handle) return error;
    if (!(handle->sam & kKeySetValue)) return kErrAccessDenied;
    if (!data && cbData) return kErrInvalidParameter;
    std::vector<uint8_t> bytes(data, data + cbData);
    std::wstring valueName = name ? name : L"";
    if (StoredValue* value = handle->node->Value(valueName)) {
        value->type = type;
        value->data = std::move(bytes);
    } else {
        handle->node->values.push_back({valueName, type, std::move(bytes)});
    }
    return kErrSuccess;
}

long MemoryMachine::DeleteValue(KeyHandle key, const wchar_t* name) {
    ++m_calls.valueDeletes;
    long error;
    Handle* handle = LiveHandle(key, &error);
    if (!handle) return error;
    if (!(handle->sam & kKeySetValue)) return kErrAccessDenied;
    auto& values = handle->node->values;
    std::wstring valueName = name ? name : L"";
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (SameName(it->name, valueName)) {
            values.erase(it);
            return kErrSuccess;
        }
    }
    return kErrFileNotFound;
}

long MemoryMachine::CloseKey(KeyHandle key) {
    auto it = m_handles.find(reinterpret_cast<uintptr_t>(key));
    if (it == m_handles.end()) {
        ++m_calls.badKeyCloses;
        return kErrInvalidHandle;
    }
    m_handles.erase(it);
    ++m_calls.keyCloses;
    return kErrSuccess;
}

// ---- Device setup ----------------------------------------------------------------

MemoryMachine::Node* MemoryMachine::FindClassKey(const Guid& classGuid) const {
    Node* root = Find(kClassRoot);
    return root ? root->Child(qx::GuidText(classGuid)) : nullptr;
}

bool MemoryMachine::GetClassDescription(const Guid& classGuid, wchar_t* buffer, uint32_t cchBuffer) {
    Node* node = FindClassKey(classGuid);
    if (!node || node->access == KeyAccess::None || !buffer) return false;
    const StoredValue* value = node->Value(L"");
    if (!value || (value->type != kRegSz && value->type != kRegExpandSz)) return false;
    std::wstring text;
    for (size_t i = 0; i + 1 < value->data.size(); i += 2) {
        wchar_t c = static_cast<wchar_t>(value->data[i] | (value->data[i + 1] << 8));
        if (c == L'\0') break;
        text += c;
    }
    if (text.size() + 1 > cchBuffer) return false;
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = L'\0';
    return true;
}

KeyHandle MemoryMachine::OpenClassKey(const Guid& classGuid, uint32_t samDesired) {
    KeyHandle key = nullptr;
    if (Open(FindClassKey(classGuid), samDesired, &key) != kErrSuccess) return InvalidHandle();
    return key;
}

DevInfoHandle MemoryMachine::GetAllClassDevs() { return TakeSet(nullptr); }

DevInfoHandle MemoryMachine::ClassDevs(const Guid& classGuid) { return TakeSet(&classGuid); }

DevInfoHandle MemoryMachine::GetOneDevice(const Guid& classGuid, const std::wstring& instanceId) {
    return TakeSet(&classGuid, &instanceId);
}

DevInfoHandle MemoryMachine::TakeSet(const Guid* classGuid, const std::wstring* instanceId) {
    if (m_failDeviceSets) return InvalidHandle();
    auto set = std::make_unique<DeviceSet>();
    for (const auto& device : m_devices)
        if ((!classGuid || device->classGuid == *classGuid) && !device->vanished &&
            (!instanceId || _wcsicmp(device->instanceId.c_str(), instanceId->c_str()) == 0)) {
            set->devInsts.push_back(device->devInst);
            set->members.insert(device->devInst);
        }
    uintptr_t id = m_nextSet;
    m_nextSet += 4;
    m_sets[id] = std::move(set);
    ++(instanceId ? m_calls.oneDeviceSets : m_calls.classDevs);
    return reinterpret_cast<DevInfoHandle>(id);
}

bool MemoryMachine::EnumDeviceInfo(DevInfoHandle set, uint32_t index, DeviceElement* element) {
    auto it = m_sets.find(reinterpret_cast<uintptr_t>(set));
    if (it == m_sets.end() || it->second->destroyed || !element) return false;
    const DeviceSet& devices = *it->second;
    if (index >= devices.devInsts.size()) return false;
    Device* device = FindDevice(devices.devInsts[index]);
    if (!device || device->vanished) return false;
    element->classGuid = device->classGuid;
    element->devInst = device->devInst;
    element->reserved = it->first;
    return true;
}

MemoryMachine::Device* MemoryMachine::DeviceOf(DevInfoHandle set, const DeviceElement& element) const {
    auto it = m_sets.find(reinterpret_cast<uintptr_t>(set));
    if (it == m_sets.end() || it->second->destroyed) return nullptr;
    if (!it->second->members.count(element.devInst)) return nullptr;
    Device* device = FindDevice(element.devInst);
    return device && !device->vanished ? device : nullptr;
}

long MemoryMachine::GetDeviceRegistryProperty(DevInfoHandle set, const DeviceElement& element,
                                              uint32_t property, uint32_t* type, uint8_t* buffer,
                                              uint32_t cbBuffer, uint32_t* cbRequired) {
    ++m_calls.propertyReads;
    Device* device = DeviceOf(set, element);
    if (!device) return kErrInvalidParameter;
    if (device->writeTried && device->readErrorAfterWrite != kErrSuccess) return device->readErrorAfterWrite;
    auto it = device->properties.find(property);
    if (it == device->properties.end()) return kErrInvalidData;
    const StoredValue& value = it->second;
    const uint32_t size = value.claimedSize ? value.claimedSize : static_cast<uint32_t>(value.data.size());
    if (cbRequired) *cbRequired = size;
    if (type) *type = value.type;
    // Like the service: no buffer is always too small, even for empty data.
    if (!buffer || cbBuffer < size) return kErrInsufficientBuffer;
    if (std::find(device->failingReads.begin(), device->failingReads.end(), property) !=
        device->failingReads.end())
        return kErrInvalidData;
    std::copy(value.data.begin(), value.data.end(), buffer);
    if (type) *type = value.type;
    return kErrSuccess;
}

bool MemoryMachine::SetDeviceRegistryProperty(DevInfoHandle set, const DeviceElement& element,
                                              uint32_t property, const uint8_t* buffer,
                                              uint32_t cbBuffer) {
    ++m_calls.propertyWrites;
    Device* device = DeviceOf(set, element);
    if (device) device->writeTried = true;
    if (!device || device->refuseWrites) return false;
    if (!buffer && cbBuffer) return false;
    m_propertyWrites.push_back({device->devInst, property, buffer != nullptr,
                                std::vector<uint8_t>(buffer, buffer + cbBuffer)});
    device->written = true;
    if (!buffer)
        device->properties.erase(property);
    else
        device->properties[property] = {L"", PropertyType(property),
                                        std::vector<uint8_t>(buffer, buffer + cbBuffer)};
    return true;
}

RestartOutcome MemoryMachine::RestartDevice(DevInfoHandle set, const DeviceElement& element, long* error) {
    m_restartsAsked.push_back(element.devInst);
    Device* device = DeviceOf(set, element);
    if (!device) {
        *error = kErrNoSuchDevInst;
        return RestartOutcome::Failed;
    }
    *error = device->restart == RestartOutcome::Failed ? device->restartError : kErrSuccess;
    return device->restart;
}

void MemoryMachine::DestroyDeviceInfoList(DevInfoHandle set) {
    auto it = m_sets.find(reinterpret_cast<uintptr_t>(set));
    if (it == m_sets.end() || it->second->destroyed) {
        ++m_calls.badSetDestroys;
        return;
    }
    it->second->destroyed = true;
    ++m_calls.setsDestroyed;
}

std::wstring MemoryMachine::SecurityDescriptorToText(const uint8_t* descriptor, uint32_t cb) {
    if (!descriptor || cb == 0) return std::wstring();
    static const wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring text = L"SD:";
    for (uint32_t i = 0; i < cb; ++i) {
        text += kDigits[descriptor[i] >> 4];
        text += kDigits[descriptor[i] & 0xF];
    }
    return text;
}

// ---- Device nodes and files ----------------------------------------------------

void MemoryMachine::SetInstanceId(uint32_t devInst, const std::wstring& instanceId) {
    if (Device* device = FindDevice(devInst)) device->instanceId = instanceId;
}

void MemoryMachine::SetDeviceStatus(uint32_t devInst, uint32_t status, uint32_t problem) {
    if (Device* device = FindDevice(devInst)) {
        device->status = status;
        device->problem = problem;
    }
}

void MemoryMachine::FailDeviceStatus(uint32_t devInst) {
    if (Device* device = FindDevice(devInst)) device->statusFails = true;
}

void MemoryMachine::SetRestartOutcome(uint32_t devInst, RestartOutcome outcome, long error) {
    if (Device* device = FindDevice(devInst)) {
        device->restart = outcome;
        device->restartError = error;
    }
}

void MemoryMachine::PutEnvironment(const std::wstring& name, const std::wstring& value) {
    m_environment.emplace_back(name, value);
}

std::wstring MemoryMachine::GetDeviceInstanceId(const DeviceElement& element) {
    const Device* device = FindDevice(element.devInst);
    return device && !device->vanished ? device->instanceId : std::wstring();
}

bool MemoryMachine::GetDeviceStatus(const DeviceElement& element, uint32_t* status, uint32_t* problem) {
    const Device* device = FindDevice(element.devInst);
    if (!device || device->vanished || device->statusFails) return false;
    *status = device->status;
    *problem = device->problem;
    return true;
}

bool MemoryMachine::FileExists(const std::wstring& path) {
    for (const auto& file : m_files)
        if (SameName(file, path)) return true;
    return false;
}

std::wstring MemoryMachine::ExpandEnvironment(const std::wstring& text) {
    std::wstring out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t open = text.find(L'%', pos);
        size_t close = open == std::wstring::npos ? open : text.find(L'%', open + 1);
        if (close == std::wstring::npos) break;
        std::wstring name = text.substr(open + 1, close - open - 1);
        out += text.substr(pos, open - pos);
        const std::wstring* value = nullptr;
        for (const auto& entry : m_environment)
            if (SameName(entry.first, name)) value = &entry.second;
        out += value ? *value : text.substr(open, close - open + 1);
        pos = close + 1;
    }
    return out + text.substr(pos < text.size() ? pos : text.size());
}

void MemoryMachine::PutStringResource(const std::wstring& file, uint32_t id, const std::wstring& text) {
    AddFile(file);
    m_strings.push_back({file, id, text});
}

bool MemoryMachine::LoadStringResource(const std::wstring& file, uint32_t id, std::wstring* text) {
    for (const auto& entry : m_strings)
        if (entry.id == id && SameName(entry.file, file)) {
            *text = entry.text;
            return true;
        }
    return false;
}

}  // namespace qx::test
