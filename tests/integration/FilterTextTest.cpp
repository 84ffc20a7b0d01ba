// The filter line's splitting, and the services check against Wine's real registry.
#include <windows.h>

#include <gtest/gtest.h>

#include "model/FilterText.h"
#include "model/ListValidation.h"

using qx::SplitFilterText;
using qx::ValidateNewList;

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

// The dialog's refusal of a list whose class is not known.
std::wstring Refusal(const StringList& names) { return ValidateNewList(nullptr, names).refusal; }

}  // namespace

TEST_F(ServicesCheck, FindsTheFirstMissingNameOnly) {
    EXPECT_EQ(L"", Refusal({}));
    EXPECT_EQ(L"", Refusal({L"qxScratchFilterSvc"}));
    EXPECT_EQ(L"", Refusal({L"QXSCRATCHFILTERSVC"}));  // key names ignore case

    EXPECT_EQ(L"Service qxNoSuchService1 could not be located in Registry.",
              Refusal({L"qxNoSuchService1", L"qxNoSuchService2", L"qxScratchFilterSvc"}));
    EXPECT_EQ(L"Service qxNoSuchService2 could not be located in Registry.",
              Refusal({L"qxScratchFilterSvc", L"qxNoSuchService2"}));
}

TEST_F(ServicesCheck, RefusesAKeyBelowAService) {
    // The key exists, but it is not a service.
    EXPECT_EQ(L"Service qxScratchFilterSvc\\Parameters could not be located in Registry.",
              Refusal({L"qxScratchFilterSvc\\Parameters"}));
}
