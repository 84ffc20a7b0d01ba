// Turning a registry value's type and data into the two texts the registry list shows.
#include <gtest/gtest.h>

#include "model/RegistrySnapshot.h"
#include "tests/support/TestData.h"

using namespace qx;
using namespace qx::test;

namespace {

FormattedValue Format(uint32_t type, const std::vector<uint8_t>& data) {
    return FormatRegistryValue(type, data.data(), static_cast<uint32_t>(data.size()));
}

}  // namespace

TEST(FormatRegistryValue, TypeNamesAndContents) {
    struct Row {
        uint32_t type;
        std::vector<uint8_t> data;
        const wchar_t* typeName;
        const wchar_t* contents;  // null: no contents at all
    };
    const Row rows[] = {
        {0, {1, 2}, L"UNKNOWN", nullptr},
        {1, Utf16Bytes(L"Disk drive"), L"REG_SZ", L"Disk drive"},
        {2, Utf16Bytes(L"%SystemRoot%\\x"), L"REG_EXPAND_SZ", L"%SystemRoot%\\x"},  // not expanded
        {3, {0x0A, 0xFF, 0x00}, L"REG_BINARY", L"0aff00"},
        {4, DwordBytes(31), L"REG_DWORD", L"31"},
        {5, {0, 0, 1, 0}, L"REG_DWORD_BIG_ENDIAN", L"256"},
        {6, {'l', 'n', 'k', 0, 'x'}, L"REG_LINK", L"lnk"},  // 8-bit text, not UTF-16
        {7, MultiSzBytes({L"a", L"b"}), L"REG_MULTI_SZ", L"a b "},
        {8, {'r', 'e', 's', 0}, L"REG_RESOURCE_LIST", L"res"},
        {9, {'f', 'u', 'l', 'l'}, L"REG_FULL_RESOURCE_DESCRIPTOR", L"full"},
        {10, {1, 2, 3, 4}, L"REG_RESOURCE_REQUIREMENTS_LIST", L"..."},
        {11, {1, 0, 0, 0, 0, 0, 0, 0}, L"UNKNOWN", nullptr},
        {0xFFFFFFFFu, {}, L"UNKNOWN", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "type " << row.type);
        FormattedValue out = Format(row.type, row.data);
        EXPECT_EQ(row.typeName, out.typeName);
        EXPECT_EQ(row.contents != nullptr, out.hasContents);
        if (row.contents) {
            EXPECT_EQ(row.contents, out.contents);
        }
    }
}

TEST(FormatRegistryValue, NumbersAreSignedDecimals) {
    EXPECT_EQ(L"-1", Format(kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}).contents);
    EXPECT_EQ(L"-2147483648", Format(kRegDword, {0, 0, 0, 0x80}).contents);
    EXPECT_EQ(L"2147483647", Format(kRegDword, {0xFF, 0xFF, 0xFF, 0x7F}).contents);
    EXPECT_EQ(L"0", Format(kRegDword, {0, 0, 0, 0}).contents);
    EXPECT_EQ(L"-2147483648", Format(kRegDwordBigEndian, {0x80, 0, 0, 0}).contents);
    // Only the first four bytes count.
    EXPECT_EQ(L"1", Format(kRegDword, {1, 0, 0, 0, 9, 9}).contents);
    // Data shorter than a number shows its bytes as binary data would.
    EXPECT_EQ(L"0102", Format(kRegDword, {1, 2}).contents);
    EXPECT_EQ(L"ff0001", Format(kRegDwordBigEndian, {0xFF, 0, 1}).contents);
    EXPECT_EQ(L"", Format(kRegDword, {}).contents);
    EXPECT_TRUE(Format(kRegDword, {}).hasContents);
}

TEST(FormatRegistryValue, TextStopsAtTheEndOfTheData) {
    // No terminator: the text is the whole data and nothing beyond it. The buffers
    // here are exactly as long as the data, so a read past the end would show up
    // under a memory checker and as garbage characters here.
    EXPECT_EQ(L"abc", Format(kRegSz, Utf16Bytes(L"abc", false)).contents);
    EXPECT_EQ(L"abc", Format(kRegExpandSz, Utf16Bytes(L"abc", false)).contents);
    // An odd byte count: the last half character is dropped.
    std::vector<uint8_t> odd = Utf16Bytes(L"ab", false);
    odd.push_back('c');
    EXPECT_EQ(L"ab", Format(kRegSz, odd).contents);
    EXPECT_EQ(L"a", Format(kRegSz, {'a', 0, 'b'}).contents);
    // Text after an embedded zero is not shown.
    EXPECT_EQ(L"a", Format(kRegSz, {'a', 0, 0, 0, 'b', 0}).contents);
    // 8-bit forms without a zero byte end with the data.
    EXPECT_EQ(L"xyz", Format(kRegLink, {'x', 'y', 'z'}).contents);
    EXPECT_EQ(L"x", Format(kRegResourceList, {'x'}).contents);
    // Multi-strings without their final terminators.
    EXPECT_EQ(L"a bc ", Format(kRegMultiSz, {'a', 0, 0, 0, 'b', 0, 'c', 0}).contents);
    EXPECT_EQ(L"a ", Format(kRegMultiSz, {'a', 0, 0}).contents);

    // Zero-length data of every type: empty text, never a crash.
    for (uint32_t type = 1; type <= 9; ++type) {
        FormattedValue out = FormatRegistryValue(type, nullptr, 0);
        EXPECT_TRUE(out.hasContents) << "type " << type;
        EXPECT_EQ(L"", out.contents) << "type " << type;
    }
    EXPECT_EQ(L"...", FormatRegistryValue(kRegResourceRequirementsList, nullptr, 0).contents);
}

TEST(FormatRegistryValue, MultiStringEndsAtItsFirstEmptyString) {
    EXPECT_EQ(L"", Format(kRegMultiSz, MultiSzBytes({})).contents);
    EXPECT_EQ(L"a ", Format(kRegMultiSz, {'a', 0, 0, 0, 0, 0, 'b', 0, 0, 0}).contents);
    EXPECT_EQ(L"", Format(kRegMultiSz, {0, 0, 'a', 0, 0, 0}).contents);
}
