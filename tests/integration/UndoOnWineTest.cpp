// Changes journalled and undone on Wine's real registry: what undo writes back is read
// with the platform's own functions, byte for byte.
#include "model/FilterStore.h"
#include "model/TextForms.h"
#include "tests/support/ScratchJournal.h"
#include "tests/support/WineFixture.h"

using namespace qx;
using namespace qx::test;
using namespace qx::test::wine;

namespace {

std::vector<uint8_t> WideBytes(const std::wstring& text, bool terminated) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(text.c_str());
    return std::vector<uint8_t>(p, p + (text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
}

bool HasMessage(const MessageRecorder& messages, const std::wstring& part) {
    for (const auto& shown : messages.Shown())
        if (shown.text.find(part) != std::wstring::npos) return true;
    return false;
}

}  // namespace

class UndoOnWine : public WineTest {
protected:
    // UpperFilters a REG_SZ without its terminating zero, as a hand-made value may be;
    // no LowerFilters.
    void SetUp() override {
        ASSERT_TRUE(scratch.IsValid());
        // Wine takes a zero just past the data as the string's end: past it lies a letter.
        std::vector<uint8_t> unterminated = WideBytes(k.Name() + L"!", false);
        unterminated.resize(original.size());
        ASSERT_TRUE(WriteValue(scratch.KeyPath(), L"UpperFilters", REG_SZ, unterminated));
        ASSERT_TRUE(Build());
        record = FindClass(scratch.ModelGuid());
        ASSERT_NE(nullptr, record);
        ASSERT_TRUE(ListIs(record->GetUpperFilters(), {k.Name()}));
    }

    // Installed services: an undo brings back only names that pass the check.
    ScratchService k{L"QxUndoK", true}, a{L"QxUndoA", true}, b{L"QxUndoB", true};
    const std::vector<uint8_t> original = WideBytes(k.Name(), false);
    ScratchClass scratch;
    ScratchJournal journal;
    CDriverClass* record = nullptr;
};

TEST_F(UndoOnWine, ARegSzListComesBackWithItsBytesAndUndosGoBackInTurn) {
    ASSERT_TRUE(record->SetUpperFilters({a.Name(), b.Name()}));
    ASSERT_TRUE(record->SetUpperFilters({L"c"}));
    auto entries = journal.Entries();
    ASSERT_EQ(2u, entries.size());
    const JournalEntry& first = entries[0];
    EXPECT_EQ(GuidText(scratch.ModelGuid()), first.classGuid);
    EXPECT_TRUE(first.deviceId.empty());
    EXPECT_TRUE(first.upper);
    EXPECT_EQ(ChangeOrigin::Program, first.origin);
    EXPECT_FALSE(first.time.empty());
    EXPECT_TRUE(first.before.present);
    EXPECT_EQ(kRegSz, first.before.type);
    EXPECT_TRUE(BytesAre(first.before.data, original));
    EXPECT_EQ(kRegMultiSz, first.after.type);
    EXPECT_TRUE(BytesAre(first.after.data, MultiSzBytes({a.Name(), b.Name()})));
    EXPECT_TRUE(HasFilterChangeToUndo());

    // The newest change first, then the one before it.
    ASSERT_TRUE(UndoLastFilterChange(classes, false));
    RegValue value;
    ASSERT_TRUE(ReadValue(scratch.KeyPath(), L"UpperFilters", &value));
    EXPECT_TRUE(BytesAre(value.data, MultiSzBytes({a.Name(), b.Name()})));
    ASSERT_TRUE(UndoLastFilterChange(classes, false));
    ASSERT_TRUE(ReadValue(scratch.KeyPath(), L"UpperFilters", &value));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), value.type);
    EXPECT_TRUE(BytesAre(value.data, original));
    EXPECT_TRUE(ListIs(record->GetUpperFilters(), {k.Name()}));
    EXPECT_TRUE(NoMessages(messages));

    entries = journal.Entries();
    ASSERT_EQ(4u, entries.size());
    EXPECT_EQ(ChangeOrigin::Undo, entries[3].origin);
    EXPECT_EQ(1u, entries[3].undoes);
    EXPECT_TRUE(BytesAre(entries[3].after.data, original));
    EXPECT_EQ(kRegSz, entries[3].after.type);

    // Every change is undone: nothing more to do, and nothing written.
    EXPECT_FALSE(HasFilterChangeToUndo());
    EXPECT_FALSE(UndoLastFilterChange(classes, false));
    EXPECT_TRUE(HasMessage(messages, L"There is no filter change to undo."));
    EXPECT_EQ(4u, journal.Entries().size());
}

TEST_F(UndoOnWine, AnAbsentValueComesBackAbsentAfterTheQuestion) {
    ASSERT_TRUE(record->SetLowerFilters({L"x"}));
    MessageRecorder no(kIdNo);
    {
        MessagesGuard guard(no);
        EXPECT_FALSE(UndoLastFilterChange(classes, true));
    }
    ASSERT_EQ(1u, no.Shown().size());
    EXPECT_EQ(L"Restore the Lower Filters of " + record->GetDescription() + L" to an empty list?", no.Shown()[0].text);
    RegValue value;
    EXPECT_TRUE(ReadValue(scratch.KeyPath(), L"LowerFilters", &value));

    MessageRecorder yes(kIdYes);
    MessagesGuard guard(yes);
    ASSERT_TRUE(UndoLastFilterChange(classes, true));
    EXPECT_FALSE(ReadValue(scratch.KeyPath(), L"LowerFilters", &value));
    EXPECT_TRUE(record->GetLowerFilters().empty());
    auto entries = journal.Entries();
    ASSERT_EQ(2u, entries.size());
    EXPECT_FALSE(entries[0].before.present);
    EXPECT_FALSE(entries[1].after.present);
}

TEST_F(UndoOnWine, AListChangedBehindOurBackIsNotUndone) {
    ASSERT_TRUE(record->SetUpperFilters({L"a"}));
    ASSERT_TRUE(WriteValue(scratch.KeyPath(), L"UpperFilters", REG_MULTI_SZ, MultiSzBytes({L"other"})));
    EXPECT_FALSE(UndoLastFilterChange(classes, false));
    RegValue value;
    ASSERT_TRUE(ReadValue(scratch.KeyPath(), L"UpperFilters", &value));
    EXPECT_TRUE(BytesAre(value.data, MultiSzBytes({L"other"})));
    EXPECT_TRUE(HasMessage(messages, L"were changed since this program changed them (by whom is unknown). "
                                     L"They now hold: other."));
    EXPECT_TRUE(ListIs(record->GetUpperFilters(), {L"other"}));
    EXPECT_EQ(1u, journal.Entries().size());
}

TEST_F(UndoOnWine, AJournalThatCannotBeWrittenBlocksTheChange) {
    // A file stands where the journal's folder should be.
    const std::wstring file = ScratchJournal::FreshPath();
    ScratchJournal blocked(file + L"\\changes.jsonl");
    EXPECT_FALSE(record->SetUpperFilters({L"new"}));
    EXPECT_TRUE(HasMessage(messages, L"stands where its folder should be."));
    EXPECT_TRUE(HasMessage(messages, L"Nothing was written"));
    RegValue value;
    ASSERT_TRUE(ReadValue(scratch.KeyPath(), L"UpperFilters", &value));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), value.type);
    EXPECT_TRUE(BytesAre(value.data, original));
    EXPECT_TRUE(ListIs(record->GetUpperFilters(), {k.Name()}));
    DeleteFileW(file.c_str());
}
