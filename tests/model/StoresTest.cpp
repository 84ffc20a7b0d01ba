// Storing filter lists on the in-memory machine: what is written, what the record
// shows afterwards, and what the user is told when it fails.
#include "model/FilterStore.h"
#include "tests/support/MemoryFixture.h"
#include "tests/support/ScratchJournal.h"

using namespace qx;
using namespace qx::test;

namespace {

const ShownMessage kUpperFailed{L"Unable to Modify Upper Filters", kMbOkCancel | kMbIconHand};
const ShownMessage kLowerFailed{L"Unable to Modify Lower Filters", kMbOkCancel | kMbIconHand};

}  // namespace

class Stores : public MemoryMachineTest {
protected:
    // A class with "UpperFilters" = old and two devices, the second with upper filters.
    void SetUp() override {
        guid = AddClass(1, L"Storage", 2);
        key = MemoryMachine::ClassKeyPath(guid);
        machine.PutMultiSz(key, L"UpperFilters", {L"old"});
        machine.PutMultiSzProperty(2, spdrp::UpperFilters, {L"devold"});
        ASSERT_TRUE(Build());
        record = FindClass(guid);
        ASSERT_NE(nullptr, record);
        ASSERT_EQ(2u, record->GetDeviceList().size());
        first = record->GetDeviceList()[0].get();
        second = record->GetDeviceList()[1].get();
    }

    // A kernel driver that starts on demand: a name an undo may bring back.
    void AddService(const std::wstring& name) {
        const std::wstring path = L"System\\CurrentControlSet\\Services\\" + name;
        machine.PutDword(path, L"Type", 1);
        machine.PutDword(path, L"Start", 3);
        machine.AddFile(L"C:\\Windows\\System32\\drivers\\" + name + L".sys");
    }
    bool Said(const std::wstring& part) const {
        for (const ShownMessage& shown : messages.Shown())
            if (shown.text.find(part) != std::wstring::npos) return true;
        return false;
    }

    Guid guid;
    std::wstring key;
    CDriverClass* record = nullptr;
    CDevice* first = nullptr;
    CDevice* second = nullptr;
};

TEST_F(Stores, ClassListsAreWrittenAndDeleted) {
    ASSERT_TRUE(record->SetUpperFilters({L"a", L"bc"}));
    const StoredValue* value = machine.FindValue(key, L"UpperFilters");
    ASSERT_NE(nullptr, value);
    EXPECT_EQ(kRegMultiSz, value->type);
    EXPECT_TRUE(BytesAre(value->data, {'a', 0, 0, 0, 'b', 0, 'c', 0, 0, 0, 0, 0}));
    EXPECT_TRUE(ListIs(record->GetUpperFilters(), {L"a", L"bc"}));

    ASSERT_TRUE(record->SetLowerFilters({L"x", L"y", L"x"}));  // order and duplicates kept
    ASSERT_NE(nullptr, machine.FindValue(key, L"LowerFilters"));
    EXPECT_TRUE(BytesAre(machine.FindValue(key, L"LowerFilters")->data, MultiSzBytes({L"x", L"y", L"x"})));
    EXPECT_TRUE(ListIs(record->GetLowerFilters(), {L"x", L"y", L"x"}));

    ASSERT_TRUE(record->SetUpperFilters({}));
    EXPECT_EQ(nullptr, machine.FindValue(key, L"UpperFilters"));
    EXPECT_TRUE(record->GetUpperFilters().empty());
    EXPECT_TRUE(NoMessages(messages));
}

