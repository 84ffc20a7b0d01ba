// The change journal: one entry for every filter list this program changes, so that an
// administrator can see what a list held before and put it back. A UTF-8 JSON Lines
// file; each entry is one line, written whole or not at all.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/StoredList.h"

namespace qx {

// Where a change came from. Each origin has its row in kOrigins below, with the name the
// journal stores; Unknown is none of them.
enum class ChangeOrigin {
    Program,
    CommandLine,
    Undo,
    // An entry another version wrote, with an origin this one does not know (its name is
    // in JournalEntry::originName). It is shown, but never undone: its meaning is unknown.
    Unknown,
};

struct OriginRow {
    ChangeOrigin origin;
    const char* name;  // as the journal stores it; never changed once written
};
// In the order of ChangeOrigin (checked where it is read, in Journal.cpp).
inline constexpr OriginRow kOrigins[] = {
    {ChangeOrigin::Program, "program"},
    {ChangeOrigin::CommandLine, "command line"},
    {ChangeOrigin::Undo, "undo"},
};

struct JournalEntry {
    // Given by the journal when the entry is appended: ids count up from 1.
    uint64_t id = 0;
    std::wstring time;      // UTC, ISO 8601
    std::wstring user;      // the account that made the change
    std::wstring computer;
    // Given by the caller.
    std::wstring classGuid;  // "{...}" as GuidText writes it
    std::wstring deviceId;   // the device's instance ID; empty for a class's list
    bool upper = true;       // UpperFilters, or else LowerFilters
    StoredList before;       // as read from the registry before the write
    StoredList after;        // as read back after it
    bool afterUnverified = false;  // the write succeeded but could not be read back: `after` is what was written
    ChangeOrigin origin = ChangeOrigin::Program;
    std::wstring originName;  // for origin Unknown: the name as the journal stores it
    uint64_t undoes = 0;     // for an undo: the id of the entry it reversed
    std::wstring undoesTime; // and that entry's time (empty in older journals)
    std::wstring hive;       // the offline hive file changed; empty for this machine
    std::wstring hiveComputer;  // that installation's computer name; empty when unknown
};

// The origin's name as the journal stores it: "program", "command line", "undo", or an
// unknown origin's as written.
std::wstring OriginName(const JournalEntry& entry);

struct JournalContents {
    std::vector<JournalEntry> entries;  // oldest first
    size_t skipped = 0;  // whole lines that are not an entry
    bool tornEnd = false;  // the last line was cut short, and passed over
    size_t dropped = 0;  // older entries beyond the reader's bounds
    // Ids that do not rise (a repeat or a fall), and ids missing between readable entries
    // (also where a line could not be read), in the order of the file.
    size_t idsNotRising = 0;
    uint64_t idsMissing = 0;
    // Empty when the journal was read (a journal that does not exist yet reads as
    // empty); otherwise why it could not be.
    std::wstring error;
};

class JournalFile;

// The journal held by one writer for one change (the file open to append). While it is
// held, no other writer (another window, quillexc, a script) can change a list: each
// takes its turn over the whole change, from reading the list to appending its entry.
class JournalLock {
public:
    JournalLock();
    ~JournalLock();
    JournalLock(const JournalLock&) = delete;
    JournalLock& operator=(const JournalLock&) = delete;

    bool Held() const { return m_file != nullptr; }
    void Release();

private:
    friend class Journal;
    std::unique_ptr<JournalFile> m_file;
};

class Journal {
public:
    // The most entries a read keeps (the newest ones), and the most bytes of their lines.
    static constexpr size_t kReadLimit = 100000;
    static constexpr size_t kReadBytes = size_t(256) << 20;
    // The longest line writer and reader accept: two states of the largest registry
    // value the program reads (16 MiB), each as hex and as names, with room to spare.
    static constexpr size_t kMaxLine = size_t(128) << 20;
    // Ids stay below this (the largest whole number JSON readers keep exactly).
    static constexpr uint64_t kMaxId = (uint64_t(1) << 53) - 1;

