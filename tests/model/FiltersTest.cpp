// The REG_MULTI_SZ image that the stores write.
#include <gtest/gtest.h>

#include "model/Filters.h"
#include "tests/support/Recorders.h"
#include "tests/support/TestData.h"

using namespace qx;
using namespace qx::test;

TEST(Filters, BuildMultiSzImage) {
    // a, NUL, b, c, NUL, NUL: 12 bytes.
    EXPECT_TRUE(BytesAre(BuildMultiSz({L"a", L"bc"}), {'a', 0, 0, 0, 'b', 0, 'c', 0, 0, 0, 0, 0}));
    EXPECT_TRUE(BuildMultiSz({}).empty());
    // Order and duplicates are kept; characters are stored as UTF-16 little-endian.
    EXPECT_TRUE(BytesAre(BuildMultiSz({L"x", L"\u20AC", L"x"}), MultiSzBytes({L"x", L"\u20AC", L"x"})));
    // The length rule: sum of (2 * length + 2), plus 2.
    StringList many(150, L"filter");
    EXPECT_EQ(150u * 14 + 2, BuildMultiSz(many).size());
}

TEST(Filters, OnlyListsWithoutEmptyNamesAreStorable) {
    EXPECT_TRUE(IsStorableFilterList({}));
    EXPECT_TRUE(IsStorableFilterList({L"a", L"a"}));
    EXPECT_FALSE(IsStorableFilterList({L""}));
    EXPECT_FALSE(IsStorableFilterList({L"a", L"", L"b"}));
    EXPECT_FALSE(IsStorableFilterList({std::wstring(L"a\0b", 3)}));
}
