#include "cli/Console.h"

#include <windows.h>

#include <algorithm>

#include "model/FilterStore.h"
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

std::wstring OneLine(const std::wstring& text) {
    std::wstring line;
    for (wchar_t c : text) {
        if (c == L'\r' || c == L'\n') {
            if (!line.empty() && line.back() != L' ') line += L' ';
        } else {
            line += c;
        }
    }
    while (!line.empty() && line.back() == L' ') line.pop_back();
    return line;
}

void Table::Print(Stream& out) const {
    std::vector<size_t> widths;
    for (const StringList& row : m_rows)
        for (size_t i = 0; i < row.size(); ++i) {
            if (widths.size() <= i) widths.push_back(0);
            widths[i] = std::max(widths[i], row[i].size());
        }
    for (const StringList& row : m_rows) {
        std::wstring line;
        for (size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) line += std::wstring(widths[i] - row[i].size() + 2, L' ');
        }
        while (!line.empty() && line.back() == L' ') line.pop_back();
        out.Line(line);
    }
}

int ConsoleMessages::ShowMessage(const std::wstring& text, unsigned type) {
    if ((type & 0xF) == qx::kMbYesNo) {
        if (m_yes) return qx::kIdYes;
        Err().Line(OneLine(text));
        return qx::kIdNo;
    }
    for (bool upper : {true, false}) {
        const std::wstring failure = qx::FilterStoreFailureText(upper);
        if (text.compare(0, failure.size(), failure) == 0) m_writeFailed = true;
    }
    Err().Line(OneLine(text));
    return qx::kIdOk;
}

}  // namespace qxc
