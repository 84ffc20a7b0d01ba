#include "ui/framework/Afx.h"

#include <mutex>

#include "ui/framework/CriticalSection.h"
#include "ui/framework/WinApp.h"
#include "ui/framework/Wnd.h"

CString AfxLoadString(UINT nID) {
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out the resource text in place.
    int cch = LoadStringW(AfxGetResourceHandle(), nID, reinterpret_cast<LPWSTR>(&text), 0);
    return (cch > 0 && text) ? CString(text, static_cast<size_t>(cch)) : CString();
}

CString AfxExtractSubString(const CString& text, int nField) {
    size_t start = 0;
    for (int i = 0; i < nField; ++i) {
        size_t nl = text.find(L'\n', start);
        if (nl == CString::npos) return CString();
        start = nl + 1;
    }
    size_t end = text.find(L'\n', start);
    return text.substr(start, end == CString::npos ? CString::npos : end - start);
}

CString AfxFormatStrings(UINT nIDS, std::initializer_list<CString> args) {
    const CString format = AfxLoadString(nIDS);
    CString text;
    for (size_t i = 0; i < format.size(); ++i) {
        const wchar_t next = i + 1 < format.size() ? format[i + 1] : L'\0';
        const size_t n = next >= L'1' && next <= L'9' ? static_cast<size_t>(next - L'1') : args.size();
        if (format[i] == L'%' && n < args.size()) {
            text += args.begin()[n];
            ++i;
        } else {
            text += format[i];
        }
    }
    return text;
}

namespace {
CCriticalSection g_hookLock;
AfxMessageBoxHook g_hook;
}  // namespace

AfxMessageBoxHook AfxSetMessageBoxHook(AfxMessageBoxHook hook) {
    std::lock_guard<CCriticalSection> lock(g_hookLock);
    AfxMessageBoxHook previous = std::move(g_hook);
    g_hook = std::move(hook);
    return previous;
}

int AfxMessageBox(const CString& text, UINT nType, UINT nIDHelp) {
    AfxMessageBoxRequest request;
    // Owned by the main window's last active popup, so that it stays above a modal dialog.
    CWnd* pMain = AfxGetMainWnd();
    HWND hOwner = (pMain && pMain->m_hWnd) ? GetLastActivePopup(pMain->m_hWnd) : nullptr;
    if (hOwner && !IsWindowEnabled(hOwner)) hOwner = nullptr;
    request.hWndOwner = hOwner;
    request.text = text;
    CWinApp* pApp = AfxGetApp();
    request.caption = pApp ? pApp->m_pszAppName : CString();
    request.nType = nType;
    request.nIDHelp = nIDHelp;
    AfxMessageBoxHook hook;
    {
        std::lock_guard<CCriticalSection> lock(g_hookLock);
        hook = g_hook;
    }
    // Counted as a modal loop (a hooked box too, so tests see what users get).
    if (pApp) pApp->BeginModalState();
    int nResult = hook ? hook(request)
                       : MessageBoxW(request.hWndOwner, request.text.c_str(), request.caption.c_str(), request.nType);
    if (pApp) pApp->EndModalState();
    return nResult;
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
    return AfxMessageBox(AfxLoadString(nIDPrompt), nType, nIDHelp);
}
