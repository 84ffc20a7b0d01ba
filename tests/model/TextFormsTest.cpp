#include <gtest/gtest.h>

#include "model/TextForms.h"

using namespace qx;

TEST(TextForms, HexAndNumberForms) {
    EXPECT_EQ(L"0000001f", HexText(31));
    EXPECT_EQ(L"00000000", HexText(0));
    EXPECT_EQ(L"ffffffff", HexText(0xFFFFFFFFu));
    EXPECT_EQ(L"001A", DeviceNumberText(26));
    EXPECT_EQ(L"000A", DeviceNumberText(10));
    EXPECT_EQ(L"10000", DeviceNumberText(65536));
}

TEST(TextForms, GuidTextIsUpperCaseWhateverTheKeyName) {
    Guid guid;
    ASSERT_TRUE(ParseGuid(L"{4d36e965-e325-11ce-bfc1-08002be10318}", &guid));
    EXPECT_EQ(0x4d36e965u, guid.Data1);
    EXPECT_EQ(0xe325u, guid.Data2);
    EXPECT_EQ(0x11ceu, guid.Data3);
    EXPECT_EQ(0xbfu, guid.Data4[0]);
    EXPECT_EQ(0x18u, guid.Data4[7]);
    EXPECT_EQ(L"{4D36E965-E325-11CE-BFC1-08002BE10318}", GuidText(guid));

    // Leading zeros are printed in every field.
    Guid small;
    small.Data1 = 1;
    small.Data2 = 2;
    small.Data3 = 3;
    small.Data4[7] = 0xA;
    EXPECT_EQ(L"{00000001-0002-0003-0000-00000000000A}", GuidText(small));
}

TEST(TextForms, ParseGuidTakesOnlyBracedGuids) {
    Guid guid;
    ASSERT_TRUE(ParseGuid(L"{00000001-0002-0003-0405-060708090a0b}", &guid));
    EXPECT_EQ(L"{00000001-0002-0003-0405-060708090A0B}", GuidText(guid));

    Guid untouched;
    untouched.Data1 = 0x1234;
    for (const wchar_t* name : {L"", L"Properties", L"4D36E965-E325-11CE-BFC1-08002BE10318",
                                L"{4D36E965-E325-11CE-BFC1-08002BE103}",  // ten fields
                                L"{4D36E965E-325-11CE-BFC1-08002BE10318}",  // Data1 too long
                                L"{4D36E965-E325-11CE-BFC1}", L"{G000000-0000-0000-0000-000000000000}",
                                L"{1-2-3-0405-060708090a0b}",  // fields short of their width
                                L"{4D36E965-E325-11CE-BFC1-08002BE10318}.bak",  // a saved copy
                                L"{4D36E965-E325-11CE-BFC1-08002BE10318}trailing",
                                L"{4D36E965-E325-11CE-BFC1-08002BE10318"}) {
        Guid out = untouched;
        EXPECT_FALSE(ParseGuid(name, &out)) << "accepted " << testing::PrintToString(std::wstring(name));
    }
}

TEST(TextForms, AppendMultiSzStopsAtTheEmptyStringOrTheDataEnd) {
    auto parse = [](const std::vector<wchar_t>& chars) {
        StringList list;
        AppendMultiSz(list, chars.data(), chars.size());
        return list;
    };
    EXPECT_TRUE(parse({L'\0', L'a', L'\0', L'\0'}).empty());
    EXPECT_EQ((StringList{L"a", L"b"}), parse({L'a', L'\0', L'b', L'\0', L'\0'}));
    EXPECT_EQ((StringList{L"a"}), parse({L'a', L'\0', L'\0', L'b', L'\0', L'\0'}));
    // Data that ends without its terminators: the last string ends with the data.
    EXPECT_EQ((StringList{L"a", L"bc"}), parse({L'a', L'\0', L'b', L'c'}));
    EXPECT_TRUE(parse({}).empty());

    // Entries already in the list stay in front.
    StringList list{L"first"};
    const wchar_t two[] = L"x\0y\0";
    AppendMultiSz(list, two, 5);
    EXPECT_EQ((StringList{L"first", L"x", L"y"}), list);

    // Raw registry bytes: an odd last byte is ignored, never read as half a character.
    const uint8_t odd[] = {'a', 0, 0, 0, 'b', 0, 'c'};
    StringList fromBytes;
    AppendMultiSz(fromBytes, odd, sizeof odd);
    EXPECT_EQ((StringList{L"a", L"b"}), fromBytes);

    // Characters beyond the Latin range survive the byte form.
    const uint8_t wide[] = {0xAC, 0x20, 0, 0, 0, 0};  // U+20AC
    StringList euro;
    AppendMultiSz(euro, wide, sizeof wide);
    EXPECT_EQ((StringList{L"\u20AC"}), euro);
}

TEST(TextForms, JoinListUsesSingleSpaces) {
    EXPECT_EQ(L"", JoinList({}));
    EXPECT_EQ(L"kbdclass", JoinList({L"kbdclass"}));
    EXPECT_EQ(L"a bc a", JoinList({L"a", L"bc", L"a"}));
}

TEST(TextForms, NamesCompareWithoutCaseButWholly) {
    EXPECT_EQ(L"KBDCLASS\\ROOT_1", UpperCase(L"KbdClass\\root_1"));
    EXPECT_TRUE(SameNameNoCase(L"kbdclass", L"KbdClass"));
    EXPECT_FALSE(SameNameNoCase(L"kbdclass", L"kbdclass2"));  // a prefix is not the name
    EXPECT_FALSE(SameNameNoCase(L"kbdclass", L"kbdclasz"));
}
