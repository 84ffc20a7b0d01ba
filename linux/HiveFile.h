// One Windows registry hive file, read and written through hivex. Keys are hivex's nodes,
// names are UTF-16 code units (as everywhere in the model), matched without case. A
// change lands in the file at once and never half: the file is copied beside itself
// before the first change, then each change is written to a new file in the same folder,
// flushed, renamed over the hive and the folder flushed. A dirty hive is never written.
#pragma once
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qx {

class HiveFile {
public:
    using Node = size_t;   // hivex's hive_node_h; 0 is none
    using Value = size_t;  // hivex's hive_value_h

    HiveFile() = default;
    ~HiveFile();
    HiveFile(const HiveFile&) = delete;
    HiveFile& operator=(const HiveFile&) = delete;

    // Opens the file (a platform error code, kErrSuccess on success); the first change
    // opens it again to write.
    long Open(const std::string& path, bool writable = false);
    const std::string& Path() const { return m_path; }
    // The header's two sequence numbers differ: the installation's last changes are still
    // in its transaction logs, which hivex does not apply.
    bool Dirty() const { return m_dirty; }
    // The backup made before the first change of this run; empty until then.
    const std::string& BackupPath() const { return m_backup; }

    Node Root() const;
    // The subkey of that name, without case; 0 when there is none.
    Node Child(Node node, std::wstring_view name);
    size_t ChildCount(Node node);
    std::wstring_view ChildName(Node node, size_t index);  // index < ChildCount

    size_t ValueCount(Node node);
    Value ValueAt(Node node, size_t index);
    std::wstring ValueNameAt(Node node, size_t index);  // index < ValueCount
    Value FindValue(Node node, std::wstring_view name);  // without case; 0 when absent
    std::wstring ValueName(Value value);
    // The value's type and bytes, as stored.
    bool ValueData(Value value, uint32_t* type, std::vector<uint8_t>* data);
    // The same, kept until another value is read or the file changes: a property is
    // asked for its size, then its bytes, then once more as text. Null when unreadable.
    const std::vector<uint8_t>* Data(Value value, uint32_t* type);

    // Sets (or adds) one value, or deletes it; then commits. Platform error codes; on a
    // failure the file and what is read from it are as before. Writers take turns through
    // a lock on the hive's folder, and a file another program replaced since it was read
    // is never written over (the sharing error).
    long SetValue(Node node, const std::wstring& name, uint32_t type, const uint8_t* data, uint32_t cb);
    long DeleteValue(Node node, const std::wstring& name);

private:
    // What is read of the file, kept until it is opened again: in one arena, so that
    // tens of thousands of keys' names are neither allocated nor freed one by one.
    struct Children {
        explicit Children(std::pmr::memory_resource* arena) : nodes(arena), names(arena), ends(arena) {}
        std::pmr::vector<Node> nodes;
        std::pmr::wstring names;          // every subkey's name, one after another
        std::pmr::vector<uint32_t> ends;  // where each name ends in `names`
        std::wstring_view Name(size_t index) const {
            const uint32_t begin = index ? ends[index - 1] : 0;
            return std::wstring_view(names).substr(begin, ends[index] - begin);
        }
        // Made when a key with many subkeys is first searched (Enum's, Services').
        std::unordered_map<std::wstring, size_t> byUpperName;
        std::wstring wanted;  // the name searched for, upper-cased
    };
    Children& ChildrenOf(Node node);
    struct NamedValue {
        Value value;
        std::pmr::string key;  // the name as hivex gives it (UTF-8)
    };
    const std::pmr::vector<NamedValue>& ValuesOf(Node node);
    struct Caches {
        std::pmr::monotonic_buffer_resource arena;
        std::pmr::unordered_map<Node, Children> children{&arena};
        std::pmr::unordered_map<Node, std::pmr::vector<NamedValue>> values{&arena};
    };
    long Backup();
    long Commit();
    long Reopen();
    long Change(Node node, const std::wstring& name, const std::vector<uint8_t>* data, uint32_t type);
    bool SameFileAsRead() const;

    void* m_hive = nullptr;  // hive_h
    std::string m_path, m_backup;
    bool m_dirty = false;
    bool m_writable = false;
    // The file as it was read: device, inode, size and time of its last change.
    uint64_t m_identity[4] = {};
    std::unique_ptr<Caches> m_caches = std::make_unique<Caches>();
    Value m_dataValue = 0;  // the value Data() read last
    uint32_t m_dataType = 0;
    std::vector<uint8_t> m_data;
};

// errno as the platform error code the model knows.
long ErrorFromErrno(int error);
// The current UTC time as a file name part: 20240501T090307Z.
std::string UtcStamp();

}  // namespace qx
