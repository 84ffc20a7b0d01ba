// Start-up as the user waits for it: the real program in a process of its own, with
// its splash, from process creation until its main window shows.
#include "bench/StartupBench.h"

#include <windows.h>

#include <chrono>
#include <string>

#include "tests/support/ProcessWindow.h"

namespace {

// The main frame is the program's one visible top-level window with a menu (the
// splash has none).
HWND FindMainWindow(DWORD processId) {
    return FindProcessWindow(processId, [](HWND hWnd) { return GetMenu(hWnd) != nullptr; });
}

std::wstring ProgramPath() {
    wchar_t self[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"quillex.exe";
}

}  // namespace

double TimeStartup() {
    const std::wstring program = ProgramPath();
    std::wstring command = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const auto t0 = std::chrono::steady_clock::now();
    if (!CreateProcessW(program.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    HWND hMain = nullptr;
    double seconds = -1;
    // Looked for every 5 ms: fine enough for seconds, and little work for Wine's server
    // while the program uses it.
    while (WaitForSingleObject(process.hProcess, 5) == WAIT_TIMEOUT) {
        hMain = FindMainWindow(process.dwProcessId);
        if (hMain) {
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            break;
        }
        if (std::chrono::steady_clock::now() - t0 > std::chrono::minutes(10)) break;
    }
    if (hMain) PostMessageW(hMain, WM_CLOSE, 0, 0);
    // A program still running would take the next start's command line by DDE.
    if (WaitForSingleObject(process.hProcess, 120000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
        seconds = -1;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return seconds;
}