TEST_F(Stores, FailedClassStoresAreReportedAndChangeNothing) {
    // Nothing to delete: the lower list has no value.
    EXPECT_FALSE(record->SetLowerFilters({}));
    EXPECT_TRUE(MessagesAre(messages, {kLowerFailed}));
    EXPECT_TRUE(record->GetLowerFilters().empty());

    // The class key is deleted after the build; the answer makes no difference.
    messages.Clear();
    ASSERT_TRUE(machine.DeleteKey(key));
    MessageRecorder cancelling(kIdCancel);
    {
        MessagesGuard guard(cancelling);
        EXPECT_FALSE(record->SetUpperFilters({L"new"}));
    }
    EXPECT_FALSE(record->SetUpperFilters({}));
    // The list cannot be read: the failure says why.
    for (const MessageRecorder* shown : {&cancelling, &messages}) {
        ASSERT_EQ(1u, shown->Shown().size());
        EXPECT_EQ(0u, shown->Shown()[0].text.find(L"Unable to Modify Upper Filters\n\nThe Upper Filters of Storage "
                                                  L"could not be read: "));
    }
    EXPECT_TRUE(ListIs(record->GetUpperFilters(), {L"old"}));
    EXPECT_FALSE(machine.KeyExists(key));
}

TEST_F(Stores, ListsWithAnEmptyNameAreNeverWritten) {
    const int setsBefore = machine.Calls().valueSets;
    const int deletesBefore = machine.Calls().valueDeletes;
    EXPECT_FALSE(record->SetUpperFilters({L"a", L"", L"b"}));
    EXPECT_FALSE(record->SetLowerFilters({L""}));
    EXPECT_EQ(setsBefore, machine.Calls().valueSets);
    EXPECT_EQ(deletesBefore, machine.Calls().valueDeletes);
    EXPECT_TRUE(BytesAre(machine.FindValue(key, L"UpperFilters")->data, MultiSzBytes({L"old"})));
    EXPECT_TRUE(ListIs(record->GetUpperFilters(), {L"old"}));

    EXPECT_FALSE(second->SetUpperFilters({L"", L"x"}));
    EXPECT_FALSE(second->SetLowerFilters({L"x", L""}));
    EXPECT_EQ(0, machine.Calls().propertyWrites);
    EXPECT_TRUE(ListIs(second->GetUpperFilters(), {L"devold"}));
    EXPECT_TRUE(BytesAre(*machine.FindProperty(2, spdrp::UpperFilters), MultiSzBytes({L"devold"})));
}

TEST_F(Stores, ListsChangedOutsideAreNeverOverwritten) {
    // Another tool replaced the class's list after the build.
    machine.PutMultiSz(key, L"UpperFilters", {L"other", L"old"});
    EXPECT_FALSE(record->SetUpperFilters({L"mine"}));
    EXPECT_TRUE(BytesAre(machine.FindValue(key, L"UpperFilters")->data, MultiSzBytes({L"other", L"old"})));
    EXPECT_TRUE(ListIs(record->GetUpperFilters(), {L"other", L"old"}));  // what the form shows now
    ASSERT_EQ(1u, messages.Shown().size());
    EXPECT_EQ(kMbOk | kMbIconHand, messages.Shown()[0].flags);
    EXPECT_NE(std::wstring::npos, messages.Shown()[0].text.find(L"changed outside Quillex"));
    EXPECT_NE(std::wstring::npos, messages.Shown()[0].text.find(L"They now hold: other old."));
    // Edited again from the stored list, it is written.
    EXPECT_TRUE(record->SetUpperFilters({L"mine"}));
    EXPECT_TRUE(BytesAre(machine.FindValue(key, L"UpperFilters")->data, MultiSzBytes({L"mine"})));

    // The same for a device's list: nothing reaches the device.
    machine.PutMultiSzProperty(2, spdrp::UpperFilters, {L"devnew"});
    EXPECT_FALSE(second->SetUpperFilters({L"x"}));
    EXPECT_TRUE(machine.PropertyWrites().empty());
    EXPECT_TRUE(ListIs(second->GetUpperFilters(), {L"devnew"}));
    EXPECT_EQ(2u, messages.Shown().size());
}

