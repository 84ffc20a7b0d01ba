#include "linux/HiveFile.h"

#include <fcntl.h>
#include <hivex.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <cwctype>

#include "model/Bytes.h"
#include "model/TextForms.h"
#include "model/Types.h"
#include "model/Utf8.h"

namespace qx {
namespace {

hive_h* Hive(void* hive) { return static_cast<hive_h*>(hive); }

// hivex's UTF-8 text as UTF-16 code units; a name that is not UTF-8 keeps its bytes.
std::wstring Units(const char* utf8) {
    if (!utf8) return L"";
    std::wstring text;
    if (!WideFromUtf8(utf8, &text))
        for (const char* p = utf8; *p; ++p) text += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return text;
}

// The same appended to `out`; ASCII (nearly every name) without a conversion. `scratch`
// holds the conversion of any other.
void AppendUnits(const char* utf8, std::wstring* scratch, std::pmr::wstring* out) {
    if (!utf8) return;
    const char* p = utf8;
    while (*p && static_cast<unsigned char>(*p) < 0x80) ++p;
    if (!*p) {
        out->append(utf8, p);
        return;
    }
    *scratch = Units(utf8);
    *out += *scratch;
}

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

bool IsAscii(std::wstring_view text) {
    for (wchar_t c : text)
        if (static_cast<uint32_t>(c) >= 0x80) return false;
    return true;
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// A stored value name against a wanted one, without case as UpperCase compares them;
// names of ASCII only (nearly all) are compared as they are, without conversion.
bool SameValueName(std::string_view key, std::wstring_view wanted, bool wantedAscii) {
    if (wantedAscii && IsAscii(key)) {
        if (key.size() != wanted.size()) return false;
        for (size_t i = 0; i < key.size(); ++i)
            if (AsciiUpper(key[i]) != AsciiUpper(static_cast<char>(wanted[i]))) return false;
        return true;
    }
    return SameNameNoCase(Units(std::string(key).c_str()), wanted);
}

// A malloc'd block of hivex's, freed on every path.
template <typename T>
struct Freed {
    T* p;
    ~Freed() { std::free(p); }
};

// A file descriptor closed on every path.
struct Fd {
    int fd;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// What tells one version of the file from another: device, inode, size, last change.
bool Identity(const std::string& path, uint64_t identity[4]) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) return false;
    identity[0] = st.st_dev;
    identity[1] = st.st_ino;
    identity[2] = static_cast<uint64_t>(st.st_size);
    identity[3] = static_cast<uint64_t>(st.st_mtim.tv_sec) * 1000000000u + static_cast<uint64_t>(st.st_mtim.tv_nsec);
    return true;
}

long SyncPath(const std::string& path, int flags) {
    Fd file{::open(path.c_str(), flags | O_CLOEXEC)};
    if (file.fd < 0 || ::fsync(file.fd) != 0) return ErrorFromErrno(errno);
    return kErrSuccess;
}

}  // namespace

long ErrorFromErrno(int error) {
    switch (error) {
    case 0: return kErrSuccess;
    case ENOENT: return kErrFileNotFound;
    case EACCES: case EPERM: case EROFS: return kErrAccessDenied;
    case ENOTDIR: return 267;       // ERROR_DIRECTORY
    case EISDIR: return 5;          // a folder where a file is wanted: access denied, as Windows says
    case ENOSPC: return 112;        // ERROR_DISK_FULL
    case EEXIST: return 183;        // ERROR_ALREADY_EXISTS
    case ENOMEM: return 8;          // ERROR_NOT_ENOUGH_MEMORY
    case EWOULDBLOCK: return 32;  // ERROR_SHARING_VIOLATION
    case EINVAL: return kErrInvalidParameter;
    case ENOTSUP: case EBADMSG: case ERANGE: return 1009;  // ERROR_BADDB
    default: return 0x20000000 | error;  // the customer bit: errno, for ErrorText
    }
}

std::string UtcStamp() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof(text), "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

HiveFile::~HiveFile() {
    if (m_hive) hivex_close(Hive(m_hive));
}

long HiveFile::Open(const std::string& path, bool writable) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) return ErrorFromErrno(errno);
    if (S_ISDIR(st.st_mode)) return kErrAccessDenied;
    uint64_t identity[4];
    if (!Identity(path, identity)) return ErrorFromErrno(errno);
    uint8_t header[12] = {};
    {
        Fd file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
        if (file.fd < 0) return ErrorFromErrno(errno);
        if (::pread(file.fd, header, sizeof(header), 0) != static_cast<ssize_t>(sizeof(header)) ||
            header[0] != 'r' || header[1] != 'e' || header[2] != 'g' || header[3] != 'f')
            return 1009;  // ERROR_BADDB
    }
    // Read from a mapping of the file; reopened to write (into memory) before a change.
    hive_h* hive = hivex_open(path.c_str(), writable ? HIVEX_OPEN_WRITE : 0);
    if (!hive) return errno == ENOENT || errno == EACCES ? ErrorFromErrno(errno) : 1009;
    if (m_hive) hivex_close(Hive(m_hive));
    m_hive = hive;
    m_path = path;
    m_writable = writable;
    std::copy(identity, identity + 4, m_identity);
    m_dirty = ReadLe32(header + 4) != ReadLe32(header + 8);
    m_caches = std::make_unique<Caches>();
    m_dataValue = 0;
    return kErrSuccess;
}

