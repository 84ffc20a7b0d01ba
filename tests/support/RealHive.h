// The real SYSTEM hives of tests/data/realhives as hive files Wine loads: the build
// exports each to build\realhives\<name>.reg (tests/scripts/realhive-export.sh); the
// first test that needs one imports it with regedit, saves the key with RegSaveKeyW to
// build\realhives\<name>.hive and keeps that file for the tests after it. The file lies
// outside any System32\config, so the hive's Windows folder is unknown.
#pragma once
#include <windows.h>

#include <string>

#include "model/OfflineHive.h"

namespace qx::test::wine {

// The hive file of "win7" or "win8plus"; empty when it cannot be made (the reason in *error).
inline std::wstring RealHiveFile(const std::wstring& name, std::wstring* error) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring folder = std::wstring(self).substr(0, std::wstring(self).find_last_of(L'\\')) + L"\\realhives\\";
    const std::wstring hive = folder + name + L".hive", reg = folder + name + L".reg";
    if (GetFileAttributesW(hive.c_str()) != INVALID_FILE_ATTRIBUTES) return hive;
    if (GetFileAttributesW(reg.c_str()) == INVALID_FILE_ATTRIBUTES) {
        *error = reg + L" is missing: the build makes it with hivexregedit (scripts/setup installs it).";
        return L"";
    }
    std::wstring line = L"regedit.exe /S \"" + reg + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        *error = L"regedit does not start";
        return L"";
    }
    WaitForSingleObject(process.hProcess, 300000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);

    const std::wstring source = L"Software\\QuillexRealHive\\" + name, partial = hive + L".part";
    HKEY key = nullptr;
    long ignored = 0;
    bool saved = false;
    if (qx::Win32HiveLoader().EnablePrivilege(L"SeBackupPrivilege", &ignored) &&
        RegOpenKeyExW(HKEY_CURRENT_USER, source.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DeleteFileW(partial.c_str());
        saved = RegSaveKeyW(key, partial.c_str(), nullptr) == ERROR_SUCCESS &&
                MoveFileExW(partial.c_str(), hive.c_str(), MOVEFILE_REPLACE_EXISTING);
        RegCloseKey(key);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QuillexRealHive");
    if (!saved) *error = L"the import of " + reg + L" could not be saved as a hive";
    return saved ? hive : L"";
}

}  // namespace qx::test::wine
