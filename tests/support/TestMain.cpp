// Test entry point: GoogleTest's main, with output unbuffered so that a test that dies
// under Wine still leaves its name in the log.
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
