// Finds a window of another process from outside it, as the smoke probe and the
// start-up benchmark look for the program's main window. Header only: the probe links
// nothing of ours.
#pragma once
#include <windows.h>

// The first visible top-level window of the process for which accept(hWnd) holds, or null.
template <class Accept>
HWND FindProcessWindow(DWORD processId, Accept accept) {
    struct Search {
        DWORD processId;
        Accept* accept;
        HWND found;
        static BOOL CALLBACK Visit(HWND hWnd, LPARAM lParam) {
            Search* search = reinterpret_cast<Search*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(hWnd, &owner);
            if (owner != search->processId || !IsWindowVisible(hWnd) || !(*search->accept)(hWnd)) return TRUE;
            search->found = hWnd;
            return FALSE;
        }
    } search{processId, &accept, nullptr};
    EnumWindows(&Search::Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
