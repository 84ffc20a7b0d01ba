#include "model/FilterStore.h"

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
    std::wstring name = device->GetFriendlyName().empty() ? device->GetDeviceDesc() : device->GetFriendlyName();
    std::wstring number = L"device " + DeviceNumberText(device->GetIndex()) + L" of " + owner.GetDescription();
    return name.empty() ? number : name + L" (" + number + L")";
}

std::wstring ListOf(const CDriverClass& owner, const CDevice* device, bool upper) {
    return L"The " + ListTitle(upper) + L" of " + TargetName(owner, device);
}

std::wstring HoldsText(const StringList& names) {
    return names.empty() ? L"The list is now empty." : L"They now hold: " + JoinList(names) + L".";
}

std::wstring ChangedOutsideText(const CDriverClass& owner, const CDevice* device, bool upper,
                                const StringList& stored) {
    return ListOf(owner, device, upper) + L" were changed outside Quillex after they were read. " +
           HoldsText(stored) + L"\n\nNothing was written. The list as stored is shown now; edit it again to change it.";
}

bool ShowFailure(bool upper) {
    Messages().ShowMessage(FilterStoreFailureText(upper), kMbOkCancel | kMbIconHand);
    return false;
}

void ShowStop(bool upper, const std::wstring& why) {
    Messages().ShowMessage(FilterStoreFailureText(upper) + L"\n\n" + why, kMbOk | kMbIconHand);
}

void ReplaceRecord(CDriverClass& owner, CDevice* device, bool upper, const StringList& names) {
    if (device)
        device->ReplaceFilters(upper, names);
    else
        owner.ReplaceFilters(upper, names);
}

bool ReadState(const CDriverClass& owner, const CDevice* device, bool upper, StoredList* state) {
    return device ? ReadDeviceFilters(*device, upper, state) : ReadClassFilters(owner.GetClassKey(), upper, state);
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
    static const uint8_t kNothing = 0;
    return access.SetValue(owner.GetClassKey(), valueName, state.type, data ? data : &kNothing, cb) == kErrSuccess;
}

StoredList ListState(const StringList& names) {
    StoredList state;
    if (names.empty()) return state;
    state.present = true;
    state.type = kRegMultiSz;
    state.data = BuildMultiSz(names);
    return state;
}

// Takes the change journal for one change (*journal and *lock); otherwise tells the user
// why nothing was written.
bool TakeJournal(bool upper, const Journal** journal, JournalLock* lock) {
    std::wstring error;
    *journal = ChangeJournal(&error);
    if (*journal && (*journal)->Lock(lock, &error)) return true;
    ShowStop(upper, error + L"\n\nNothing was written: no change is made without its record.");
    return false;
}

