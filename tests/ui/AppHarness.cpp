#include "tests/ui/AppHarness.h"

#include <set>

#include "ui/framework/SingleDocTemplate.h"
#include "ui/framework/View.h"

namespace qxtest {

MessageBoxRecorder::MessageBoxRecorder(int answer) {
    m_previous = AfxSetMessageBoxHook([this, answer](const AfxMessageBoxRequest& request) {
        m_requests.push_back(request);
        return answer;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() { AfxSetMessageBoxHook(std::move(m_previous)); }

namespace {
DWORD g_version = kVersion10;
DWORD ChosenVersion() { return g_version; }
}  // namespace

bool AppSession::Start(DWORD version, const std::wstring& cmdLine) {
    g_version = version;
    CCarvelApp::SetVersionSource(&ChosenVersion);
    std::wstring line = cmdLine;
    AfxWinInit(GetModuleHandleW(nullptr), nullptr, &line[0], SW_SHOW);
    m_bStarted = true;
    bool ok = theApp.InitInstance() != FALSE;
    PumpFor(50);
    return ok;
}

AppSession::~AppSession() { Stop(); }

void AppSession::Stop() {
    if (!m_bStarted) return;
    m_bStarted = false;
    if (theApp.m_pMainWnd && theApp.m_pMainWnd->m_hWnd) {
        theApp.m_pMainWnd->SendMessage(WM_CLOSE);
        PumpUntil([] { return theApp.m_pMainWnd == nullptr; }, 5000);
    }
    PumpFor(20);
    theApp.ExitInstance();
    CCarvelApp::SetVersionSource(nullptr);
}

CMainFrame* AppSession::Frame() const { return dynamic_cast<CMainFrame*>(theApp.m_pMainWnd); }

CCarvelDoc* AppSession::Document() const {
    CSingleDocTemplate* pTemplate = theApp.GetDocTemplate();
    return pTemplate ? dynamic_cast<CCarvelDoc*>(pTemplate->GetOnlyDocument()) : nullptr;
}

bool AppSession::PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (!m_bQuit && PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (msg.message == WM_QUIT) {
                PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
                m_bQuit = true;  // the program's loop would end here
                break;
            }
            theApp.PumpMessage();
        }
        if (!m_bQuit) {
            theApp.OnIdle(0);
            theApp.OnIdle(1);
        }
        if (done()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void AppSession::PumpFor(DWORD ms) {
    DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start >= ms; }, ms + 1000);
}

void PressKey(AppSession& app, UINT vk, bool shift) {
    HWND target = GetFocus();
    if (!target && app.Frame() && app.Frame()->GetActiveView()) target = app.Frame()->GetActiveView()->m_hWnd;
    if (!target && app.Frame()) target = app.Frame()->m_hWnd;
    // The keyboard state is what TranslateAccelerator looks at for Shift.
    BYTE keys[256];
    GetKeyboardState(keys);
    BYTE saved = keys[VK_SHIFT];
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    PostMessageW(target, WM_KEYDOWN, vk, 1 | (scan << 16));
    app.PumpFor(30);
    PostMessageW(target, WM_KEYUP, vk, 1 | (scan << 16) | (1u << 30) | (1u << 31));
    app.PumpFor(30);
    GetKeyboardState(keys);
    keys[VK_SHIFT] = saved;
    SetKeyboardState(keys);
}

HMENU PopupHolding(HMENU hMenu, UINT nID) {
    int count = GetMenuItemCount(hMenu);
    for (int i = 0; i < count; ++i) {
        HMENU hSub = GetSubMenu(hMenu, i);
        if (!hSub) continue;
        int n = GetMenuItemCount(hSub);
        for (int j = 0; j < n; ++j) {
            if (GetMenuItemID(hSub, j) == nID) return hSub;
        }
    }
    return nullptr;
}

::testing::AssertionResult MenuItemState(AppSession& app, UINT nID, bool enabled, bool checked) {
    CMainFrame* frame = app.Frame();
    if (!frame) return ::testing::AssertionFailure() << "no main frame";
    HMENU hMenu = GetMenu(frame->m_hWnd);
    HMENU hPopup = PopupHolding(hMenu, nID);
    if (!hPopup) return ::testing::AssertionFailure() << "no menu item " << nID;
    // What the frame does when the user opens the popup.
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPopup), 0);
    UINT state = GetMenuState(hPopup, nID, MF_BYCOMMAND);
    bool isEnabled = !(state & (MF_GRAYED | MF_DISABLED));
    bool isChecked = (state & MF_CHECKED) != 0;
    if (isEnabled == enabled && isChecked == checked) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "menu item " << nID << ": enabled " << isEnabled << " (expected "
                                         << enabled << "), checked " << isChecked << " (expected " << checked
                                         << ")";
}

ScratchFile::ScratchFile(const std::wstring& name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    m_path = std::wstring(dir) + L"qx" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
    HANDLE h = CreateFileW(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

ScratchFile::~ScratchFile() { DeleteFileW(m_path.c_str()); }

::testing::AssertionResult OneSetOfClasses(const CCarvelDoc* doc) {
    if (!doc) return ::testing::AssertionFailure() << "no document";
    std::set<std::wstring> guids;
    for (const auto& pClass : const_cast<CCarvelDoc*>(doc)->GetDriverClasses()) {
        if (!guids.insert(pClass->GetGuidString()).second)
            return ::testing::AssertionFailure() << "class " << std::string(pClass->GetGuidString().begin(), pClass->GetGuidString().end()) << " twice";
    }
    return ::testing::AssertionSuccess();
}

}  // namespace qxtest