TEST_F(Stores, DeviceListsAreWrittenAndClearedOnTheRightDevice) {
    ASSERT_TRUE(second->SetUpperFilters({L"a", L"bc"}));
    ASSERT_EQ(1u, machine.PropertyWrites().size());
    const PropertyWrite& write = machine.PropertyWrites()[0];
    EXPECT_EQ(2u, write.devInst);
    EXPECT_EQ(spdrp::UpperFilters, write.property);
    EXPECT_TRUE(BytesAre(write.data, {'a', 0, 0, 0, 'b', 0, 'c', 0, 0, 0, 0, 0}));
    EXPECT_TRUE(ListIs(second->GetUpperFilters(), {L"a", L"bc"}));
    EXPECT_TRUE(first->GetUpperFilters().empty());
    EXPECT_EQ(nullptr, machine.FindProperty(1, spdrp::UpperFilters));

    // An empty list clears the property: no buffer and a size of 0.
    ASSERT_TRUE(second->SetUpperFilters({}));
    ASSERT_EQ(2u, machine.PropertyWrites().size());
    EXPECT_FALSE(machine.PropertyWrites()[1].hasBuffer);
    EXPECT_TRUE(machine.PropertyWrites()[1].data.empty());
    EXPECT_TRUE(second->GetUpperFilters().empty());

    ASSERT_TRUE(first->SetLowerFilters({L"lf"}));
    EXPECT_EQ(spdrp::LowerFilters, machine.PropertyWrites()[2].property);
    EXPECT_EQ(1u, machine.PropertyWrites()[2].devInst);
    EXPECT_TRUE(ListIs(first->GetLowerFilters(), {L"lf"}));
    EXPECT_TRUE(NoMessages(messages));
}

TEST_F(Stores, RefusedDeviceWritesAreReported) {
    machine.RefusePropertyWrites(2);
    EXPECT_FALSE(second->SetUpperFilters({L"new"}));
    EXPECT_FALSE(second->SetLowerFilters({}));
    EXPECT_TRUE(MessagesAre(messages, {kUpperFailed, kLowerFailed}));
    EXPECT_TRUE(ListIs(second->GetUpperFilters(), {L"devold"}));
    EXPECT_TRUE(machine.PropertyWrites().empty());
    EXPECT_TRUE(BytesAre(*machine.FindProperty(2, spdrp::UpperFilters), MultiSzBytes({L"devold"})));

    // The other device of the class is unaffected.
    messages.Clear();
    EXPECT_TRUE(first->SetUpperFilters({L"new"}));
    EXPECT_TRUE(NoMessages(messages));
}

TEST_F(Stores, AVanishedDeviceIsNotWritten) {
    machine.Vanish(1);
    EXPECT_FALSE(first->SetUpperFilters({L"new"}));
    ASSERT_EQ(1u, messages.Shown().size());
    EXPECT_EQ(0u, messages.Shown()[0].text.find(L"Unable to Modify Upper Filters\n\nThe Upper Filters of device 0000 "
                                                L"of Storage could not be read: "));
    EXPECT_EQ(0, machine.Calls().propertyWrites);  // not even attempted
    EXPECT_TRUE(first->GetUpperFilters().empty());

    // The device behind it keeps its number and is still written.
    messages.Clear();
    EXPECT_TRUE(second->SetUpperFilters({L"new"}));
    EXPECT_TRUE(ListIs(second->GetUpperFilters(), {L"new"}));
    ASSERT_EQ(1u, machine.PropertyWrites().size());
    EXPECT_EQ(2u, machine.PropertyWrites()[0].devInst);
}