// Writes `wanted` over `before` (what the registry was just read to hold, under the
// journal's lock) and journals the change with the state read back after the write. No
// change stays without its entry: when the entry cannot be appended after the write,
// `before` is written back. The record takes the list as stored. `entry` brings the
// origin (and for an undo the entry undone) and the hive. The lock is released before
// any message, so that no other writer waits on the user.
bool WriteJournalled(CDriverClass& owner, CDevice* device, bool upper, const StoredList& before,
                     const StoredList& wanted, JournalEntry entry, const Journal& journal, JournalLock& lock) {
    std::wstring error;
    entry.classGuid = GuidText(owner.GetGuid());
    if (device) {
        entry.deviceId = DeviceInstanceId(*device);
        if (entry.deviceId.empty()) {
            // A device without its ID has gone, or could never be found again to undo.
            lock.Release();
            return ShowFailure(upper);
        }
    }
    entry.upper = upper;
    entry.before = before;
    entry.after = wanted;
    if (!Journal::Fits(entry)) {
        lock.Release();
        ShowStop(upper, L"The change cannot be recorded whole in the change journal " + journal.Path() +
                            L": its entry would be longer than " + std::to_wstring(Journal::kMaxLine >> 20) +
                            L" MiB.\n\nNothing was written: no change is made without its record.");
        return false;
    }

    bool written = WriteState(owner, device, upper, wanted);
    // What the registry holds now decides what is recorded; if it cannot be read back,
    // the best knowledge is what the write reported.
    if (!ReadState(owner, device, upper, &entry.after)) entry.after = written ? wanted : before;
    if (entry.after == before) {
        lock.Release();
        ReplaceRecord(owner, device, upper, before.Names());
        if (!written) ShowFailure(upper);
        return written;  // nothing changed, nothing to record
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
        if (now == before) {
            ShowStop(upper, error + L"\n\nNo change is made without its record: the list was put back as it was.");
        } else {
            ShowStop(upper, error + L"\n\nThe list could not be put back as it was. " + ListOf(owner, device, upper) +
                                L" held: " + StateText(before) + L". " + HoldsText(now.Names()) +
                                L" Restore the earlier list by hand.");
        }
        return false;
    }
    lock.Release();
    ReplaceRecord(owner, device, upper, entry.after.Names());
    if (!written || entry.after != wanted) {
        ShowStop(upper, ListOf(owner, device, upper) + L" as stored differ from what was written. " +
                            HoldsText(entry.after.Names()) + L" The change is recorded in the change journal.");
        return false;
    }
    return true;
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

std::wstring ListTitle(bool upper) { return upper ? L"Upper Filters" : L"Lower Filters"; }

std::wstring StateText(const StoredList& state) {
    if (!state.present) return L"(no value)";
    StringList names = state.Names();
    return names.empty() ? L"(empty)" : JoinList(names);
}

std::wstring OriginText(const JournalEntry& entry) {
    if (entry.origin == ChangeOrigin::Undo) return L"undo of #" + std::to_wstring(entry.undoes);
    std::string name = OriginName(entry.origin);
    return std::wstring(name.begin(), name.end());  // the names are ASCII
}

bool StoreFilterList(CDriverClass& owner, CDevice* device, bool upper, const StringList& names,
                     const ChangeContext& context) {
    auto fail = [upper] { return ShowFailure(upper); };
    // An empty entry would end the stored list early and hide the names after it.
    if (!IsStorableFilterList(names)) return fail();
    if (device && device->GetClass() != &owner) return fail();

    // One writer at a time from here to the entry: no other can change the list between
    // this read and the write.
    const Journal* journal = nullptr;
    JournalLock lock;
    if (!TakeJournal(upper, &journal, &lock)) return false;
    // What the registry holds now, not what was read at start.
    StoredList stored;
    if (!ReadState(owner, device, upper, &stored)) {
        lock.Release();
        return fail();
    }
    const StringList storedNames = stored.Names();
    const StringList& shown = device ? device->GetFilters(upper) : owner.GetFilters(upper);
    if (storedNames != shown) {
        lock.Release();
        ReplaceRecord(owner, device, upper, storedNames);
        Messages().ShowMessage(ChangedOutsideText(owner, device, upper, storedNames), kMbOk | kMbIconHand);
        return false;
    }
    JournalEntry entry;
    entry.origin = context.origin;
    entry.hive = context.hive;
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
    if (journal->Path() != seenPath || context.hive != seenHive || size != seenSize) {
        JournalContents contents = journal->Read();
        seenAnswer = NextToUndo(contents.entries, context.hive) != nullptr;
        seenPath = journal->Path();
        seenHive = context.hive;
        seenSize = size;
    }
    return seenAnswer;
}

bool UndoLastFilterChange(const DriverClassList& classes, bool ask, UndoneTarget* target,
                          const ChangeContext& context) {
    const unsigned stop = kMbOk | kMbIconHand;
    std::wstring error;
    const Journal* journal = ChangeJournal(&error);
    if (!journal) {
        Messages().ShowMessage(error, stop);
        return false;
    }
    JournalContents contents = journal->Read();
    if (!contents.error.empty()) {
        Messages().ShowMessage(contents.error, stop);
        return false;
    }
    const JournalEntry* found = NextToUndo(contents.entries, context.hive);
    if (!found) {
        Messages().ShowMessage(L"There is no filter change to undo.", kMbOk | kMbIconExclamation);
        return false;
    }
    const JournalEntry change = *found;
    FilterTarget where{};
    CDriverClass* owner = nullptr;
    CDevice* device = nullptr;
    if (ParseGuid(change.classGuid, &where.classGuid)) {
        where.instanceId = change.deviceId;
        where.upper = change.upper;
        owner = FindClassRecord(classes, where.classGuid);
        if (owner && where.IsDevice()) {
            device = FindDeviceRecord(classes, where);
            if (!device) owner = nullptr;
        }
    }
    if (!owner) {
        Messages().ShowMessage(L"The last filter change cannot be undone: the " + ListTitle(change.upper) + L" of " +
                                   TargetOfEntry(change) + L" are not among the classes and devices shown.",
                               stop);
        return false;
    }
    // The list it brings back is checked as a new list is: a name that is no installed
    // service (or cannot work as a filter) stops it.
    ListValidation validation = ValidateNewList(&where, change.before.Names());
    if (validation.Refused()) {
        Messages().ShowMessage(L"Change #" + std::to_wstring(change.id) + L" cannot be undone: the list it would "
                               L"bring back does not pass the check.\n\n" + validation.refusal +
                               L"\n\nNothing was written.", validation.refusalType);
        return false;
    }
    if (ask) {
        StringList names = change.before.Names();
        std::wstring question = L"Restore the " + ListTitle(change.upper) + L" of " + TargetName(*owner, device) +
                                (names.empty() ? L" to an empty list?" : L" to: " + JoinList(names) + L"?");
        if (Messages().ShowMessage(question, kMbYesNo | kMbIconQuestion) != kIdYes) return false;
    }
    if (target) *target = UndoneTarget{owner, device, change.upper};
    // One writer at a time from here to the entry. Another may have undone this change
    // while the question was open: the journal is read again under the lock.
    JournalLock lock;
    if (!TakeJournal(change.upper, &journal, &lock)) return false;
    contents = journal->Read();
    const JournalEntry* still = contents.error.empty() ? NextToUndo(contents.entries, context.hive) : nullptr;
    if (!still || still->id != change.id || still->time != change.time) {
        lock.Release();
        Messages().ShowMessage(L"Change #" + std::to_wstring(change.id) + L" is no longer the last change to undo: "
                               L"another writer undid it or made a change meanwhile.\n\nNothing was written.",
                               stop);
        return false;
    }
    StoredList current;
    if (!ReadState(*owner, device, change.upper, &current)) {
        lock.Release();
        return ShowFailure(change.upper);
    }
    if (!StillAsChanged(change, current)) {
        lock.Release();
        ReplaceRecord(*owner, device, change.upper, current.Names());
        Messages().ShowMessage(ListOf(*owner, device, change.upper) +
                                   L" were changed since this program changed them (by whom is unknown). " +
                                   HoldsText(current.Names()) + L"\n\nNothing was written.",
                               stop);
        return false;
    }
    return WriteJournalled(*owner, device, change.upper, current, change.before, UndoEntryFor(change), *journal, lock);
}

}  // namespace qx
