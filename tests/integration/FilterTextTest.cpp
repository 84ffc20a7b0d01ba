// The filter line's splitting, and the services check against Wine's real registry.
#include <windows.h>

#include <gtest/gtest.h>

#include "model/FilterText.h"

using qx::FindMissingService;
using qx::SplitFilterText;

TEST(FilterText, SplitsAtSpacesAndTrimsWhiteSpace) {
    EXPECT_EQ((StringList{L"x", L"y"}), SplitFilterText(L"  x y "));
    EXPECT_EQ((StringList{L"a", L"b", L"c"}), SplitFilterText(L"a  b   c"));  // no empty names
    EXPECT_EQ((StringList{L"a\tb"}), SplitFilterText(L"a\tb"));             // a tab stays inside
    EXPECT_EQ((StringList{L"kbd"}), SplitFilterText(L"\t kbd \r\n"));
    EXPECT_TRUE(SplitFilterText(L"").empty());
    EXPECT_TRUE(SplitFilterText(L"    ").empty());
    EXPECT_TRUE(SplitFilterText(L" \t ").empty());
}

namespace {

const wchar_t kScratchService[] = L"System\\CurrentControlSet\\Services\\qxScratchFilterSvc";

class ServicesCheck : public testing::Test {
protected:
    void SetUp() override {
        HKEY key = nullptr, sub = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kScratchService, 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(key, L"Parameters", 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &sub, nullptr));
        RegCloseKey(sub);
        RegCloseKey(key);
    }
    void TearDown() override { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kScratchService); }
};

}  // namespace

TEST_F(ServicesCheck, FindsTheFirstMissingNameOnly) {
    EXPECT_EQ(nullptr, FindMissingService({}));
    EXPECT_EQ(nullptr, FindMissingService({L"qxScratchFilterSvc"}));
    EXPECT_EQ(nullptr, FindMissingService({L"QXSCRATCHFILTERSVC"}));  // key names ignore case

    StringList names{L"qxNoSuchService1", L"qxNoSuchService2", L"qxScratchFilterSvc"};
    const std::wstring* missing = FindMissingService(names);
    ASSERT_NE(nullptr, missing);
    EXPECT_EQ(&names[0], missing);

    StringList later{L"qxScratchFilterSvc", L"qxNoSuchService2"};
    ASSERT_NE(nullptr, FindMissingService(later));
    EXPECT_EQ(L"qxNoSuchService2", *FindMissingService(later));
}

TEST_F(ServicesCheck, RefusesAKeyBelowAService) {
    // The key exists, but it is not a service.
    StringList names{L"qxScratchFilterSvc\\Parameters"};
    ASSERT_NE(nullptr, FindMissingService(names));
    EXPECT_EQ(L"qxScratchFilterSvc\\Parameters", *FindMissingService(names));
}