HiveFile::Node HiveFile::Root() const { return m_hive ? hivex_root(Hive(m_hive)) : 0; }

HiveFile::Children& HiveFile::ChildrenOf(Node node) {
    auto found = m_caches->children.find(node);
    if (found != m_caches->children.end()) return found->second;
    Children& children = m_caches->children.try_emplace(node, &m_caches->arena).first->second;
    Freed<hive_node_h> list{hivex_node_children(Hive(m_hive), node)};
    size_t count = 0;
    while (list.p && list.p[count]) ++count;
    children.nodes.assign(list.p, list.p + count);
    children.ends.reserve(count);
    std::wstring name;
    for (size_t i = 0; i < count; ++i) {
        Freed<char> utf8{hivex_node_name(Hive(m_hive), list.p[i])};
        AppendUnits(utf8.p, &name, &children.names);
        children.ends.push_back(static_cast<uint32_t>(children.names.size()));
    }
    return children;
}

HiveFile::Node HiveFile::Child(Node node, std::wstring_view name) {
    Children& children = ChildrenOf(node);
    // The first subkey of that name, as the index below keeps it.
    const size_t kScanned = 16;
    if (children.nodes.size() <= kScanned) {
        for (size_t i = 0; i < children.nodes.size(); ++i)
            if (SameNameNoCase(children.Name(i), name)) return children.nodes[i];
        return 0;
    }
    if (children.byUpperName.empty())
        for (size_t i = 0; i < children.nodes.size(); ++i)
            children.byUpperName.emplace(UpperCase(std::wstring(children.Name(i))), i);
    children.wanted.assign(name.begin(), name.end());
    for (wchar_t& c : children.wanted) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    auto found = children.byUpperName.find(children.wanted);
    return found == children.byUpperName.end() ? 0 : children.nodes[found->second];
}

size_t HiveFile::ChildCount(Node node) { return ChildrenOf(node).nodes.size(); }
std::wstring_view HiveFile::ChildName(Node node, size_t index) { return ChildrenOf(node).Name(index); }

const std::pmr::vector<HiveFile::NamedValue>& HiveFile::ValuesOf(Node node) {
    auto found = m_caches->values.find(node);
    if (found != m_caches->values.end()) return found->second;
    std::pmr::vector<NamedValue>& values = m_caches->values[node];
    Freed<hive_value_h> list{hivex_node_values(Hive(m_hive), node)};
    size_t count = 0;
    while (list.p && list.p[count]) ++count;
    values.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        Freed<char> key{hivex_value_key(Hive(m_hive), list.p[i])};
        values.push_back(NamedValue{list.p[i], std::pmr::string(key.p ? key.p : "", &m_caches->arena)});
    }
    return values;
}

