// Odd data in Wine's real registry and device properties: nothing crashes, nothing is
// read past the end of the data, and each odd value shows as recorded here.
#include <iterator>

#include "tests/support/WineFixture.h"

using namespace qx;
using namespace qx::test;
using namespace qx::test::wine;

class BadInput : public WineTest {};

TEST_F(BadInput, OddClassFilterValues) {
    ScratchClass numbers(L"Quillex Odd Filters A");
    ScratchClass sizes(L"Quillex Odd Filters B");
    ASSERT_TRUE(numbers.IsValid() && sizes.IsValid());
    // A number where a list belongs: its bytes read as characters.
    ASSERT_TRUE(WriteValue(numbers.KeyPath(), L"UpperFilters", REG_DWORD, DwordBytes(0x00420041)));
    // No terminator and an odd byte count.
    ASSERT_TRUE(WriteValue(numbers.KeyPath(), L"LowerFilters", REG_MULTI_SZ, {'a', 0, 'b', 0, 'c'}));
    // Zero bytes, and one megabyte of names read whole.
    ASSERT_TRUE(WriteValue(sizes.KeyPath(), L"UpperFilters", REG_MULTI_SZ, {}));
    std::vector<uint8_t> megabyte(1024 * 1024, 0);
    for (size_t i = 0; i + 4 <= megabyte.size() - 2; i += 4) megabyte[i] = 'm';  // "m" NUL "m" NUL ...
    ASSERT_TRUE(WriteValue(sizes.KeyPath(), L"LowerFilters", REG_MULTI_SZ, megabyte));

    ASSERT_TRUE(Build());
    CDriverClass* first = FindClass(numbers.ModelGuid());
    CDriverClass* second = FindClass(sizes.ModelGuid());
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(ListIs(first->GetUpperFilters(), {L"AB"}));
    EXPECT_TRUE(ListIs(first->GetLowerFilters(), {L"ab"}));
    EXPECT_TRUE(second->GetUpperFilters().empty());
    ASSERT_EQ(262143u, second->GetLowerFilters().size());
    EXPECT_EQ(L"m", second->GetLowerFilters().back());

    // Storing over the number replaces it with a proper list.
    ASSERT_TRUE(first->SetUpperFilters({L"fixed"}));
    RegValue value;
    ASSERT_TRUE(ReadValue(numbers.KeyPath(), L"UpperFilters", &value));
    EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), value.type);
    EXPECT_TRUE(NoMessages(messages));
}

