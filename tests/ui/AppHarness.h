// Running Quillex inside a test process: start it as the program would (with a chosen
// system version and command line), pump its messages as its loop does, record its
// message boxes, and close it again so that nothing is left for the next test.
#pragma once
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/CarvelApp.h"
#include "ui/CarvelDoc.h"
#include "ui/MainFrame.h"

namespace qxtest {

// GetVersion's form: low byte major, next byte minor, high word build (bit 31: the Windows 95 family).
constexpr DWORD kVersionNt4 = 0x05650004;    // 4.0.1381
constexpr DWORD kVersion98 = 0x8AE00A04;     // 4.10, Windows 95 family
constexpr DWORD kVersion2000 = 0x08930005;   // 5.0.2195
constexpr DWORD kVersion10 = 0x4A61000A;     // 10.0.19041

// Records every message box the program asks for and answers with a chosen button.
class MessageBoxRecorder {
public:
    explicit MessageBoxRecorder(int answer = IDOK);
    ~MessageBoxRecorder();
    const std::vector<AfxMessageBoxRequest>& Requests() const { return m_requests; }

private:
    std::vector<AfxMessageBoxRequest> m_requests;
    AfxMessageBoxHook m_previous;
};

// Starts the application in this process; stops it (if it is still running) at the end.
class AppSession {
public:
    AppSession() = default;
    ~AppSession();
    // AfxWinInit and InitInstance with the given version and arguments; InitInstance's result.
    bool Start(DWORD version, const std::wstring& cmdLine = L"");
    // Closes the main window as File > Exit does, pumps until the loop would end, runs ExitInstance.
    void Stop();

    CMainFrame* Frame() const;
    CCarvelDoc* Document() const;
    bool QuitPosted() const { return m_bQuit; }

    // Pumps messages (with the loop's keyboard translation and idle updates) until
    // done() is true or the time is up; false on timeout.
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
    void PumpFor(DWORD ms);

private:
    bool m_bStarted = false;
    bool m_bQuit = false;
};

// A key pressed in the window that has the keyboard focus (else the frame's active view).
void PressKey(AppSession& app, UINT vk, bool shift = false);
// The main menu's popup that holds command nID.
HMENU PopupHolding(HMENU hMenu, UINT nID);
// MF_GRAYED / MF_CHECKED of command nID after its popup was prepared for showing.
::testing::AssertionResult MenuItemState(AppSession& app, UINT nID, bool enabled, bool checked);
// A file to open as the document, removed at the end.
class ScratchFile {
public:
    explicit ScratchFile(const std::wstring& name);
    ~ScratchFile();
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
};
// The setup-class GUIDs of the document's records, and whether each occurs once.
::testing::AssertionResult OneSetOfClasses(const CCarvelDoc* doc);

}  // namespace qxtest
