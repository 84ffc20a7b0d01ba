#include "tests/ui/DialogDriver.h"

#include <vector>

namespace qxtest {
namespace {

WhenDialogOpens* g_current = nullptr;  // one driver at a time

struct Search {
    const std::wstring* caption;
    HWND found;
};

BOOL CALLBACK FindCaption(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    wchar_t text[256] = {};
    GetWindowTextW(hWnd, text, 256);
    // The caption, or the caption and " - " what the dialog is about.
    const std::wstring caption = text;
    if (IsWindowVisible(hWnd) && (*search->caption == caption || caption.rfind(*search->caption + L" - ", 0) == 0)) {
        search->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

WhenDialogOpens::WhenDialogOpens(std::wstring caption, std::function<void(HWND)> action)
    : m_caption(std::move(caption)), m_action(std::move(action)) {
    g_current = this;
    m_timer = SetTimer(nullptr, 0, 20, &WhenDialogOpens::OnTimer);
}

WhenDialogOpens::~WhenDialogOpens() {
    if (m_timer) KillTimer(nullptr, m_timer);
    if (g_current == this) g_current = nullptr;
}

void CALLBACK WhenDialogOpens::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    WhenDialogOpens* self = g_current;
    if (!self || self->m_ran) return;
    Search search{&self->m_caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &FindCaption, reinterpret_cast<LPARAM>(&search));
    if (!search.found) return;
    self->m_ran = true;
    KillTimer(nullptr, self->m_timer);
    self->m_timer = 0;
    self->m_action(search.found);
}

std::wstring ItemText(HWND hDlg, int nID) {
    HWND hItem = GetDlgItem(hDlg, nID);
    std::vector<wchar_t> text(GetWindowTextLengthW(hItem) + 1);
    GetWindowTextW(hItem, text.data(), static_cast<int>(text.size()));
    return text.data();
}

void TypeText(HWND hDlg, int nID, const std::wstring& text) {
    HWND hEdit = GetDlgItem(hDlg, nID);
    SetFocus(hEdit);
    SendMessageW(hEdit, EM_SETSEL, 0, -1);
    SendMessageW(hEdit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND hDlg, int nID) { SendMessageW(GetDlgItem(hDlg, nID), BM_CLICK, 0, 0); }

void PressEnter(HWND hDlg) {
    // Posted, so that the dialog's own loop takes the key as it takes a user's.
    HWND hFocus = GetFocus();
    PostMessageW(hFocus ? hFocus : hDlg, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageW(hFocus ? hFocus : hDlg, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

}  // namespace qxtest
