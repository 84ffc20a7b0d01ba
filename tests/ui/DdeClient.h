// The shell's side of a DDE open request, for tests that deliver one to the program.
#pragma once
#include <windows.h>

#include <dde.h>

#include <cwchar>
#include <string>

namespace qxtest {

// The shell's side of a DDE conversation: initiate, execute one command, terminate.
class DdeClient {
public:
    DdeClient() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &DdeClient::Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QuillexTestDdeClient";
        RegisterClassW(&wc);
        m_hWnd = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~DdeClient() { DestroyWindow(m_hWnd); }

    // Sent to one window, as the shell's broadcast reaches it.
    bool Initiate(HWND hServer, const wchar_t* app, const wchar_t* topic) {
        ATOM aApp = GlobalAddAtomW(app), aTopic = GlobalAddAtomW(topic);
        SendMessageW(hServer, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(m_hWnd), MAKELPARAM(aApp, aTopic));
        GlobalDeleteAtom(aApp);
        GlobalDeleteAtom(aTopic);
        return m_hServer != nullptr;
    }
    void Execute(const std::wstring& command) {
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, (command.size() + 1) * sizeof(wchar_t));
        wcscpy(static_cast<wchar_t*>(GlobalLock(h)), command.c_str());
        GlobalUnlock(h);
        m_bAnswered = false;
        PostMessageW(m_hServer, WM_DDE_EXECUTE, reinterpret_cast<WPARAM>(m_hWnd), reinterpret_cast<LPARAM>(h));
    }
    void Terminate() {
        if (m_hServer) PostMessageW(m_hServer, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(m_hWnd), 0);
    }
    bool Answered() const { return m_bAnswered; }
    bool Acknowledged() const { return m_bAck; }

private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<DdeClient*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (msg == WM_DDE_ACK && self) {
            if (!self->m_hServer) {
                // The answer to the initiate: the atoms are ours to delete.
                self->m_hServer = reinterpret_cast<HWND>(wParam);
                GlobalDeleteAtom(LOWORD(lParam));
                GlobalDeleteAtom(HIWORD(lParam));
            } else {
                UINT_PTR status = 0, hCommands = 0;
                UnpackDDElParam(WM_DDE_ACK, lParam, &status, &hCommands);
                FreeDDElParam(WM_DDE_ACK, lParam);
                GlobalFree(reinterpret_cast<HGLOBAL>(hCommands));
                self->m_bAck = (status & 0x8000) != 0;
                self->m_bAnswered = true;
            }
            return 0;
        }
        return DefWindowProcW(hWnd, msg, wParam, lParam);
    }

    HWND m_hWnd = nullptr;
    HWND m_hServer = nullptr;
    bool m_bAnswered = false;
    bool m_bAck = false;
};

}  // namespace qxtest
