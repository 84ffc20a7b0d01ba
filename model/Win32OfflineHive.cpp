// Loading another installation's hive: privileges, RegLoadKeyW / RegUnLoadKeyW below
// HKEY_LOCAL_MACHINE, and whether the run that loaded a hive is still alive.
#define NOUSER
#define NOGDI
#include <windows.h>

#include "model/OfflineHive.h"

namespace qx {
namespace {

class Win32Loader : public IHiveLoader {
public:
    bool EnablePrivilege(const wchar_t* name, long* error) override {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
            *error = static_cast<long>(GetLastError());
            return false;
        }
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        bool ok = LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid) != FALSE;
        // AdjustTokenPrivileges succeeds for a privilege the account does not hold; only
        // the last error tells.
        if (ok) ok = AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) != FALSE;
        DWORD code = GetLastError();
        CloseHandle(token);
        if (ok && code == ERROR_SUCCESS) return true;
        *error = static_cast<long>(ok ? code : (code ? code : ERROR_PRIVILEGE_NOT_HELD));
        return false;
    }
    long LoadHive(const std::wstring& keyName, const std::wstring& file) override {
        return RegLoadKeyW(HKEY_LOCAL_MACHINE, keyName.c_str(), file.c_str());
    }
    long UnloadHive(const std::wstring& keyName) override {
        return RegUnLoadKeyW(HKEY_LOCAL_MACHINE, keyName.c_str());
    }
    std::vector<std::wstring> RootKeyNames() override {
        std::vector<std::wstring> names;
        wchar_t name[MAX_PATH + 1];
        for (DWORD i = 0; RegEnumKeyW(HKEY_LOCAL_MACHINE, i, name, MAX_PATH + 1) == ERROR_SUCCESS; ++i)
            names.push_back(name);
        return names;
    }
    uint32_t CurrentProcessId() override { return GetCurrentProcessId(); }
    bool ProcessRunning(uint32_t pid) override {
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
        if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;  // refused is not gone
        bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
        CloseHandle(process);
        return running;
    }
    std::wstring FullPath(const std::wstring& path) override {
        wchar_t full[MAX_PATH + 1];
        wchar_t* filePart = nullptr;
        DWORD cch = GetFullPathNameW(path.c_str(), MAX_PATH + 1, full, &filePart);
        return cch == 0 || cch > MAX_PATH ? path : std::wstring(full, cch);
    }
};

}  // namespace

IHiveLoader& Win32HiveLoader() {
    static Win32Loader loader;
    return loader;
}

}  // namespace qx