TEST_F(BadInput, OddDevicePropertiesAndDriverKeyValues) {
    ScratchClass scratch;
    ASSERT_TRUE(scratch.IsValid());
    ScratchDevice* device = scratch.AddDevice();
    ASSERT_NE(nullptr, device);
    ASSERT_TRUE(device->SetProperty(SPDRP_DEVICEDESC, Utf16Bytes(L"abc", false)));
    ASSERT_TRUE(device->SetProperty(SPDRP_FRIENDLYNAME, {'o', 0, 'd', 0, 'd'}));
    ASSERT_TRUE(device->SetProperty(SPDRP_UPPERFILTERS, {'u', 0, 0, 0, 'v', 0}));
    ASSERT_TRUE(device->SetProperty(SPDRP_CONFIGFLAGS, {1, 2}));
    const std::wstring root = device->MakeDriverKey(L"0000");
    ASSERT_FALSE(root.empty());
    // Wine enumerates values by name; the names fix the order.
    ASSERT_TRUE(WriteValue(root, L"a1_unterminated", REG_SZ, Utf16Bytes(L"abc", false)));
    ASSERT_TRUE(WriteValue(root, L"a2_odd", REG_SZ, {'o', 0, 'd', 0, 'd'}));
    ASSERT_TRUE(WriteValue(root, L"a3_short_dword", REG_DWORD, {0x34, 0x12}));
    ASSERT_TRUE(WriteValue(root, L"a4_empty_sz", REG_SZ, {}));
    ASSERT_TRUE(WriteValue(root, L"a5_empty_dword", REG_DWORD, {}));
    ASSERT_TRUE(WriteValue(root, L"a6_empty_multi", REG_MULTI_SZ, {}));
    ASSERT_TRUE(WriteValue(root, L"a7_multi_unterminated", REG_MULTI_SZ, {'x', 0, 0, 0, 'y', 0}));
    ASSERT_TRUE(WriteValue(root, L"a8_UpperFilters_dword", REG_DWORD, DwordBytes(0xFFFFFFFF)));
    ASSERT_TRUE(WriteValue(root, L"m_megabyte", REG_BINARY, std::vector<uint8_t>(1024 * 1024, 0xEE)));
    ASSERT_TRUE(WriteValue(root, L"z_after", REG_SZ, Utf16Bytes(L"left out")));
    std::wstring nested = root;
    for (int depth = 1; depth <= 100; ++depth) {
        nested += L"\\k";
        ASSERT_TRUE(WriteValue(nested, L"depth", REG_DWORD, DwordBytes(static_cast<uint32_t>(depth))))
            << "depth " << depth;
    }

    ASSERT_TRUE(Build());
    CDriverClass* record = FindClass(scratch.ModelGuid());
    ASSERT_NE(nullptr, record);
    ASSERT_EQ(1u, record->GetDeviceList().size());
    const CDevice& built = *record->GetDeviceList()[0];
    EXPECT_EQ(L"abc", built.GetDeviceDesc());
    EXPECT_EQ(L"od", built.GetFriendlyName());
    EXPECT_TRUE(ListIs(built.GetUpperFilters(), {L"u", L"v"}));
    EXPECT_EQ(L"", built.GetConfigFlags());  // two bytes are no number

    const CRegistrySnapshot* snapshot = built.GetRegistryParameters();
    ASSERT_NE(nullptr, snapshot);
    EXPECT_TRUE(RowsMatchRegistry(*snapshot));
    const auto& rows = snapshot->GetRows();
    // Eight values before the megabyte one; it and the value after it are left out;
    // then one row per nested key.
    ASSERT_EQ(8u + 100u, rows.size());
    struct Shown {
        const wchar_t* name;
        uint32_t length;
        const wchar_t* typeName;
        const wchar_t* contents;
    };
    // Wine's value enumeration adds the missing terminator of a string value when the
    // buffer has room (6 stored bytes come back as 8); an odd count comes back as it is.
    const Shown shown[] = {
        {L"a1_unterminated", 8, L"REG_SZ", L"abc"},
        {L"a2_odd", 5, L"REG_SZ", L"od"},
        {L"a3_short_dword", 2, L"REG_DWORD", L"3412"},
        {L"a4_empty_sz", 0, L"REG_SZ", L""},
        {L"a5_empty_dword", 0, L"REG_DWORD", L""},
        {L"a6_empty_multi", 0, L"REG_MULTI_SZ", L""},
        {L"a7_multi_unterminated", 8, L"REG_MULTI_SZ", L"x y "},
        {L"a8_UpperFilters_dword", 4, L"REG_DWORD", L"-1"},
    };
    for (size_t i = 0; i < std::size(shown); ++i) {
        SCOPED_TRACE(Narrow(shown[i].name));
        EXPECT_EQ(shown[i].name, rows[i].GetValueName());
        EXPECT_EQ(shown[i].length, rows[i].GetDataLength());
        FormattedValue text = FormatRegistryValue(rows[i].GetType(), rows[i].GetData(), rows[i].GetDataLength());
        EXPECT_EQ(shown[i].typeName, text.typeName);
        EXPECT_EQ(shown[i].contents, text.contents);
    }
    std::wstring path = L"k";
    for (int depth = 1; depth <= 100; ++depth) {
        EXPECT_EQ(path, rows[7 + depth].GetKeyPath()) << "depth " << depth;
        path += L"\\k";
    }
}
