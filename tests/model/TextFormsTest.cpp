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
