#include "cli/Console.h"

#include <algorithm>
#include <cwchar>

namespace qxc {

std::wstring OneLine(const std::wstring& text) {
    // A title stands before the first paragraph break; what follows it is its reason.
    std::wstring line;
    bool title = true;
    for (wchar_t c : text) {
        if (c == L'\r' || c == L'\n') {
            while (!line.empty() && line.back() == L' ') line.pop_back();
            if (line.empty() || line.back() == L' ') continue;
            if (std::wstring(L".:;!?,").find(line.back()) == std::wstring::npos) line += title ? L':' : L'.';
            line += L' ';
            title = false;
        } else {
            line += c;
        }
    }
    while (!line.empty() && line.back() == L' ') line.pop_back();
    return line;
}

namespace {

bool IsWide(wchar_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
           (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6);
}

size_t CharWidth(wchar_t c) {
    if (c >= 0xDC00 && c <= 0xDFFF) return 0;                   // the pair's second half
    if (c >= 0xD800 && c <= 0xDBFF) return c >= 0xD840 ? 2 : 1;  // planes 2 and up are ideographs
    if ((c >= 0x0300 && c <= 0x036F) || c == 0x200B) return 0;   // combining marks, zero width space
    return IsWide(c) ? 2 : 1;
}

}  // namespace

size_t ScreenWidth(const std::wstring& text) {
    size_t width = 0;
    for (wchar_t c : text) width += CharWidth(c);
    return width;
}

std::wstring CutToWidth(const std::wstring& text, size_t width) {
    if (ScreenWidth(text) <= width) return text;
    const std::wstring ellipsis = L"...";
    if (width <= ellipsis.size()) return ellipsis.substr(0, width);
    std::wstring cut;
    size_t used = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t w = CharWidth(text[i]);
        if (used + w > width - ellipsis.size()) break;
        cut += text[i];
        used += w;
    }
    // Never end on the first half of a pair.
    if (!cut.empty() && cut.back() >= 0xD800 && cut.back() <= 0xDBFF) cut.pop_back();
    return cut + ellipsis;
}

std::wstring Table::Text(size_t maxWidth) const {
    std::vector<size_t> widths;
    for (const StringList& row : m_rows)
        for (size_t i = 0; i < row.size(); ++i) {
            if (widths.size() <= i) widths.push_back(0);
            widths[i] = std::max(widths[i], ScreenWidth(row[i]));
        }
    const size_t kGap = 2, kNarrowest = 12;
    if (maxWidth && !widths.empty()) {
        // The columns that may be cut share what the others leave: each is cut to one
        // width (no narrower than kNarrowest), the widest first, until a row fits.
        auto whole = [&](size_t i) { return std::find(m_whole.begin(), m_whole.end(), i) != m_whole.end(); };
        size_t fixed = kGap * (widths.size() - 1);
        size_t cap = 0;
        for (size_t i = 0; i < widths.size(); ++i) {
            if (whole(i)) fixed += widths[i];
            else cap = std::max(cap, widths[i]);
        }
        auto total = [&](size_t c) {
            size_t sum = fixed;
            for (size_t i = 0; i < widths.size(); ++i)
                if (!whole(i)) sum += std::min(widths[i], c);
            return sum;
        };
        while (cap > kNarrowest && total(cap) > maxWidth) --cap;
        for (size_t i = 0; i < widths.size(); ++i)
            if (!whole(i)) widths[i] = std::min(widths[i], cap);
    }
    std::wstring text;
    for (const StringList& row : m_rows) {
        std::wstring line;
        for (size_t i = 0; i < row.size(); ++i) {
            const std::wstring cell = maxWidth ? CutToWidth(row[i], widths[i]) : row[i];
            line += cell;
            if (i + 1 < row.size()) line += std::wstring(widths[i] - ScreenWidth(cell) + kGap, L' ');
        }
        while (!line.empty() && line.back() == L' ') line.pop_back();
        text += line + L"\r\n";
    }
    return text;
}

void Table::Print(Stream& out, size_t maxWidth) const { out.Write(Text(maxWidth)); }

std::wstring CommandLineWording(std::wstring text) {
    // The model words a few messages for the window; here there is no form showing a list.
    const struct {
        const wchar_t* window;
        const wchar_t* console;
    } kPhrases[] = {
        {L"The list as stored is shown now; edit it again to change it.",
         L"\"quillexc show TARGET\" shows the list as stored; change it from there."},
        {L"are not among the classes and devices shown.", L"are not among the classes and devices on this machine."},
    };
    for (const auto& phrase : kPhrases) {
        const size_t at = text.find(phrase.window);
        if (at != std::wstring::npos) text.replace(at, std::wcslen(phrase.window), phrase.console);
    }
    return text;
}

int ConsoleMessages::ShowMessage(const std::wstring& text, unsigned type) {
    if ((type & 0xF) == qx::kMbYesNo) {
        if (m_yes) return qx::kIdYes;
        Err().Line(OneLine(text));
        return qx::kIdNo;
    }
    Err().Line(OneLine(CommandLineWording(text)));
    return qx::kIdOk;
}

}  // namespace qxc
