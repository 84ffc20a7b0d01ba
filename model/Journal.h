// The change journal: one entry for every filter list this program changes, so that an
// administrator can see what a list held before and put it back. A UTF-8 JSON Lines
// file; each entry is one line, written whole or not at all.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/StoredList.h"

namespace qx {

enum class ChangeOrigin { Program, CommandLine, Undo };
// The origin's name as the journal stores it: "program", "command line", "undo".
const char* OriginName(ChangeOrigin origin);

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
    uint64_t undoes = 0;     // for an undo: the id of the entry it reversed
    std::wstring hive;       // the offline hive file changed; empty for this machine
    std::wstring hiveComputer;  // that installation's computer name; empty when unknown
};

struct JournalContents {
    std::vector<JournalEntry> entries;  // oldest first
    size_t skipped = 0;  // whole lines that are not an entry
    bool tornEnd = false;  // the last line was cut short, and passed over
    size_t dropped = 0;  // older entries beyond the reader's bound
    // Empty when the journal was read (a journal that does not exist yet reads as
    // empty); otherwise why it could not be.
    std::wstring error;
};

class Journal {
public:
    // The most entries a read keeps (the newest ones).
    static constexpr size_t kReadLimit = 100000;

    // The journal at path; tests and offline work name their own.
    explicit Journal(std::wstring path) : m_path(std::move(path)) {}
    // "Quillex\changes.jsonl" in the common application data folder; empty with
    // *error set when that folder is unknown.
    static std::wstring DefaultPath(std::wstring* error);

    const std::wstring& Path() const { return m_path; }

    // Appends entry, first setting its id, time, user and computer. Creates the folder
    // and file as needed. False with *error saying why when the entry could not be
    // written: then no part of it is in the file, and the change must not be made.
    bool Append(JournalEntry& entry, std::wstring* error) const;
    // Whether an entry could be appended now: the folder made and the file opened for
    // appending, nothing written. False with *error saying why.
    bool CheckWritable(std::wstring* error) const;

    // Every entry, up to the newest `limit`. Lines that are not entries are skipped and
    // counted; they never hide the entries after them.
    JournalContents Read(size_t limit = kReadLimit) const;

private:
    std::wstring m_path;
};

// Whether the entry is a change of the installation given: this machine (hive empty),
// or the hive file at that path (compared as the platform compares paths, without
// case) and, when both are known, of the same computer name.
bool SameInstallation(const JournalEntry& entry, const std::wstring& hive, const std::wstring& computer = L"");
// The changes an undo may reverse, newest first: those of the installation given that
// are neither an undo nor undone already.
std::vector<const JournalEntry*> UndoableEntries(const std::vector<JournalEntry>& entries, const std::wstring& hive,
                                                 const std::wstring& computer = L"");
// The entry the next undo reverses: the first of UndoableEntries; null when there is none.
const JournalEntry* NextToUndo(const std::vector<JournalEntry>& entries, const std::wstring& hive = L"",
                               const std::wstring& computer = L"");
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
