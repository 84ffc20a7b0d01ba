#include "linux/HiveRegistry.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "model/TextForms.h"
#include "model/Utf8.h"

namespace qx {
namespace {

// Copies name and its NUL into a buffer of cch units; kErrMoreData when it does not fit.
long CopyName(std::wstring_view name, wchar_t* buffer, uint32_t cch) {
    if (!buffer || name.size() >= cch) return kErrMoreData;
    std::copy(name.begin(), name.end(), buffer);
    buffer[name.size()] = L'\0';
    return kErrSuccess;
}

// The registry's answer for data: its size always, the bytes when they fit.
long CopyData(const std::vector<uint8_t>& bytes, uint8_t* data, uint32_t* cbData) {
    const uint32_t capacity = *cbData;
    *cbData = static_cast<uint32_t>(bytes.size());
    if (!data) return kErrSuccess;
    if (bytes.size() > capacity) return kErrMoreData;
    std::copy(bytes.begin(), bytes.end(), data);
    return kErrSuccess;
}

StringList Components(const std::wstring& path) {
    StringList parts;
    std::wstring part;
    for (wchar_t c : path) {
        if (c == L'\\' || c == L'/') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

// The entry of `folder` named `name` without case: the exact name first, then a scan.
bool FindEntry(const std::string& folder, const std::wstring& name, std::string* found) {
    const std::string exact = folder + (folder == "/" ? "" : "/") + Utf8FromWide(name);
    struct stat st{};
    if (::lstat(exact.c_str(), &st) == 0) {
        *found = exact;
        return true;
    }
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return false;
    bool ok = false;
    while (dirent* entry = ::readdir(dir)) {
        std::wstring entryName;
        if (WideFromUtf8(entry->d_name, &entryName) && SameNameNoCase(entryName, name)) {
            *found = folder + (folder == "/" ? "" : "/") + entry->d_name;
            ok = true;
            break;
        }
    }
    ::closedir(dir);
    return ok;
}

}  // namespace

std::string FindPathNoCase(const std::wstring& path, bool partial) {
    const bool absolute = !path.empty() && (path[0] == L'/' || path[0] == L'\\');
    std::string at = absolute ? "/" : ".";
    bool missing = false;
    for (const std::wstring& part : Components(path)) {
        if (part == L".") continue;
        if (part == L".." || missing) {
            at += (at == "/" ? "" : "/") + Utf8FromWide(part);
            continue;
        }
        if (FindEntry(at, part, &at)) continue;
        if (!partial) return "";
        missing = true;
        at += (at == "/" ? "" : "/") + Utf8FromWide(part);
    }
    return at;
}

HiveFile* HiveRegistry::Loaded(const std::wstring& keyName) {
    auto found = m_hives.find(UpperCase(keyName));
    return found == m_hives.end() ? nullptr : found->second.get();
}

long HiveRegistry::LoadHive(const std::wstring& keyName, const std::wstring& file) {
    if (Loaded(keyName)) return 183;  // ERROR_ALREADY_EXISTS
    auto hive = std::make_unique<HiveFile>();
    if (long error = hive->Open(Utf8FromWide(file))) return error;
    m_hives[UpperCase(keyName)] = std::move(hive);
    m_windows = WindowsFolderOfHive(file);
    return kErrSuccess;
}

long HiveRegistry::UnloadHive(const std::wstring& keyName) {
    // The map that holds nothing yet takes the old one's place before the arena lets go.
    m_opened = decltype(m_opened)(&m_arena);
    m_arena.release();
    return m_hives.erase(UpperCase(keyName)) ? kErrSuccess : kErrInvalidParameter;
}

std::vector<std::wstring> HiveRegistry::RootKeyNames() { return {}; }  // nothing outlives a run here
uint32_t HiveRegistry::CurrentProcessId() { return static_cast<uint32_t>(::getpid()); }
bool HiveRegistry::ProcessRunning(uint32_t pid) {
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::wstring HiveRegistry::FullPath(const std::wstring& path) {
    char full[PATH_MAX];
    std::wstring text;
    // A path typed in another case than the mounted volume spells it is found too.
    std::string local = Utf8FromWide(path);
    if (::access(local.c_str(), F_OK) != 0 && !FindPathNoCase(path).empty()) local = FindPathNoCase(path);
    if (!::realpath(local.c_str(), full) || !WideFromUtf8(full, &text)) return path;
    return text;
}

std::wstring_view HiveRegistry::KeepPath(const std::wstring& path) {
    auto* kept = static_cast<wchar_t*>(m_arena.allocate(path.size() * sizeof(wchar_t) + 1, alignof(wchar_t)));
    std::copy(path.begin(), path.end(), kept);
    return std::wstring_view(kept, path.size());
}

long HiveRegistry::OpenKey(const std::wstring& path, uint32_t, KeyHandle* key) {
    *key = nullptr;
    // The model spells a key the same way each time: the path as given is the cache's key.
    auto known = m_opened.find(path);
    if (known != m_opened.end()) {
        *key = &known->second;
        return kErrSuccess;
    }
    // A key below one opened before (the walks open each subkey by its path) is one step
    // from it.
    HiveFile* hive = nullptr;
    HiveFile::Node node = 0;
    const std::wstring_view whole(path);
    const size_t slash = path.find_last_of(L"\\/");
    auto parent = slash == std::wstring::npos || slash + 1 == path.size() || path[slash] != L'\\'
                      ? m_opened.end()
                      : m_opened.find(whole.substr(0, slash));
    if (parent != m_opened.end()) {
        hive = parent->second.hive;
        node = hive->Child(parent->second.node, whole.substr(slash + 1));
    } else {
        StringList parts = Components(path);
        hive = parts.empty() ? nullptr : Loaded(parts.front());
        if (!hive) return kErrFileNotFound;
        node = hive->Root();
        for (size_t i = 1; node && i < parts.size(); ++i) node = hive->Child(node, parts[i]);
    }
    if (!node) return kErrFileNotFound;
    *key = &m_opened.emplace(KeepPath(path), OpenedKey{hive, node}).first->second;
    return kErrSuccess;
}

long HiveRegistry::EnumKey(KeyHandle key, uint32_t index, wchar_t* name, uint32_t cchName) {
    if (!key) return kErrInvalidHandle;
    const OpenedKey& k = *static_cast<const OpenedKey*>(key);
    if (index >= k.hive->ChildCount(k.node)) return kErrNoMoreItems;
    return CopyName(k.hive->ChildName(k.node, index), name, cchName);
}

long HiveRegistry::EnumValue(KeyHandle key, uint32_t index, wchar_t* name, uint32_t* cchName, uint32_t* type,
                             uint8_t* data, uint32_t* cbData) {
    if (!key) return kErrInvalidHandle;
    const OpenedKey& k = *static_cast<const OpenedKey*>(key);
    if (index >= k.hive->ValueCount(k.node)) return kErrNoMoreItems;
    const std::wstring valueName = k.hive->ValueNameAt(k.node, index);
    if (long error = CopyName(valueName, name, *cchName)) return error;
    *cchName = static_cast<uint32_t>(valueName.size());
    uint32_t valueType = kRegNone;
    const std::vector<uint8_t>* bytes = k.hive->Data(k.hive->ValueAt(k.node, index), &valueType);
    if (!bytes) return kErrInvalidData;
    if (type) *type = valueType;
    return CopyData(*bytes, data, cbData);
}

long HiveRegistry::QueryValue(KeyHandle key, const wchar_t* name, uint32_t* type, uint8_t* data, uint32_t* cbData) {
    if (!key) return kErrInvalidHandle;
    const OpenedKey& k = *static_cast<const OpenedKey*>(key);
    HiveFile::Value value = k.hive->FindValue(k.node, name ? name : L"");
    if (!value) return kErrFileNotFound;
    uint32_t valueType = kRegNone;
    const std::vector<uint8_t>* bytes = k.hive->Data(value, &valueType);
    if (!bytes) return kErrInvalidData;
    if (type) *type = valueType;
    return CopyData(*bytes, data, cbData);
}

long HiveRegistry::SetValue(KeyHandle key, const wchar_t* name, uint32_t type, const uint8_t* data, uint32_t cbData) {
    if (!key) return kErrInvalidHandle;
    const OpenedKey& k = *static_cast<const OpenedKey*>(key);
    return k.hive->SetValue(k.node, name ? name : L"", type, data, cbData);
}

long HiveRegistry::DeleteValue(KeyHandle key, const wchar_t* name) {
    if (!key) return kErrInvalidHandle;
    const OpenedKey& k = *static_cast<const OpenedKey*>(key);
    return k.hive->DeleteValue(k.node, name ? name : L"");
}

long HiveRegistry::CloseKey(KeyHandle) { return kErrSuccess; }

bool HiveRegistry::FileExists(const std::wstring& path) {
    std::wstring local = path;
    if (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) {
        // The installation's own drive: the folder that holds its Windows folder.
        if (m_windows.empty()) return false;
        const size_t slash = m_windows.find_last_of(L"\\/");
        local = (slash == std::wstring::npos ? std::wstring(L".") : m_windows.substr(0, slash)) + L'/' + path.substr(3);
    }
    const std::string found = FindPathNoCase(local);
    struct stat st{};
    return !found.empty() && ::stat(found.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

HiveRegistry& Registry() {
    static HiveRegistry registry;
    return registry;
}

IDeviceAccess& Win32Access() { return Registry(); }
IHiveLoader& Win32HiveLoader() { return Registry(); }

// Windows-1252, the code page of the installations we meet, for 8-bit registry text.
std::wstring AnsiText(const uint8_t* data, size_t cb) {
    static const uint16_t k80[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                     0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    std::wstring text;
    for (size_t i = 0; data && i < cb && data[i] != 0; ++i)
        text += static_cast<wchar_t>(data[i] >= 0x80 && data[i] < 0xA0 ? k80[data[i] - 0x80] : data[i]);
    return text;
}

}  // namespace qx