size_t HiveFile::ValueCount(Node node) { return ValuesOf(node).size(); }
HiveFile::Value HiveFile::ValueAt(Node node, size_t index) { return ValuesOf(node)[index].value; }
std::wstring HiveFile::ValueNameAt(Node node, size_t index) { return Units(ValuesOf(node)[index].key.c_str()); }

std::wstring HiveFile::ValueName(Value value) {
    Freed<char> name{hivex_value_key(Hive(m_hive), value)};
    return Units(name.p);
}

HiveFile::Value HiveFile::FindValue(Node node, std::wstring_view name) {
    const bool ascii = IsAscii(name);
    for (const NamedValue& value : ValuesOf(node))
        if (SameValueName(value.key, name, ascii)) return value.value;
    return 0;
}

bool HiveFile::ValueData(Value value, uint32_t* type, std::vector<uint8_t>* data) {
    hive_type t = hive_t_none;
    size_t len = 0;
    Freed<char> bytes{hivex_value_value(Hive(m_hive), value, &t, &len)};
    if (!bytes.p && len != 0) return false;
    *type = static_cast<uint32_t>(t);
    data->assign(reinterpret_cast<uint8_t*>(bytes.p), reinterpret_cast<uint8_t*>(bytes.p) + (bytes.p ? len : 0));
    return true;
}

const std::vector<uint8_t>* HiveFile::Data(Value value, uint32_t* type) {
    if (value != m_dataValue || !value) {
        m_dataValue = 0;
        if (!ValueData(value, &m_dataType, &m_data)) return nullptr;
        m_dataValue = value;
    }
    *type = m_dataType;
    return &m_data;
}

bool HiveFile::SameFileAsRead() const {
    uint64_t now[4];
    return Identity(m_path, now) && std::equal(now, now + 4, m_identity);
}

long HiveFile::SetValue(Node node, const std::wstring& name, uint32_t type, const uint8_t* data, uint32_t cb) {
    const std::vector<uint8_t> bytes(data, data + cb);
    return Change(node, name, &bytes, type);
}

long HiveFile::DeleteValue(Node node, const std::wstring& name) {
    if (!FindValue(node, name)) return kErrFileNotFound;
    return Change(node, name, nullptr, kRegNone);
}

