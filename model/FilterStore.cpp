#include "model/FilterStore.h"

#include <algorithm>
#include <memory>
#include <new>

#include "model/DeviceAccess.h"
#include "model/DriverClass.h"
#include "model/FilterCheck.h"
#include "model/Filters.h"
#include "model/JournalFile.h"
#include "model/ListValidation.h"
#include "model/StoredList.h"
#include "model/TextForms.h"

namespace qx {
namespace {

const Journal* g_journal = nullptr;

// How the user knows the list: the class's description, or the device's name and class.
std::wstring TargetName(const CDriverClass& owner, const CDevice* device) {
    if (!device) return owner.GetDescription();
    const std::wstring& name = device->GetDisplayName();
    // A device a command read alone has no number (-1): its instance ID names it.
    const std::wstring which = device->GetIndex() >= 0 ? DeviceNumberText(device->GetIndex()) : DeviceInstanceId(*device);
    std::wstring number = L"device " + which + L" of " + owner.GetDescription();
    return name.empty() ? number : name + L" (" + number + L")";
}

std::wstring ListOf(const CDriverClass& owner, const CDevice* device, bool upper) {
    return L"The " + ListTitle(upper) + L" of " + TargetName(owner, device);
}

std::wstring HoldsText(const StringList& names) {
    return names.empty() ? L"The list is now empty." : L"They now hold: " + JoinList(names) + L".";
}
std::wstring HoldsText(const StoredList& state) {
    return state.HoldsOtherType() ? L"They now hold: " + state.OtherTypeText() + L"." : HoldsText(state.Names());
}

std::wstring ChangedOutsideText(const CDriverClass& owner, const CDevice* device, bool upper,
                                const StringList& stored) {
    return ListOf(owner, device, upper) + L" were changed outside Quillex after they were read. " +
           HoldsText(stored) + L"\n\nNothing was written. The list as stored is shown now; edit it again to change it.";
}

const unsigned kStop = kMbOk | kMbIconHand;

// Tells the user why the change ended so and gives its outcome with that sentence.
ChangeOutcome Tell(ChangeResult result, const std::wstring& sentence, unsigned type) {
    Messages().ShowMessage(sentence, type);
    return ChangeOutcome{result, sentence};
}

// A change the store cannot make, with the reason after the title.
ChangeOutcome Stop(ChangeResult result, bool upper, const std::wstring& why) {
    return Tell(result, FilterStoreFailureText(upper) + L"\n\n" + why, kStop);
}

void ReplaceRecord(CDriverClass& owner, CDevice* device, bool upper, const StringList& names) {
    if (device)
        device->ReplaceFilters(upper, names);
    else
        owner.ReplaceFilters(upper, names);
}

bool ReadState(const CDriverClass& owner, const CDevice* device, bool upper, StoredList* state,
               long* failure = nullptr) {
    return device ? ReadDeviceFilters(*device, upper, state, nullptr, failure)
                  : ReadClassFilters(owner.GetClassKey(), upper, state, nullptr, failure);
}

// Why a list could not be read; a read that fails never counts as "no value".
std::wstring CannotReadText(const CDriverClass& owner, const CDevice* device, bool upper, long failure) {
    return ListOf(owner, device, upper) + L" could not be read: " + ErrorText(failure) + L".";
}

// The only place a filter list is written: exactly the state given, its type and bytes,
// or no value at all. A device's list always has the type the device setup gives it.
bool WriteState(CDriverClass& owner, CDevice* device, bool upper, const StoredList& state) {
    const uint8_t* data = state.present && !state.data.empty() ? state.data.data() : nullptr;
    uint32_t cb = state.present ? static_cast<uint32_t>(state.data.size()) : 0;
    if (device)
        return owner.SetDeviceProperty(*device, upper ? spdrp::UpperFilters : spdrp::LowerFilters, data, cb);
    IDeviceAccess& access = Access();
    const wchar_t* valueName = FilterValueName(upper);
    if (!state.present) {
        long error = access.DeleteValue(owner.GetClassKey(), valueName);
        return error == kErrSuccess;
    }
    // The platform counts a string's terminator that the caller seems to have forgotten
    // when the character after the data is one: a character after the data that is not
    // keeps the bytes exactly as they were stored.
    std::vector<uint8_t> exact(state.data);
    exact.insert(exact.end(), {0xFF, 0xFF});
    return access.SetValue(owner.GetClassKey(), valueName, state.type, exact.data(), cb) == kErrSuccess;
}

StoredList ListState(const StringList& names) {
    StoredList state;
    if (names.empty()) return state;
    state.present = true;
    state.type = kRegMultiSz;
    state.data = BuildMultiSz(names);
    return state;
}

// Whether an undo cannot put back a device's earlier state as it was: the device setup
// stores every list as REG_MULTI_SZ, so another type goes back as its names.
bool TypeCannotBeKept(const CDevice* device, const StoredList& state) {
    return device && state.present && state.type != kRegMultiSz;
}

// What an undo writes: the earlier state exactly, but for a device a present value of
// another type or an empty one as a REG_MULTI_SZ of its names (present, even when empty).
StoredList RestoredState(const CDevice* device, const StoredList& before) {
    if (!device || !before.present || (before.type == kRegMultiSz && !before.data.empty())) return before;
    StoredList state;
    state.present = true;
    state.type = kRegMultiSz;
    const StringList names = before.HoldsOtherType() ? StringList{} : before.Names();
    state.data = names.empty() ? std::vector<uint8_t>(2, 0) : BuildMultiSz(names);
    return state;
}

// Takes the change journal for one change (*journal and *lock); otherwise tells the user
// why nothing was written.
ChangeOutcome TakeJournal(bool upper, const Journal** journal, JournalLock* lock) {
    std::wstring error;
    bool busy = false;
    *journal = ChangeJournal(&error);
    if (*journal && (*journal)->Lock(lock, &error, &busy)) return {};
    return Stop(busy ? ChangeResult::Busy : ChangeResult::JournalFailed, upper,
                error + L"\n\nNothing was written: no change is made without its record.");
}

// Writes `wanted` over `before` (what the registry was just read to hold, under the
// journal's lock) and journals the change with the state read back after the write. No
// change stays without its entry: when the entry cannot be appended after the write,
// `before` is written back. The record takes the list as stored. `entry` brings the
// origin (and for an undo the entry undone) and the hive. The lock is released before
// any message, so that no other writer waits on the user.
ChangeOutcome WriteJournalled(CDriverClass& owner, CDevice* device, bool upper, const StoredList& before,
                              const StoredList& wanted, JournalEntry entry, const Journal& journal, JournalLock& lock) {
    std::wstring error;
    entry.classGuid = GuidText(owner.GetGuid());
    if (device) {
        entry.deviceId = DeviceInstanceId(*device);
        if (entry.deviceId.empty()) {
            // A device without its ID has gone, or could never be found again to undo.
            lock.Release();
            return FilterStoreFailure(upper);
        }
    }
    entry.upper = upper;
    entry.before = before;
    entry.after = wanted;
    if (!Journal::Fits(entry)) {
        lock.Release();
        return Stop(ChangeResult::JournalFailed, upper,
                    L"The change cannot be recorded whole in the change journal " + journal.Path() +
                        L": its entry would be longer than " + std::to_wstring(Journal::kMaxLine >> 20) +
                        L" MiB.\n\nNothing was written: no change is made without its record.");
    }

    bool written = WriteState(owner, device, upper, wanted);
    // What the registry holds now decides what is recorded. A write that succeeded but
    // cannot be read back is recorded as intended, flagged, and said to be unverified.
    long failure = kErrSuccess;
    if (!ReadState(owner, device, upper, &entry.after, &failure)) {
        if (!written) {
            lock.Release();
            ReplaceRecord(owner, device, upper, before.Names());
            return Stop(ChangeResult::WriteFailed, upper,
                        L"The write failed. " + CannotReadText(owner, device, upper, failure) +
                            L" What it holds now is unknown.");
        }
        entry.after = wanted;
        entry.afterUnverified = true;
    }
    if (entry.after == before) {
        lock.Release();
        ReplaceRecord(owner, device, upper, before.Names());
        return written ? ChangeOutcome{} : FilterStoreFailure(upper);  // nothing changed, nothing to record
    }
    bool appended = false;
    try {
        appended = journal.Append(lock, entry, &error);
    } catch (const std::bad_alloc&) {
        error = L"The change journal " + journal.Path() + L" cannot be written: not enough memory for the entry.";
    }
    if (!appended) {
        bool restored = WriteState(owner, device, upper, before);
        StoredList now;
        if (!ReadState(owner, device, upper, &now)) now = restored ? before : entry.after;
        lock.Release();
        ReplaceRecord(owner, device, upper, now.Names());
        if (now == before)
            return Stop(ChangeResult::JournalFailed, upper,
                        error + L"\n\nNo change is made without its record: the list was put back as it was.");
        return Stop(ChangeResult::JournalFailed, upper,
                    error + L"\n\nThe list could not be put back as it was. " + ListOf(owner, device, upper) +
                        L" held: " + StateText(before) + L". " + HoldsText(now) +
                        L" Restore the earlier list by hand.");
    }
    lock.Release();
    ReplaceRecord(owner, device, upper, entry.after.Names());
    if (entry.afterUnverified)
        return Stop(ChangeResult::NotReadBack, upper,
                    ListOf(owner, device, upper) + L" were written, but could not be read back (" +
                        ErrorText(failure) + L"). The change is recorded in the change journal as written: " +
                        StateText(wanted) + L".");
    if (!written || !SameListState(device != nullptr, entry.after, wanted))
        return Stop(ChangeResult::StoredOtherwise, upper,
                    ListOf(owner, device, upper) + L" as stored differ from what was written. " +
                        HoldsText(entry.after) + L" The change is recorded in the change journal.");
    return {};
}

std::wstring TargetOfEntry(const JournalEntry& entry) {
    return entry.deviceId.empty() ? L"class " + entry.classGuid : L"device " + entry.deviceId;
}

// The journal file's size, which only grows while entries are appended; false when it
// cannot be opened (no journal yet).
bool JournalSize(const Journal& journal, uint64_t* size) {
    JournalFile file;
    return file.OpenToRead(journal.Path()) == kErrSuccess && file.Size(size) == kErrSuccess;
}


// The records a journal entry names; no owner when they are not among those shown.
struct EntryRecord {
    CDriverClass* owner = nullptr;
    CDevice* device = nullptr;
};

EntryRecord RecordOfEntry(const DriverClassList& classes, const JournalEntry& change) {
    EntryRecord record;
    FilterTarget where{};
    if (!ParseGuid(change.classGuid, &where.classGuid)) return record;
    where.instanceId = change.deviceId;
    where.upper = change.upper;
    record.owner = FindClassRecord(classes, where.classGuid);
    if (record.owner && where.IsDevice()) {
        record.device = FindDeviceRecord(classes, where);
        if (!record.device) record.owner = nullptr;
    }
    return record;
}

// An undo may write only over what the change left (a device's list by its names).
bool HoldsWhatChangeLeft(const CDevice* device, const JournalEntry& change, const StoredList& current) {
    return device ? SameListState(true, current, change.after) : StillAsChanged(change, current);
}

std::wstring RestoreQuestion(const JournalEntry& change, const EntryRecord& record) {
    StringList names = change.before.HoldsOtherType() ? StringList{} : change.before.Names();
    std::wstring question = L"Restore the " + ListTitle(change.upper) + L" of " + TargetName(*record.owner, record.device) +
                            (change.before.HoldsOtherType() && !record.device ? L" to: " + StateText(change.before) + L"?"
                             : names.empty()                                 ? L" to an empty list?"
                                                                             : L" to: " + JoinList(names) + L"?");
    if (TypeCannotBeKept(record.device, change.before))
        question += L"\n\nThe list was stored as " + RegistryTypeName(change.before.type) +
                    L"; a device's list can only be stored as REG_MULTI_SZ, so its names are restored as that.";
    return question;
}

// The next change older than `stuck` (of those an undo may reverse, newest first) whose
// list still holds what it left; null when there is none.
const JournalEntry* OlderThatApplies(const DriverClassList& classes, const std::vector<const JournalEntry*>& undoable,
                                     const JournalEntry& stuck) {
    auto at = std::find(undoable.begin(), undoable.end(), &stuck);
    for (auto it = at == undoable.end() ? at : at + 1; it != undoable.end(); ++it) {
        EntryRecord record = RecordOfEntry(classes, **it);
        StoredList current;
        if (record.owner && ReadState(*record.owner, record.device, (*it)->upper, &current) &&
            HoldsWhatChangeLeft(record.device, **it, current))
            return *it;
    }
    return nullptr;
}

// Undoes one entry of `undoable`. The list it brings back is checked as a new list is.
// When its list was changed since, nothing is written; the user is told which change is
// stuck and, with `offerOlder`, asked (Yes/No) whether to undo the next older change that
// still applies instead.
ChangeOutcome UndoEntry(const DriverClassList& classes, bool ask, bool offerOlder,
                        const std::vector<const JournalEntry*>& undoable, const JournalEntry& change,
                        UndoneTarget* target, const ChangeContext& context) {
    const EntryRecord record = RecordOfEntry(classes, change);
    CDriverClass* owner = record.owner;
    CDevice* device = record.device;
    if (!owner)
        return Tell(ChangeResult::TargetGone,
                    L"Change #" + std::to_wstring(change.id) + L" cannot be undone: the " + ListTitle(change.upper) +
                        L" of " + TargetOfEntry(change) + L" are not among the classes and devices shown.",
                    kStop);
    // A name that is no installed service (or cannot work as a filter) stops it.
    FilterTarget where{owner->GetGuid(), device ? change.deviceId : std::wstring(), change.upper};
    // A value of another type than a list brings back no names the platform would load.
    ListValidation validation =
        ValidateNewList(&where, change.before.HoldsOtherType() ? StringList{} : change.before.Names());
    if (validation.Refused())
        return Tell(ChangeResult::Refused,
                    L"Change #" + std::to_wstring(change.id) + L" cannot be undone: the list it would bring back "
                        L"does not pass the check.\n\n" + validation.refusal + L"\n\nNothing was written.",
                    validation.refusalType);
    if (ask) {
        const std::wstring question = RestoreQuestion(change, record);
        if (Messages().ShowMessage(question, kMbYesNo | kMbIconQuestion) != kIdYes)
            return ChangeOutcome{ChangeResult::Declined, question};
    }
    if (target) *target = UndoneTarget{owner, device, change.upper, change, 0};
    // One writer at a time from here to the entry. Another may have undone this change
    // while the question was open: the journal is read again under the lock.
    const Journal* journal = nullptr;
    JournalLock lock;
    ChangeOutcome taken = TakeJournal(change.upper, &journal, &lock);
    if (!taken) return taken;
    bool still = false;
    {
        JournalContents contents = journal->Read();
        if (contents.error.empty())
            for (const JournalEntry* entry : UndoableEntries(contents.entries, context.hive, context.hiveComputer))
                still = still || (entry->id == change.id && entry->time == change.time);
    }
    if (!still) {
        lock.Release();
        return Tell(ChangeResult::UndoneMeanwhile,
                    L"Change #" + std::to_wstring(change.id) +
                        L" can no longer be undone: another writer undid it meanwhile.\n\nNothing was written.",
                    kStop);
    }
    StoredList current;
    long failure = kErrSuccess;
    if (!ReadState(*owner, device, change.upper, &current, &failure)) {
        lock.Release();
        return Stop(ChangeResult::ReadFailed, change.upper,
                    CannotReadText(*owner, device, change.upper, failure) + L"\n\nNothing was written.");
    }
    if (!HoldsWhatChangeLeft(device, change, current)) {
        lock.Release();
        ReplaceRecord(*owner, device, change.upper, current.Names());
        const std::wstring refusal = L"Change #" + std::to_wstring(change.id) + L" cannot be undone. " +
                                     ListOf(*owner, device, change.upper) +
                                     L" were changed since this program changed them (by whom is unknown). " +
                                     HoldsText(current) + L"\n\nNothing was written.";
        const JournalEntry* older = OlderThatApplies(classes, undoable, change);
        if (target && older) target->olderApplicable = older->id;
        if (!older || !offerOlder) return Tell(ChangeResult::ChangedOutside, refusal, kStop);
        const std::wstring offer = refusal + L"\n\nChange #" + std::to_wstring(older->id) +
                                   L" still applies. Undo it instead? " +
                                   RestoreQuestion(*older, RecordOfEntry(classes, *older));
        if (Messages().ShowMessage(offer, kMbYesNo | kMbIconExclamation | kMbDefButton2) != kIdYes)
            return ChangeOutcome{ChangeResult::ChangedOutside, offer};
        return UndoEntry(classes, false, false, undoable, *older, target, context);
    }
    return WriteJournalled(*owner, device, change.upper, current, RestoredState(device, change.before),
                           UndoEntryFor(change), *journal, lock);
}
}  // namespace

const Journal* ChangeJournal(std::wstring* error) {
    error->clear();
    if (g_journal) return g_journal;
    static std::unique_ptr<Journal> standard;
    static std::wstring standardError;
    if (!standard) {
        std::wstring path = Journal::DefaultPath(&standardError);
        if (path.empty()) {
            *error = standardError;
            return nullptr;
        }
        standard = std::make_unique<Journal>(path);
    }
    return standard.get();
}

const Journal* SetChangeJournal(const Journal* journal) {
    const Journal* previous = g_journal;
    g_journal = journal;
    return previous;
}

std::wstring FilterStoreFailureText(bool upper) {
    return upper ? L"Unable to Modify Upper Filters" : L"Unable to Modify Lower Filters";
}

ChangeOutcome FilterStoreFailure(bool upper) {
    return Tell(ChangeResult::WriteFailed, FilterStoreFailureText(upper), kMbOkCancel | kMbIconHand);
}

std::wstring ListTitle(bool upper) { return upper ? L"Upper Filters" : L"Lower Filters"; }

std::wstring StateText(const StoredList& state) {
    if (!state.present) return L"(no value)";
    if (state.HoldsOtherType()) return state.OtherTypeText();
    StringList names = state.Names();
    return names.empty() ? L"(empty)" : JoinList(names);
}

std::wstring OriginText(const JournalEntry& entry) {
    if (entry.origin == ChangeOrigin::Undo) return L"undo of #" + std::to_wstring(entry.undoes);
    return OriginName(entry);
}

ChangeOutcome StoreFilterList(CDriverClass& owner, CDevice* device, bool upper, const StringList& names,
                              const ChangeContext& context) {
    // An empty entry would end the stored list early and hide the names after it.
    if (!IsStorableFilterList(names) || (device && device->GetClass() != &owner)) return FilterStoreFailure(upper);

    // One writer at a time from here to the entry: no other can change the list between
    // this read and the write.
    const Journal* journal = nullptr;
    JournalLock lock;
    ChangeOutcome taken = TakeJournal(upper, &journal, &lock);
    if (!taken) return taken;
    // What the registry holds now, not what was read at start.
    StoredList stored;
    long failure = kErrSuccess;
    if (!ReadState(owner, device, upper, &stored, &failure)) {
        lock.Release();
        return Stop(ChangeResult::ReadFailed, upper,
                    CannotReadText(owner, device, upper, failure) + L"\n\nNothing was written.");
    }
    const StringList storedNames = stored.Names();
    const StringList& shown = device ? device->GetFilters(upper) : owner.GetFilters(upper);
    if (storedNames != shown) {
        lock.Release();
        ReplaceRecord(owner, device, upper, storedNames);
        return Tell(ChangeResult::ChangedOutside, ChangedOutsideText(owner, device, upper, storedNames), kStop);
    }
    JournalEntry entry;
    entry.origin = context.origin;
    entry.hive = context.hive;
    entry.hiveComputer = context.hiveComputer;
    return WriteJournalled(owner, device, upper, stored, ListState(names), std::move(entry), *journal, lock);
}

bool HasFilterChangeToUndo(const ChangeContext& context) {
    std::wstring error;
    const Journal* journal = ChangeJournal(&error);
    uint64_t size = 0;
    if (!journal || !JournalSize(*journal, &size)) return false;
    // Asked whenever the menu is drawn: the journal is read again only when it grew.
    static std::wstring seenPath, seenHive;
    static uint64_t seenSize = ~0ull;
    static bool seenAnswer = false;
    const std::wstring installation = context.hive + L'|' + context.hiveComputer;
    if (journal->Path() != seenPath || installation != seenHive || size != seenSize) {
        JournalContents contents = journal->Read();
        // An entry of an unknown origin in the way counts: the undo then says why it stops.
        seenAnswer = NextToUndo(contents.entries, context.hive, context.hiveComputer) ||
                     UnknownOriginInTheWay(contents.entries, 0, context.hive, context.hiveComputer);
        seenPath = journal->Path();
        seenHive = installation;
        seenSize = size;
    }
    return seenAnswer;
}

ChangeOutcome UndoLastFilterChange(const DriverClassList& classes, bool ask, UndoneTarget* target,
                                   const ChangeContext& context) {
    return UndoFilterChange(classes, ask, UndoRequest{}, target, context);
}

ChangeOutcome UndoFilterChange(const DriverClassList& classes, bool ask, const UndoRequest& request,
                               UndoneTarget* target, const ChangeContext& context) {
    std::wstring error;
    const Journal* journal = ChangeJournal(&error);
    if (!journal) return Tell(ChangeResult::JournalFailed, error, kStop);
    JournalContents contents = journal->Read();
    if (!contents.error.empty()) return Tell(ChangeResult::JournalFailed, contents.error, kStop);
    if (const JournalEntry* unknown =
            UnknownOriginInTheWay(contents.entries, request.id, context.hive, context.hiveComputer)) {
        return Tell(ChangeResult::Refused,
                    L"Change #" + std::to_wstring(unknown->id) + L" cannot be undone: it was recorded with the origin \"" +
                        unknown->originName + L"\", which this program does not know, so what undoing it would do is "
                        L"unknown. Nothing was written.",
                    kStop);
    }
    const std::vector<const JournalEntry*> undoable =
        UndoableEntries(contents.entries, context.hive, context.hiveComputer);
    const JournalEntry* found = EntryToUndo(undoable, request.id);
    if (!found && request.id)
        return Tell(ChangeResult::NothingToUndo,
                    L"Change #" + std::to_wstring(request.id) +
                        L" cannot be undone: the change journal holds no change of that number for this "
                        L"installation that is not an undo and not undone already.",
                    kStop);
    if (!found) return Tell(ChangeResult::NothingToUndo, L"There is no filter change to undo.", kMbOk | kMbIconExclamation);
    return UndoEntry(classes, ask, request.offerOlder, undoable, *found, target, context);
}

}  // namespace qx