TEST_F(Stores, DeviceListsAreJournalledAndUndoneOnTheirDevice) {
    ScratchJournal journal;
    AddService(L"devold");
    ASSERT_TRUE(second->SetUpperFilters({L"new"}));
    ASSERT_TRUE(first->SetLowerFilters({L"lf"}));
    auto entries = journal.Entries();
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ(L"ROOT\\QUILLEX\\2", entries[0].deviceId);
    EXPECT_TRUE(BytesAre(entries[0].before.data, MultiSzBytes({L"devold"})));
    EXPECT_FALSE(entries[1].before.present);

    // The first device's change is the newer: its property is cleared again.
    ASSERT_TRUE(UndoLastFilterChange(classes, false)) << ::testing::PrintToString(messages.Shown());
    EXPECT_EQ(nullptr, machine.FindProperty(1, spdrp::LowerFilters));
    EXPECT_TRUE(first->GetLowerFilters().empty());
    ASSERT_TRUE(UndoLastFilterChange(classes, false)) << ::testing::PrintToString(messages.Shown());
    EXPECT_TRUE(BytesAre(*machine.FindProperty(2, spdrp::UpperFilters), MultiSzBytes({L"devold"})));
    EXPECT_TRUE(ListIs(second->GetUpperFilters(), {L"devold"}));
    EXPECT_TRUE(NoMessages(messages));
    EXPECT_EQ(4u, journal.Entries().size());
}

TEST_F(Stores, RefusedWritesAndDevicesWithoutAnIdLeaveNoEntry) {
    ScratchJournal journal;
    machine.RefusePropertyWrites(2);
    EXPECT_FALSE(second->SetUpperFilters({L"new"}));
    machine.SetInstanceId(1, L"");
    EXPECT_FALSE(first->SetUpperFilters({L"new"}));
    EXPECT_TRUE(machine.PropertyWrites().empty());
    EXPECT_TRUE(journal.Entries().empty());
    EXPECT_FALSE(HasFilterChangeToUndo());
}

// Another writer's turn comes in the middle of this one's change (after its read, before
// its write): it must wait for the whole change, not slip in and be overwritten.
TEST_F(Stores, WritersTakeTurnsOverTheWholeChange) {
    ScratchJournal journal;
    bool innerStored = true;
    machine.BeforeNextValueSet([&] { innerStored = record->SetUpperFilters({L"other"}); });
    ASSERT_TRUE(record->SetUpperFilters({L"new"}));
    EXPECT_FALSE(innerStored);
    EXPECT_TRUE(Said(L"another change is in progress"));
    EXPECT_TRUE(BytesAre(machine.FindValue(key, L"UpperFilters")->data, MultiSzBytes({L"new"})));
    auto entries = journal.Entries();
    ASSERT_EQ(1u, entries.size());
    EXPECT_TRUE(BytesAre(entries[0].before.data, MultiSzBytes({L"old"})));

    // Two undos of the same change: only one of them writes and is recorded.
    AddService(L"old");
    messages.Clear();
    bool innerUndid = true;
    machine.BeforeNextValueSet([&] { innerUndid = UndoLastFilterChange(classes, false); });
    ASSERT_TRUE(UndoLastFilterChange(classes, false)) << ::testing::PrintToString(messages.Shown());
    EXPECT_FALSE(innerUndid);
    EXPECT_TRUE(Said(L"another change is in progress"));
    entries = journal.Entries();
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ(ChangeOrigin::Undo, entries[1].origin);
    EXPECT_TRUE(ListIs(record->GetUpperFilters(), {L"old"}));
}

TEST_F(Stores, AnUndoBringsBackOnlyInstalledServices) {
    ScratchJournal journal;
    ASSERT_TRUE(record->SetUpperFilters({}));  // "old" is no service here
    EXPECT_FALSE(UndoLastFilterChange(classes, false));
    EXPECT_TRUE(Said(L"Service old could not be located in Registry.")) << ::testing::PrintToString(messages.Shown());
    EXPECT_EQ(nullptr, machine.FindValue(key, L"UpperFilters"));
    EXPECT_EQ(1u, journal.Entries().size());
    AddService(L"old");
    EXPECT_TRUE(UndoLastFilterChange(classes, false));
    EXPECT_TRUE(BytesAre(machine.FindValue(key, L"UpperFilters")->data, MultiSzBytes({L"old"})));
}

