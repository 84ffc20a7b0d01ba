// What became of a change of a filter list asked of the write gate or of undo, and the
// sentence the user was told about it.
#pragma once
#include <string>

namespace qx {

enum class ChangeResult {
    Done,             // written, read back and journalled; or the list already held it
    // Refusals: nothing was written.
    Declined,         // the user answered No
    Refused,          // what an undo would bring back does not pass the check
    ChangedOutside,   // the list is not what was read (or what the change left)
    NothingToUndo,    // no change (of that number) an undo may reverse
    TargetGone,       // the change's class or device is not among the records
    UndoneMeanwhile,  // another writer undid that change while the question was open
    // Failures: nothing was changed, or the sentence says what the list holds now.
    Busy,             // another writer held the change journal
    JournalFailed,    // the journal could not be had, read or written (a list written is put back)
    ReadFailed,       // the list could not be read before the write
    WriteFailed,      // the list could not be written
    NotReadBack,      // written and journalled as written, but not read back
    StoredOtherwise,  // written and journalled, but the registry holds another list
};

// Whether nothing was written because the change was refused, or because something failed.
constexpr bool IsFailure(ChangeResult result) {
    switch (result) {
    case ChangeResult::Done:
    case ChangeResult::Declined:
    case ChangeResult::Refused:
    case ChangeResult::ChangedOutside:
    case ChangeResult::NothingToUndo:
    case ChangeResult::TargetGone:
    case ChangeResult::UndoneMeanwhile:
        return false;
    case ChangeResult::Busy:
    case ChangeResult::JournalFailed:
    case ChangeResult::ReadFailed:
    case ChangeResult::WriteFailed:
    case ChangeResult::NotReadBack:
    case ChangeResult::StoredOtherwise:
        return true;
    }
    return true;
}

struct ChangeOutcome {
    ChangeResult result = ChangeResult::Done;
    std::wstring sentence;  // the last thing the user was told about it; empty when done silently

    bool Done() const { return result == ChangeResult::Done; }
    bool Failed() const { return IsFailure(result); }
    // Whether the list was written, for callers that ask nothing more; never a number.
    operator bool() const { return Done(); }
    template <typename T>
    operator T() const = delete;
};

}  // namespace qx