    // The journal at path; tests and offline work name their own.
    explicit Journal(std::wstring path) : m_path(std::move(path)) {}
    // "Quillex\changes.jsonl" in the common application data folder, or the path the
    // environment variable QUILLEX_JOURNAL names; empty with *error set when that folder
    // is unknown.
    static std::wstring DefaultPath(std::wstring* error);

    const std::wstring& Path() const { return m_path; }

    // Takes the journal for one change: the folder made, the folder and file checked to
    // be owned and writable by trusted accounts only, the file opened to append. Waits a
    // few seconds while another writer holds it. False with *error saying why (another
    // change in progress, a folder or file others may change, ...); *busy tells the first
    // of those from the others.
    bool Lock(JournalLock* lock, std::wstring* error, bool* busy = nullptr) const;
    // Appends entry through the lock, first setting its id (one more than the lines
    // and ids already in the file), time, user and computer. False with *error saying
    // why when the entry could not be written (also for an origin of no row in kOrigins): then no part of it is in the file, and the
    // change must not be made.
    bool Append(JournalLock& lock, JournalEntry& entry, std::wstring* error) const;
    // The same, taking and releasing the lock.
    bool Append(JournalEntry& entry, std::wstring* error) const;
    // Whether an entry with these states can be recorded whole (its line within kMaxLine).
    static bool Fits(const JournalEntry& entry);

    // Every entry, up to the newest `limit` and `cbLimit` bytes of lines. Lines that are not entries
    // are skipped and counted; they never hide the entries after them. A journal that
    // does not exist reads as empty; one that cannot be opened (its folder is a file, it
    // may not be read) has error set.
    JournalContents Read(size_t limit = kReadLimit, size_t cbLimit = kReadBytes) const;

private:
    std::wstring m_path;
};

// Whether the entry is a change of the installation given: this machine (hive empty),
// or the hive file at that path (compared as the platform compares paths, without
// case) and, when both are known, of the same computer name.
bool SameInstallation(const JournalEntry& entry, const std::wstring& hive, const std::wstring& computer = L"");
// The changes an undo may reverse, newest first: those of the installation given that
// are neither an undo nor undone already, and whose origin is known.
std::vector<const JournalEntry*> UndoableEntries(const std::vector<JournalEntry>& entries, const std::wstring& hive,
                                                 const std::wstring& computer = L"");
// Of UndoableEntries, the one an undo reverses: the newest for id 0, else the one of that
// id; null when there is none.
const JournalEntry* EntryToUndo(const std::vector<const JournalEntry*>& undoable, uint64_t id);
// The entry the next undo reverses: the first of UndoableEntries; null when there is none.
const JournalEntry* NextToUndo(const std::vector<JournalEntry>& entries, const std::wstring& hive = L"",
                               const std::wstring& computer = L"");
// The entry of an unknown origin that stands in an undo's way, null when none does: the
// one `id` names (when no change an undo may reverse has that id), or for id 0 one newer
// than every such change of the installation. The undo is refused rather than reaching past
// an entry that may itself have changed the list or undone an older change.
const JournalEntry* UnknownOriginInTheWay(const std::vector<JournalEntry>& entries, uint64_t id,
                                          const std::wstring& hive, const std::wstring& computer);
// Whether `undo` reverses `change`: its id, and its time and target too.
bool IsUndoOf(const JournalEntry& undo, const JournalEntry& change);
// An undo may write only over what the change left: the list as it is now must be the
// entry's new state, exactly.
bool StillAsChanged(const JournalEntry& entry, const StoredList& current);
// The entry that records undoing `change` (its states to be replaced by what the write
// gate reads back): same target, previous and new state swapped, origin undo.
JournalEntry UndoEntryFor(const JournalEntry& change);

// One entry as its line (without the line end), and back. False for a line that is not
// an entry; *entry is then unchanged.
std::string EntryLine(const JournalEntry& entry);
bool ParseEntryLine(const std::string& line, JournalEntry* entry);

}  // namespace qx
