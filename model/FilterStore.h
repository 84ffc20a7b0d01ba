// The one routine that changes a filter list, of a class or of one of its devices, and
// records every change in the change journal so that it can be undone.
#pragma once
#include "model/ChangeOutcome.h"
#include "model/ClassList.h"
#include "model/Journal.h"
#include "model/OfflineHive.h"
#include "model/Types.h"

class CDriverClass;
class CDevice;

namespace qx {

// Where a change comes from; travels with every write.
struct ChangeContext {
    ChangeOrigin origin = ChangeOrigin::Program;
    // The offline hive file being changed; empty for this machine. By default the hive
    // the model works on now.
    std::wstring hive = CurrentOfflineHive();
    std::wstring hiveComputer = CurrentOfflineComputer();  // that installation's computer name
};

// The journal every change is recorded in. The program sets it once at start, tests swap
// it; until then it is the one at Journal::DefaultPath. Null with *error set when there
// is none (the common application data folder is unknown).
const Journal* ChangeJournal(std::wstring* error);
const Journal* SetChangeJournal(const Journal* journal);  // returns the previous one

// "Unable to Modify Upper Filters" / "Unable to Modify Lower Filters".
std::wstring FilterStoreFailureText(bool upper);
// Tells the user that text (MB_OKCANCEL | MB_ICONHAND): a list that could not be written.
ChangeOutcome FilterStoreFailure(bool upper);

// Stores `names` as the device's list when a device is given, else as the class's
// (an empty list deletes the class value, or clears the device property). Nothing is
// written unless every name can be stored, the registry still holds the list the
// record shows (a list changed by someone else since it was read is never overwritten
// unseen; the record then takes the stored list and the user is told) and the journal
// can be written. The change is journalled with the states read from the registry
// before and after it; when its entry cannot be appended the previous state is put
// back. Every failure is reported to the user. Done when the new list is stored and
// the record holds it; otherwise what stopped it, with the sentence the user was told.
ChangeOutcome StoreFilterList(CDriverClass& owner, CDevice* device, bool upper, const StringList& names,
                              const ChangeContext& context = {});

// Whether the journal holds a change (of context.hive) that an undo would reverse, or an
// entry of an unknown origin that stops it.
bool HasFilterChangeToUndo(const ChangeContext& context = {});

// The record an undo changed, for the caller to show.
struct UndoneTarget {
    CDriverClass* owner = nullptr;
    CDevice* device = nullptr;
    bool upper = true;
    JournalEntry change;            // the entry undone (or that could not be)
    uint64_t olderApplicable = 0;   // when its list was changed since: an older change that still applies
};

// Which change an undo reverses.
struct UndoRequest {
    uint64_t id = 0;          // the entry's id; 0 for the newest change not yet undone
    bool offerOlder = false;  // when that one's list was changed since, offer (Yes/No) the next older that applies
};

// Reverses the newest change not yet undone: asks first (Yes/No) when `ask`, then writes
// the entry's previous state exactly (type and bytes, or no value) through the same gate,
// journalled as an undo of that entry, but only while the list still holds what the
// change left; otherwise nothing is written and the user is told what it holds now.
// The record then holds the list as stored. Done when the list was restored; otherwise
// why not (declined, refused, nothing to undo, a failure...), as the user was told.
// context.hive chooses the changes undone; the undo's own entry has origin undo.
ChangeOutcome UndoLastFilterChange(const DriverClassList& classes, bool ask, UndoneTarget* target = nullptr,
                                   const ChangeContext& context = {});
// The same for the change the request names.
ChangeOutcome UndoFilterChange(const DriverClassList& classes, bool ask, const UndoRequest& request,
                               UndoneTarget* target = nullptr, const ChangeContext& context = {});

// How an entry names its list for people: "Upper Filters", and the names or "(none)".
std::wstring ListTitle(bool upper);
std::wstring StateText(const StoredList& state);
// Where a change came from: "program", "command line", "undo of #12", or the stored name
// of an origin this program does not know.
std::wstring OriginText(const JournalEntry& entry);

}  // namespace qx
