// What reaches the frame from outside the program: dropped files, the shell's DDE
// open requests, and the help commands.
#include <dde.h>

#include <vector>

#include "ui/framework/FrameWnd.h"
#include "ui/framework/WinApp.h"

void CFrameWnd::OnDropFiles(HDROP hDrop) {
    // One document at a time: the first file dropped is opened.
    CString path;
    if (DragQueryFileW(hDrop, 0xFFFFFFFF, nullptr, 0) > 0) {
        UINT cch = DragQueryFileW(hDrop, 0, nullptr, 0);
        std::vector<wchar_t> buffer(cch + 1, L'\0');
        if (DragQueryFileW(hDrop, 0, buffer.data(), cch + 1) > 0) path = buffer.data();
    }
    DragFinish(hDrop);
    if (!path.empty()) {
        ::SetActiveWindow(m_hWnd);
        if (CWinApp* pApp = AfxGetApp()) pApp->OpenDocumentFile(path.c_str());
    }
}

LRESULT CFrameWnd::OnDDEInitiate(WPARAM wParam, LPARAM lParam) {
    CWinApp* pApp = AfxGetApp();
    if (!pApp || !pApp->m_atomApp || pApp->m_pMainWnd != this) return 0;
    ATOM aApp = LOWORD(lParam), aTopic = HIWORD(lParam);
    if ((aApp && aApp != pApp->m_atomApp) || (aTopic && aTopic != pApp->m_atomSystemTopic)) return 0;
    // The atoms of the answer belong to the client, which deletes them.
    wchar_t name[256];
    ATOM aAppAck = GlobalGetAtomNameW(pApp->m_atomApp, name, 256) ? GlobalAddAtomW(name) : 0;
    ATOM aTopicAck = GlobalGetAtomNameW(pApp->m_atomSystemTopic, name, 256) ? GlobalAddAtomW(name) : 0;
    ::SendMessageW(reinterpret_cast<HWND>(wParam), WM_DDE_ACK, reinterpret_cast<WPARAM>(m_hWnd),
                   MAKELPARAM(aAppAck, aTopicAck));
    return 0;
}

LRESULT CFrameWnd::OnDDEExecute(WPARAM wParam, LPARAM lParam) {
    HWND hClient = reinterpret_cast<HWND>(wParam);
    UINT_PTR unused = 0, hData = 0;
    UnpackDDElParam(WM_DDE_EXECUTE, lParam, &unused, &hData);
    HGLOBAL hCommands = reinterpret_cast<HGLOBAL>(hData);
    CString command;
    SIZE_T cb = hCommands ? GlobalSize(hCommands) : 0;
    if (const void* p = cb ? GlobalLock(hCommands) : nullptr) {
        // The text's width follows the client's window; it need not be terminated within the block.
        if (IsWindowUnicode(hClient)) {
            const auto* text = static_cast<const wchar_t*>(p);
            size_t cch = 0, cchMax = cb / sizeof(wchar_t);
            while (cch < cchMax && text[cch]) ++cch;
            command.assign(text, cch);
        } else {
            const auto* text = static_cast<const char*>(p);
            size_t cch = 0;
            while (cch < cb && text[cch]) ++cch;
            int cchWide = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(cch), nullptr, 0);
            command.resize(static_cast<size_t>(cchWide));
            if (cchWide > 0) MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(cch), &command[0], cchWide);
        }
        GlobalUnlock(hCommands);
    }
    CWinApp* pApp = AfxGetApp();
    BOOL bAck = !command.empty() && pApp && pApp->OnDDECommand(command.c_str());
    const UINT_PTR wStatus = bAck ? 0x8000 : 0;  // DDEACK's fAck bit
    if (!::PostMessageW(hClient, WM_DDE_ACK, reinterpret_cast<WPARAM>(m_hWnd),
                        ReuseDDElParam(lParam, WM_DDE_EXECUTE, WM_DDE_ACK, wStatus, hData)))
        FreeDDElParam(WM_DDE_ACK, lParam);
    return 0;
}

LRESULT CFrameWnd::OnOpenDeferred(WPARAM, LPARAM) {
    if (CWinApp* pApp = AfxGetApp()) pApp->OpenDeferredDocuments();
    return 0;
}

LRESULT CFrameWnd::OnDDETerminate(WPARAM wParam, LPARAM) {
    ::PostMessageW(reinterpret_cast<HWND>(wParam), WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(m_hWnd), 0);
    return 0;
}

void CFrameWnd::OnHelp() {
    if (CWinApp* pApp = AfxGetApp()) pApp->ShowHelpPage();
}

void CFrameWnd::OnHelpFinder() { OnHelp(); }

void CFrameWnd::OnContextHelp() { OnHelp(); }