long HiveFile::Change(Node node, const std::wstring& name, const std::vector<uint8_t>* data, uint32_t type) {
    if (m_dirty) return kErrAccessDenied;
    // One writer at a time in the folder, from the check that the file is still the one
    // read to the rename of the new one.
    Fd folder{::open(FolderOf(m_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (folder.fd < 0) return ErrorFromErrno(errno);
    for (int tries = 0; ::flock(folder.fd, LOCK_EX | LOCK_NB) != 0; ++tries) {
        if (errno != EWOULDBLOCK || tries >= 100) return ErrorFromErrno(errno);
        ::usleep(50 * 1000);
    }
    if (!SameFileAsRead()) return 32;  // ERROR_SHARING_VIOLATION: another program changed it
    m_dataValue = 0;
    if (long error = Backup()) return error;
    int result;
    if (data) {
        // hivex replaces the value of that name, without case; the stored spelling stays.
        std::string key = Utf8FromWide(name);
        const bool ascii = IsAscii(name);
        for (const NamedValue& value : ValuesOf(node))
            if (SameValueName(value.key, name, ascii)) key = Utf8FromWide(Units(value.key.c_str()));
        std::vector<char> bytes(data->begin(), data->end());
        hive_set_value value{&key[0], static_cast<hive_type>(type), bytes.size(), bytes.empty() ? nullptr : bytes.data()};
        result = hivex_node_set_value(Hive(m_hive), node, &value, 0);
    } else {
        // hivex deletes by writing the key's whole value list without it.
        std::vector<std::string> keys;
        std::vector<std::vector<char>> datas;
        std::vector<hive_set_value> kept;
        const bool ascii = IsAscii(name);
        for (const NamedValue& value : ValuesOf(node)) {
            if (SameValueName(value.key, name, ascii)) continue;
            uint32_t valueType = 0;
            std::vector<uint8_t> bytes;
            if (!ValueData(value.value, &valueType, &bytes)) return 1009;
            keys.push_back(Utf8FromWide(Units(value.key.c_str())));
            datas.emplace_back(bytes.begin(), bytes.end());
            kept.push_back(hive_set_value{nullptr, static_cast<hive_type>(valueType), bytes.size(), nullptr});
        }
        for (size_t i = 0; i < kept.size(); ++i) {
            kept[i].key = &keys[i][0];
            kept[i].value = datas[i].empty() ? nullptr : datas[i].data();
        }
        result = hivex_node_set_values(Hive(m_hive), node, kept.size(), kept.data(), 0);
    }
    if (result != 0) {
        long error = ErrorFromErrno(errno);
        Reopen();
        return error;
    }
    m_caches->values.erase(node);
    return Commit();
}

long HiveFile::Backup() {
    // The same file opened again keeps every node where it was.
    if (!m_writable)
        if (long error = Open(m_path, true)) {
            Open(m_path, false);
            return error;
        }
    if (!m_backup.empty()) return kErrSuccess;
    Fd from{::open(m_path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (from.fd < 0) return ErrorFromErrno(errno);
    // Never over an earlier backup: a run in the same second gets a number.
    const std::string stamp = m_path + ".quillex-" + UtcStamp();
    std::string backup = stamp + ".bak";
    Fd to{-1};
    for (int n = 2; (to.fd = ::open(backup.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644)) < 0; ++n) {
        if (errno != EEXIST || n > 99) return ErrorFromErrno(errno);
        backup = stamp + "-" + std::to_string(n) + ".bak";
    }
    char buffer[1 << 16];
    for (;;) {
        ssize_t got = ::read(from.fd, buffer, sizeof(buffer));
        if (got == 0) break;
        bool ok = got > 0;
        for (ssize_t at = 0; ok && at < got;) {
            ssize_t put = ::write(to.fd, buffer + at, static_cast<size_t>(got - at));
            ok = put > 0;
            at += ok ? put : 0;
        }
        if (!ok) {
            long error = ErrorFromErrno(errno);
            ::unlink(backup.c_str());
            return error;
        }
    }
    if (::fsync(to.fd) != 0) {
        long error = ErrorFromErrno(errno);
        ::unlink(backup.c_str());
        return error;
    }
    m_backup = backup;
    return SyncPath(FolderOf(m_path), O_RDONLY | O_DIRECTORY);
}

long HiveFile::Commit() {
    const std::string fresh = m_path + ".quillex-new";
    long error = kErrSuccess;
    if (hivex_commit(Hive(m_hive), fresh.c_str(), 0) != 0) error = ErrorFromErrno(errno);
    if (!error) error = SyncPath(fresh, O_RDONLY);
    if (!error && ::rename(fresh.c_str(), m_path.c_str()) != 0) error = ErrorFromErrno(errno);
    if (error) {
        ::unlink(fresh.c_str());
        Reopen();  // what is read stays what the file holds
        return error;
    }
    // The rename is done: the folder's flush only makes it last through a power cut.
    SyncPath(FolderOf(m_path), O_RDONLY | O_DIRECTORY);
    Identity(m_path, m_identity);
    return kErrSuccess;
}

long HiveFile::Reopen() {
    const std::string path = m_path;
    return Open(path, m_writable);
}

}  // namespace qx
