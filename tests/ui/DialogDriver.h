// Driving a modal dialog from inside its own loop: a thread timer finds the dialog once
// it is shown and runs the test's steps on it, as a user's keys and clicks would.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace qxtest {

class WhenDialogOpens {
public:
    // Runs action once on the first visible top-level window of this thread whose
    // caption is `caption`.
    WhenDialogOpens(std::wstring caption, std::function<void(HWND)> action);
    ~WhenDialogOpens();
    WhenDialogOpens(const WhenDialogOpens&) = delete;
    WhenDialogOpens& operator=(const WhenDialogOpens&) = delete;

    bool Ran() const { return m_ran; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    std::wstring m_caption;
    std::function<void(HWND)> m_action;
    UINT_PTR m_timer = 0;
    bool m_ran = false;
};

// What a user does in a dialog.
std::wstring ItemText(HWND hDlg, int nID);
void TypeText(HWND hDlg, int nID, const std::wstring& text);  // replaces the edit's text
void Click(HWND hDlg, int nID);                                // a button click
void PressEnter(HWND hDlg);                                    // Enter where the focus is

}  // namespace qxtest
