// The snapshot of a driver key on the in-memory machine, where values and subkeys
// enumerate in the order they were made (Wine sorts them). The size limits and odd
// data are tested on Wine's registry (ScratchClassTest, BadInputTest).
#include "tests/support/MemoryFixture.h"

using namespace qx;
using namespace qx::test;

namespace {

const wchar_t kRoot[] = L"System\\CurrentControlSet\\Control\\Class\\{C1A55001-1234-5678-9ABC-DEF012345678}\\0000";

std::wstring Sub(const std::wstring& relative) { return std::wstring(kRoot) + L"\\" + relative; }

// "path|name" for each row, in snapshot order.
StringList RowNames(const CRegistrySnapshot& snapshot) {
    StringList names;
    for (const auto& row : snapshot.GetRows()) names.push_back(row.GetKeyPath() + L"|" + row.GetValueName());
    return names;
}

}  // namespace

class Snapshot : public MemoryMachineTest {
protected:
    // Takes a snapshot of kRoot as the device build does.
    std::unique_ptr<CRegistrySnapshot> Take() {
        KeyHandle key = nullptr;
        if (machine.OpenKey(kRoot, kKeyRead, &key) != kErrSuccess) return nullptr;
        auto snapshot = std::make_unique<CRegistrySnapshot>(kRoot);
        EXPECT_EQ(0, snapshot->Take(key));
        machine.CloseKey(key);
        return snapshot;
    }
};

TEST_F(Snapshot, DepthFirstWithRelativePathsAndExactCopies) {
    machine.PutString(kRoot, L"DriverDesc", L"Scratch");
    machine.PutValue(kRoot, L"", kRegBinary, {1, 2, 3});  // the default value
    machine.PutDword(Sub(L"Parameters"), L"Level", 7);
    machine.PutValue(Sub(L"Parameters\\Sub"), L"Deep", kRegMultiSz, MultiSzBytes({L"x", L"y"}));
    machine.CreateKey(Sub(L"Parameters\\Sub\\Empty"));
    machine.PutString(Sub(L"Parameters\\Later"), L"L", L"l");
    machine.PutString(Sub(L"Zeta"), L"Z", L"z");   // made before Alpha: enumerated first
    machine.PutString(Sub(L"Alpha"), L"A", L"a");
    machine.PutString(kRoot, L"Last", L"after the subkeys were made");

    auto snapshot = Take();
    ASSERT_NE(nullptr, snapshot);
    EXPECT_EQ(kRoot, snapshot->GetRootPath());
    EXPECT_TRUE(ListIs(RowNames(*snapshot), {L"|DriverDesc", L"|", L"|Last", L"Parameters|Level",
                                             L"Parameters\\Sub|Deep", L"Parameters\\Later|L", L"Zeta|Z",
                                             L"Alpha|A"}));
    const auto& rows = snapshot->GetRows();
    ASSERT_EQ(8u, rows.size());
    EXPECT_EQ(kRegBinary, rows[1].GetType());
    EXPECT_TRUE(BytesAre({rows[1].GetData(), rows[1].GetData() + rows[1].GetDataLength()}, {1, 2, 3}));
    EXPECT_EQ(kRegDword, rows[3].GetType());
    EXPECT_TRUE(BytesAre({rows[3].GetData(), rows[3].GetData() + rows[3].GetDataLength()}, DwordBytes(7)));
    EXPECT_EQ(kRegMultiSz, rows[4].GetType());
    EXPECT_TRUE(BytesAre({rows[4].GetData(), rows[4].GetData() + rows[4].GetDataLength()},
                         MultiSzBytes({L"x", L"y"})));
    // Every subkey the walk opened was closed again.
    EXPECT_EQ(0, machine.OpenKeyCount());
}

TEST_F(Snapshot, EmptyDriverKeyGivesEmptySnapshot) {
    machine.CreateKey(kRoot);
    auto snapshot = Take();
    ASSERT_NE(nullptr, snapshot);
    EXPECT_TRUE(snapshot->GetRows().empty());
}

TEST_F(Snapshot, AnUnreadableSubkeyHidesItsLaterSiblingsOnly) {
    machine.PutString(kRoot, L"R", L"r");
    machine.PutString(Sub(L"A"), L"a", L"a");
    machine.PutString(Sub(L"A\\A1"), L"a1", L"a1");
    machine.SetKeyAccess(Sub(L"A\\A1"), KeyAccess::None);
    machine.PutString(Sub(L"A\\A2"), L"a2", L"a2");  // after the unreadable one: missing
    machine.PutString(Sub(L"D"), L"d", L"d");        // the parent's walk goes on
    machine.PutString(Sub(L"B"), L"b", L"b");
    machine.SetKeyAccess(Sub(L"B"), KeyAccess::None);
    machine.PutString(Sub(L"C"), L"c", L"c");

    auto snapshot = Take();
    ASSERT_NE(nullptr, snapshot);
    EXPECT_TRUE(ListIs(RowNames(*snapshot), {L"|R", L"A|a", L"D|d"}));

    // AddKey says whether its own subkeys were all walked.
    KeyHandle a = nullptr;
    ASSERT_EQ(kErrSuccess, machine.OpenKey(Sub(L"A"), kKeyRead, &a));
    CRegistrySnapshot direct(kRoot);
    EXPECT_FALSE(direct.AddKey(a, L"A"));
    machine.CloseKey(a);
    KeyHandle d = nullptr;
    ASSERT_EQ(kErrSuccess, machine.OpenKey(Sub(L"D"), kKeyRead, &d));
    EXPECT_TRUE(direct.AddKey(d, L"D"));
    machine.CloseKey(d);
    EXPECT_TRUE(ListIs(RowNames(direct), {L"A|a", L"D|d"}));
    EXPECT_EQ(0, machine.OpenKeyCount());
}
