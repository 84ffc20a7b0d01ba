#include "model/TextForms.h"

#include <cstdio>
#include <cwchar>
#include <cwctype>

#include "model/Bytes.h"

namespace qx {

bool operator==(const Guid& a, const Guid& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}

namespace {

std::wstring NumberText(const wchar_t* format, unsigned value) {
    wchar_t text[16];
    std::swprintf(text, 16, format, value);
    return text;
}

}  // namespace

std::wstring HexText(uint32_t value) { return NumberText(L"%08.8x", static_cast<unsigned>(value)); }

std::wstring UpperCase(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return text;
}

bool SameNameNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::towupper(static_cast<wint_t>(a[i])) != std::towupper(static_cast<wint_t>(b[i]))) return false;
    return true;
}

std::wstring RegistryTypeName(uint32_t type) {
    static const wchar_t* const kNames[] = {
        L"REG_NONE", L"REG_SZ", L"REG_EXPAND_SZ", L"REG_BINARY", L"REG_DWORD", L"REG_DWORD_BIG_ENDIAN",
        L"REG_LINK", L"REG_MULTI_SZ", L"REG_RESOURCE_LIST", L"REG_FULL_RESOURCE_DESCRIPTOR",
        L"REG_RESOURCE_REQUIREMENTS_LIST", L"REG_QWORD"};
    if (type < sizeof(kNames) / sizeof(kNames[0])) return kNames[type];
    return L"type " + std::to_wstring(type);
}

std::wstring GuidText(const Guid& g) {
    wchar_t text[40];
    std::swprintf(text, 40, L"{%08.8X-%04.4X-%04.4X-%02.2X%02.2X-%02.2X%02.2X%02.2X%02.2X%02.2X%02.2X}",
                  static_cast<unsigned>(g.Data1), unsigned{g.Data2}, unsigned{g.Data3},
                  unsigned{g.Data4[0]}, unsigned{g.Data4[1]}, unsigned{g.Data4[2]},
                  unsigned{g.Data4[3]}, unsigned{g.Data4[4]}, unsigned{g.Data4[5]},
                  unsigned{g.Data4[6]}, unsigned{g.Data4[7]});
    return text;
}

std::wstring DeviceNumberText(int32_t number) { return NumberText(L"%04.4X", static_cast<unsigned>(number)); }

std::wstring JoinList(const StringList& list) {
    std::wstring text;
    for (const auto& entry : list) {
        if (!text.empty() || &entry != &list.front()) text += L' ';
        text += entry;
    }
    return text;
}

namespace {

bool IsHexDigit(wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}

// Reads exactly `digits` hexadecimal digits at pos.
bool ReadHex(std::wstring_view s, size_t& pos, int digits, uint32_t* value) {
    uint32_t v = 0;
    for (int i = 0; i < digits; ++i, ++pos) {
        if (pos >= s.size() || !IsHexDigit(s[pos])) return false;
        wchar_t c = s[pos];
        v = v * 16 + static_cast<uint32_t>(c <= L'9' ? c - L'0' : (c | 0x20) - L'a' + 10);
    }
    *value = v;
    return true;
}

bool Expect(std::wstring_view s, size_t& pos, wchar_t c) {
    if (pos < s.size() && s[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

}  // namespace

bool ParseGuid(std::wstring_view s, Guid* guid) {
    // A class key is taken only when its whole name is a braced GUID: a sibling such
    // as "{...}.bak" that an administrator saved is not the class a second time.
    size_t pos = 0;
    uint32_t v[11];
    static const int widths[11] = {8, 4, 4, 2, 2, 2, 2, 2, 2, 2, 2};
    static const wchar_t before[11] = {L'{', L'-', L'-', L'-', 0, L'-', 0, 0, 0, 0, 0};
    for (int i = 0; i < 11; ++i) {
        if (before[i] && !Expect(s, pos, before[i])) return false;
        if (!ReadHex(s, pos, widths[i], &v[i])) return false;
    }
    if (!Expect(s, pos, L'}') || pos != s.size()) return false;
    guid->Data1 = v[0];
    guid->Data2 = static_cast<uint16_t>(v[1]);
    guid->Data3 = static_cast<uint16_t>(v[2]);
    for (int i = 0; i < 8; ++i) guid->Data4[i] = static_cast<uint8_t>(v[3 + i]);
    return true;
}

void AppendMultiSz(StringList& list, const wchar_t* data, size_t cch) {
    size_t pos = 0;
    while (data && pos < cch && data[pos] != L'\0') {
        size_t end = pos;
        while (end < cch && data[end] != L'\0') ++end;
        list.emplace_back(data + pos, end - pos);
        pos = end + 1;
    }
}

void AppendMultiSz(StringList& list, const uint8_t* data, size_t cb) {
    std::wstring all(cb / 2, L'\0');
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<wchar_t>(ReadLe16(data + 2 * i));
    AppendMultiSz(list, all.data(), all.size());
}

std::wstring TextFromBytes(const uint8_t* data, size_t cb) {
    size_t length = 0;
    while (data && 2 * length + 1 < cb && ReadLe16(data + 2 * length) != 0) ++length;
    std::wstring text(length, L'\0');
    for (size_t i = 0; i < length; ++i) text[i] = static_cast<wchar_t>(ReadLe16(data + 2 * i));
    return text;
}

}  // namespace qx
