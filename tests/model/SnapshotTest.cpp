// The snapshot of a driver key on the in-memory machine, where values and subkeys
// enumerate in the order they were made (Wine sorts them; see the integration tests).
#include "model/TextForms.h"
#include "tests/support/MemoryFixture.h"

using namespace qx;
using namespace qx::test;

namespace {

const wchar_t kRoot[] = L"System\\CurrentControlSet\\Control\\Class\\{C1A55001-1234-5678-9ABC-DEF012345678}\\0000";

std::wstring Sub(const std::wstring& relative) { return std::wstring(kRoot) + L"\\" + relative; }

// "path|name" for each row, in snapshot order.
StringList RowNames(const CRegistrySnapshot& snapshot) {
    StringList names;
    for (const auto& row : snapshot.GetRows()) names.push_back(row->GetKeyPath() + L"|" + row->GetValueName());
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
    EXPECT_EQ(kRegBinary, rows[1]->GetType());
    EXPECT_TRUE(BytesAre({rows[1]->GetData(), rows[1]->GetData() + rows[1]->GetDataLength()}, {1, 2, 3}));
    EXPECT_EQ(kRegDword, rows[3]->GetType());
    EXPECT_TRUE(BytesAre({rows[3]->GetData(), rows[3]->GetData() + rows[3]->GetDataLength()}, DwordBytes(7)));
    EXPECT_EQ(kRegMultiSz, rows[4]->GetType());
    EXPECT_TRUE(BytesAre({rows[4]->GetData(), rows[4]->GetData() + rows[4]->GetDataLength()},
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

TEST_F(Snapshot, ValuesTooLargeOrTooLongEndTheirKey) {
    machine.PutValue(kRoot, L"ok", kRegBinary, std::vector<uint8_t>(1, 1));
    machine.PutValue(kRoot, L"exactly4096", kRegBinary, std::vector<uint8_t>(4096, 2));
    machine.PutValue(kRoot, L"big", kRegBinary, std::vector<uint8_t>(4097, 3));
    machine.PutValue(kRoot, L"after", kRegBinary, std::vector<uint8_t>(1, 4));
    const std::wstring name259(259, L'n');
    const std::wstring name260(260, L'm');
    machine.PutString(Sub(L"Names"), name259, L"fits");
    machine.PutString(Sub(L"Names"), name260, L"too long");
    machine.PutString(Sub(L"Names"), L"after", L"missing");
    machine.PutString(Sub(L"Names\\Child"), L"child", L"still walked");

    auto snapshot = Take();
    ASSERT_NE(nullptr, snapshot);
    EXPECT_TRUE(ListIs(RowNames(*snapshot), {L"|ok", L"|exactly4096", L"Names|" + name259, L"Names\\Child|child"}));
    ASSERT_EQ(4u, snapshot->GetRows().size());
    EXPECT_EQ(4096u, snapshot->GetRows()[1]->GetDataLength());
}

TEST_F(Snapshot, OddDataNeverBreaksTheWalk) {
    machine.PutValue(kRoot, L"zero", kRegSz, {});
    machine.PutValue(kRoot, L"odd", kRegSz, {'a', 0, 'b'});
    machine.PutValue(kRoot, L"dword", kRegDword, {9});
    machine.PutValue(kRoot, L"megabyte", kRegBinary, std::vector<uint8_t>(1024 * 1024, 0xEE));
    machine.PutValue(kRoot, L"behind", kRegSz, Utf16Bytes(L"x"));
    // 100 keys, each inside the one before, each with one value.
    std::wstring path = kRoot;
    std::wstring relative;
    for (int depth = 1; depth <= 100; ++depth) {
        path += L"\\k";
        relative += relative.empty() ? L"k" : L"\\k";
        machine.PutDword(path, L"depth", static_cast<uint32_t>(depth));
    }

    auto snapshot = Take();
    ASSERT_NE(nullptr, snapshot);
    const auto& rows = snapshot->GetRows();
    ASSERT_EQ(3u + 100u, rows.size());
    EXPECT_EQ(L"zero", rows[0]->GetValueName());
    EXPECT_EQ(0u, rows[0]->GetDataLength());
    EXPECT_EQ(3u, rows[1]->GetDataLength());
    EXPECT_EQ(1u, rows[2]->GetDataLength());
    // The megabyte value and the one behind it are left out.
    EXPECT_EQ(L"k", rows[3]->GetKeyPath());
    EXPECT_EQ(relative, rows.back()->GetKeyPath());
    EXPECT_TRUE(BytesAre({rows.back()->GetData(), rows.back()->GetData() + 4}, DwordBytes(100)));
    EXPECT_EQ(0, machine.OpenKeyCount());
}
