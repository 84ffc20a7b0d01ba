#include "model/FilterText.h"

#include <cwctype>

#include "model/DeviceAccess.h"

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

const std::wstring* FindMissingService(const StringList& names) {
    for (const auto& name : names) {
        // A backslash would name a key below a service, not a service, and the filter
        // written would never load.
        if (name.empty() || name.find(L'\\') != std::wstring::npos) return &name;
        RegKey key;
        if (key.Open(std::wstring(kServicesRootPath) + L'\\' + name, kKeyRead) != kErrSuccess)
            return &name;
    }
    return nullptr;
}

}  // namespace qx
