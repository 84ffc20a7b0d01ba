#include "model/Filters.h"

namespace qx {

std::vector<uint8_t> BuildMultiSz(const StringList& list) {
    std::vector<uint8_t> image;
    if (list.empty()) return image;
    auto put = [&image](wchar_t c) {
        image.push_back(static_cast<uint8_t>(c & 0xFF));
        image.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    };
    for (const auto& entry : list) {
        for (wchar_t c : entry) put(c);
        put(L'\0');
    }
    put(L'\0');
    return image;
}

bool IsStorableFilterList(const StringList& list) {
    for (const auto& entry : list) {
        // An empty entry would end the stored list early and hide the names after it;
        // an embedded NUL would split one name into two.
        if (entry.empty() || entry.find(L'\0') != std::wstring::npos) return false;
    }
    return true;
}

}  // namespace qx
