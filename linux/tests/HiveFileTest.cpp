// Two runs on one hive: the one that read it before the other's change never writes
// over that change.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "linux/HiveFile.h"
#include "model/Types.h"

namespace {

TEST(HiveFileTest, AFileChangedSinceItWasReadIsNotWrittenOver) {
    char folder[] = "/tmp/quillex-hivefile-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    const std::string hive = std::string(folder) + "/SYSTEM";
    ASSERT_EQ(0, std::system(("xz -dc '" QX_TOP "/tests/data/realhives/win7-SYSTEM.xz' > '" + hive + "'").c_str()));

    qx::HiveFile first, second;
    ASSERT_EQ(qx::kErrSuccess, first.Open(hive));
    ASSERT_EQ(qx::kErrSuccess, second.Open(hive));
    auto classKey = [](qx::HiveFile& file) {
        qx::HiveFile::Node node = file.Root();
        for (const wchar_t* part : {L"ControlSet001", L"Control", L"Class", L"{4D36E967-E325-11CE-BFC1-08002BE10318}"})
            node = file.Child(node, part);
        return node;
    };
    const uint8_t one[] = {'a', 0, 0, 0, 0, 0}, other[] = {'b', 0, 0, 0, 0, 0};
    EXPECT_EQ(qx::kErrSuccess, second.SetValue(classKey(second), L"UpperFilters", qx::kRegMultiSz, one, sizeof(one)));
    EXPECT_NE(qx::kErrSuccess, first.SetValue(classKey(first), L"UpperFilters", qx::kRegMultiSz, other, sizeof(other)));
    // The second run's change is in the file; the second run goes on writing.
    EXPECT_EQ(0, std::system(("test \"$(hivexget '" + hive +
                              "' 'ControlSet001\\Control\\Class\\{4D36E967-E325-11CE-BFC1-08002BE10318}' UpperFilters)\" = a")
                                 .c_str()));
    EXPECT_EQ(qx::kErrSuccess, second.DeleteValue(classKey(second), L"upperfilters"));
    EXPECT_NE(0, std::system(("hivexget '" + hive +
                              "' 'ControlSet001\\Control\\Class\\{4D36E967-E325-11CE-BFC1-08002BE10318}' UpperFilters "
                              ">/dev/null 2>&1").c_str()));
    std::system(("rm -rf '" + std::string(folder) + "'").c_str());
}

}  // namespace
