#include "model/FilterText.h"

#include <cwctype>

namespace qx {

StringList SplitFilterText(const std::wstring& text) {
    size_t first = 0, last = text.size();
    while (first < last && std::iswspace(text[first])) ++first;
    while (last > first && std::iswspace(text[last - 1])) --last;
    StringList names;
    std::wstring current;
    for (size_t i = first; i < last; ++i) {
        if (text[i] != L' ') {
            current += text[i];
        } else if (!current.empty()) {
            names.push_back(current);
            current.clear();
        }
    }
    if (!current.empty()) names.push_back(current);
    return names;
}

}  // namespace qx
