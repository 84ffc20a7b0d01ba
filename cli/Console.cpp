#include "cli/Console.h"

#include <algorithm>

#include "model/FilterStore.h"

namespace qxc {

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