namespace {

bool Says(const MessageRecorder& messages, const wchar_t* part) {
    for (const ShownMessage& shown : messages.Shown())
        if (shown.text.find(part) != std::wstring::npos) return true;
    return false;
}

}  // namespace

TEST_F(Stores, FailedReadsAreNeverTakenForNoValue) {
    ScratchJournal journal;
    // Before the write: the reason stops it (not "changed outside; the list is now empty").
    machine.FailPropertyRead(2, spdrp::UpperFilters);
    EXPECT_FALSE(second->SetUpperFilters({L"new"}));
    EXPECT_TRUE(Says(messages, L"could not be read")) << messages.Shown().size();
    EXPECT_FALSE(Says(messages, L"changed outside"));
    EXPECT_TRUE(ListIs(second->GetUpperFilters(), {L"devold"}));
    EXPECT_TRUE(machine.PropertyWrites().empty());

    // After the write: reported as written but unread, recorded as intended and flagged.
    messages.Clear();
    machine.FailPropertyReadsAfterWrite(1, kErrAccessDenied);
    EXPECT_FALSE(first->SetUpperFilters({L"new"}));
    EXPECT_TRUE(Says(messages, L"were written, but could not be read back"));
    auto entries = journal.Entries();
    ASSERT_EQ(1u, entries.size());
    EXPECT_TRUE(entries[0].afterUnverified);
    EXPECT_FALSE(entries[0].before.present);
    EXPECT_TRUE(ListIs(entries[0].after.Names(), {L"new"}));
    EXPECT_TRUE(ListIs(first->GetUpperFilters(), {L"new"}));
}

// A write that failed and cannot be read back: while the user reads why, the journal is
// free for every other writer.
TEST_F(Stores, AFailedWriteIsToldWithTheJournalFree) {
    ScratchJournal journal;
    struct LockProbe : IMessageSink {
        const Journal* journal = nullptr;
        bool free = false;
        int ShowMessage(const std::wstring&, unsigned) override {
            JournalLock lock;
            std::wstring error;
            free = journal->Lock(&lock, &error);
            return kIdOk;
        }
    } probe;
    probe.journal = &journal.Get();
    machine.RefusePropertyWrites(2);
    machine.FailPropertyReadsAfterWrite(2, kErrAccessDenied);
    MessagesGuard answered(probe);
    EXPECT_FALSE(second->SetUpperFilters({L"new"}));
    EXPECT_TRUE(probe.free);
    EXPECT_TRUE(journal.Entries().empty());
}

// The device setup stores every list as REG_MULTI_SZ: a REG_SZ list comes back by its
// names, and an empty value it left is recorded as present.
TEST_F(Stores, ADeviceListOfAnotherTypeIsUndoneByItsNames) {
    ScratchJournal journal;
    machine.PutProperty(1, spdrp::UpperFilters, kRegSz, Utf16Bytes(L"devsz"));
    machine.PutProperty(2, spdrp::LowerFilters, kRegMultiSz, {});
    AddService(L"devsz");  // an undo brings back installed services only
    ReleaseDriverClasses(classes);
    ASSERT_TRUE(Build());
    CDriverClass* storage = FindClass(guid);
    ASSERT_NE(nullptr, storage);
    CDevice* one = storage->GetDeviceList()[0].get();
    CDevice* two = storage->GetDeviceList()[1].get();
    ASSERT_TRUE(ListIs(one->GetUpperFilters(), {L"devsz"}));
    ASSERT_TRUE(one->SetUpperFilters({L"new"}));
    ASSERT_TRUE(two->SetLowerFilters({L"lf"}));
    auto entries = journal.Entries();
    ASSERT_EQ(2u, entries.size());
    EXPECT_TRUE(entries[1].before.present);
    EXPECT_TRUE(entries[1].before.data.empty());

    ASSERT_TRUE(UndoLastFilterChange(classes, false));
    EXPECT_NE(nullptr, machine.FindProperty(2, spdrp::LowerFilters));  // present again, not deleted
    EXPECT_TRUE(two->GetLowerFilters().empty());
    MessageRecorder yes(kIdYes);
    MessagesGuard answered(yes);
    ASSERT_TRUE(UndoLastFilterChange(classes, true));
    EXPECT_TRUE(Says(yes, L"stored as REG_SZ"));
    EXPECT_TRUE(ListIs(one->GetUpperFilters(), {L"devsz"}));
    ASSERT_NE(nullptr, machine.FindProperty(1, spdrp::UpperFilters));
    EXPECT_TRUE(BytesAre(*machine.FindProperty(1, spdrp::UpperFilters), MultiSzBytes({L"devsz"})));
}

