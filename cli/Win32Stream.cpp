// Standard output and error on Windows: WriteConsoleW on a console, UTF-8 otherwise.
#include <windows.h>

#include <algorithm>

#include "cli/Console.h"
#include "model/Utf8.h"

namespace qxc {

Stream::Stream(unsigned long which) : m_handle(GetStdHandle(which)), m_console(false) {
    DWORD mode = 0;
    m_console = m_handle && m_handle != INVALID_HANDLE_VALUE && GetConsoleMode(m_handle, &mode);
}

void Stream::Write(const std::wstring& text) {
    if (!m_handle || m_handle == INVALID_HANDLE_VALUE || text.empty()) return;
    if (!m_console) {
        WriteUtf8(qx::Utf8FromWide(text));
        return;
    }
    // In pieces: an old console refuses one large write.
    const size_t kPiece = 8192;
    for (size_t at = 0; at < text.size(); at += kPiece) {
        DWORD written = 0;
        DWORD cch = static_cast<DWORD>(std::min(kPiece, text.size() - at));
        if (!WriteConsoleW(m_handle, text.data() + at, cch, &written, nullptr)) return;
    }
}

void Stream::WriteUtf8(const std::string& bytes) {
    if (!m_handle || m_handle == INVALID_HANDLE_VALUE || bytes.empty()) return;
    if (m_console) {
        std::wstring text;
        if (qx::WideFromUtf8(bytes, &text)) Write(text);
        return;
    }
    size_t at = 0;
    while (at < bytes.size()) {
        DWORD written = 0;
        DWORD cb = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, 1u << 20));
        if (!WriteFile(m_handle, bytes.data() + at, cb, &written, nullptr) || written == 0) return;
        at += written;
    }
}

Stream& Out() {
    static Stream out(STD_OUTPUT_HANDLE);
    return out;
}

Stream& Err() {
    static Stream err(STD_ERROR_HANDLE);
    return err;
}

}  // namespace qxc
