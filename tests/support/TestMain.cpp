// Test entry point: GoogleTest's main, with output unbuffered so that a test that dies
// under Wine still leaves its name in the log. Every change the tests make is journalled
// in a scratch journal of this run, never in the machine's own.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "model/FilterStore.h"

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    testing::InitGoogleTest(&argc, argv);
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    qx::Journal journal(std::wstring(temp) + L"quillex-tests-" + std::to_wstring(GetCurrentProcessId()) +
                        L".jsonl");
    qx::SetChangeJournal(&journal);
    int result = RUN_ALL_TESTS();
    qx::SetChangeJournal(nullptr);
    DeleteFileW(journal.Path().c_str());
    return result;
}