// An undo whose list was changed since names its change and offers the next older one
// that still applies; by its number a change is undone or refused as it stands.
TEST_F(Stores, AStuckUndoNamesItsChangeAndOffersTheNextOlder) {
    ScratchJournal journal;
    AddService(L"old");
    AddService(L"devold");
    ASSERT_TRUE(record->SetUpperFilters({L"a"}));   // #1
    ASSERT_TRUE(second->SetUpperFilters({L"b"}));   // #2
    machine.PutMultiSzProperty(2, spdrp::UpperFilters, {L"outside"});
    EXPECT_FALSE(UndoFilterChange(classes, false, UndoRequest{2, false}));
    EXPECT_FALSE(UndoFilterChange(classes, false, UndoRequest{9, false}));
    EXPECT_TRUE(Says(messages, L"Change #2 cannot be undone."));
    EXPECT_TRUE(Says(messages, L"Change #9 cannot be undone"));
    EXPECT_TRUE(ListIs(record->GetUpperFilters(), {L"a"}));

    MessageRecorder yes(kIdYes);
    MessagesGuard answered(yes);
    UndoneTarget undone;
    ASSERT_TRUE(UndoFilterChange(classes, true, UndoRequest{0, true}, &undone));
    EXPECT_EQ(1u, undone.change.id);
    EXPECT_TRUE(Says(yes, L"Change #1 still applies. Undo it instead?"));
    EXPECT_TRUE(ListIs(record->GetUpperFilters(), {L"old"}));
    EXPECT_TRUE(BytesAre(machine.FindValue(key, L"UpperFilters")->data, MultiSzBytes({L"old"})));
}

// What a caller reads of a change that was not made: a refusal, or a failure (a script
// exits 3 for the one, 4 for the other), with the sentence the user was told.
TEST_F(Stores, OutcomesTellRefusalsFromFailures) {
    {
        ScratchJournal journal;
        const ChangeOutcome nothing = UndoLastFilterChange(classes, false);
        EXPECT_EQ(ChangeResult::NothingToUndo, nothing.result);
        EXPECT_FALSE(nothing.Failed());
    }
    // A journal whose folder is a file: not a refusal, though its sentence does not start
    // with "Unable to Modify".
    const std::wstring file = ScratchJournal::FreshPath();
    {
        ScratchJournal journal(file + L"\\changes.jsonl");
        messages.Clear();
        const ChangeOutcome undo = UndoLastFilterChange(classes, false);
        EXPECT_EQ(ChangeResult::JournalFailed, undo.result);
        EXPECT_TRUE(undo.Failed());
        EXPECT_TRUE(MessagesAre(messages, {{undo.sentence, kMbOk | kMbIconHand}}));
        EXPECT_EQ(ChangeResult::JournalFailed, record->SetUpperFilters({L"new"}).result);
    }
    DeleteFileW(file.c_str());
    EXPECT_TRUE(ListIs(record->GetUpperFilters(), {L"old"}));
}
