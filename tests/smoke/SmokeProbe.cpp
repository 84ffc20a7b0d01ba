// Smoke run of a built program, from outside it as a user would see it:
//   quillex_probe <quillex.exe>
// starts the program, waits for its main window, for the class tree to hold classes and
// for the form to show a class (its name and GUID fields), then closes the window as the
// user would and waits for the program to end. Prints what it saw; exit code 0 when every
// step passed.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "tests/support/ProcessWindow.h"

namespace {

const DWORD kStepTimeoutMs = 60000;
const int kClassGuidId = 1001;  // the form's "Class GUID:" and "Class:" fields
const int kClassNameId = 1003;

// The program's main window: a visible top-level window of its process whose caption
// has "Device Quillex - " (its title, then the document's).
HWND FindMainWindow(DWORD processId) {
    return FindProcessWindow(processId, [](HWND hWnd) {
        wchar_t title[128] = L"";
        return GetWindowTextW(hWnd, title, 128) > 0 && wcsstr(title, L"Device Quillex - ") != nullptr;
    });
}

BOOL CALLBACK FindTree(HWND hWnd, LPARAM lParam) {
    wchar_t name[64] = L"";
    GetClassNameW(hWnd, name, 64);
    if (wcsstr(name, WC_TREEVIEWW)) {
        *reinterpret_cast<HWND*>(lParam) = hWnd;
        return FALSE;
    }
    return TRUE;
}

struct ControlSearch {
    int id;
    HWND hWnd;
};

BOOL CALLBACK FindControl(HWND hWnd, LPARAM lParam) {
    ControlSearch* pSearch = reinterpret_cast<ControlSearch*>(lParam);
    if (GetDlgCtrlID(hWnd) == pSearch->id) {
        pSearch->hWnd = hWnd;
        return FALSE;
    }
    return TRUE;
}

std::wstring ControlText(HWND hMain, int id) {
    ControlSearch search = {id, nullptr};
    EnumChildWindows(hMain, FindControl, reinterpret_cast<LPARAM>(&search));
    if (!search.hWnd) return L"";
    wchar_t text[512] = L"";
    DWORD_PTR result = 0;
    SendMessageTimeoutW(search.hWnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        &result);
    text[511] = L'\0';
    return text;
}

// Polls until check() holds, the program ends, or the step's time is up.
template <class Check>
bool WaitFor(HANDLE hProcess, Check check) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kStepTimeoutMs) {
        if (check()) return true;
        if (WaitForSingleObject(hProcess, 200) == WAIT_OBJECT_0) return false;
    }
    return false;
}

int Fail(const char* what, HANDLE hProcess) {
    std::printf("FAIL: %s\n", what);
    std::fflush(stdout);
    TerminateProcess(hProcess, 1);
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::printf("usage: quillex_probe <program.exe>\n");
        return 2;
    }
    std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(argv[1], &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::printf("FAIL: cannot start the program (error %lu)\n", GetLastError());
        return 1;
    }
    CloseHandle(pi.hThread);
    std::printf("started\n");

    HWND hMain = nullptr;
    if (!WaitFor(pi.hProcess, [&] {
            hMain = FindMainWindow(pi.dwProcessId);
            return hMain != nullptr;
        }))
        return Fail("the main window did not appear", pi.hProcess);
    std::printf("main window shown\n");

    HWND hTree = nullptr;
    LRESULT nItems = 0;
    if (!WaitFor(pi.hProcess, [&] {
            if (!hTree) EnumChildWindows(hMain, FindTree, reinterpret_cast<LPARAM>(&hTree));
            DWORD_PTR count = 0;
            if (hTree && SendMessageTimeoutW(hTree, TVM_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count))
                nItems = static_cast<LRESULT>(count);
            return nItems > 0;
        }))
        return Fail("the class tree stayed empty", pi.hProcess);
    std::printf("class tree: %ld items\n", static_cast<long>(nItems));

    std::wstring name, guid;
    if (!WaitFor(pi.hProcess, [&] {
            name = ControlText(hMain, kClassNameId);
            guid = ControlText(hMain, kClassGuidId);
            return !name.empty() && guid.size() == 38 && guid[0] == L'{' && guid[37] == L'}';
        }))
        return Fail("the form shows no class", pi.hProcess);
    std::printf("form shows class %ls %ls\n", name.c_str(), guid.c_str());

    PostMessageW(hMain, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, kStepTimeoutMs) != WAIT_OBJECT_0)
        return Fail("the program did not end after its window was closed", pi.hProcess);
    DWORD exitCode = 1;
    GetExitCodeProcess(pi.hProcess, &exitCode);
    CloseHandle(pi.hProcess);
    std::printf("closed, exit code %lu\n", exitCode);
    return exitCode == 0 ? 0 : 1;
}
