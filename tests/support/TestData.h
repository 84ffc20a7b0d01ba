// Registry data spelt out byte by byte, built without the model's own helpers so that
// a test never checks the model against itself.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "model/Types.h"

namespace qx::test {

// UTF-16LE code units of text, with a terminating NUL unless told otherwise.
inline std::vector<uint8_t> Utf16Bytes(const std::wstring& text, bool terminate = true) {
    std::vector<uint8_t> bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    }
    if (terminate) bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

// Each string with its NUL, then the closing NUL.
inline std::vector<uint8_t> MultiSzBytes(std::initializer_list<std::wstring> strings) {
    std::vector<uint8_t> bytes;
    for (const auto& s : strings) {
        auto part = Utf16Bytes(s);
        bytes.insert(bytes.end(), part.begin(), part.end());
    }
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

inline std::vector<uint8_t> DwordBytes(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
}

// The 16 bytes of a GUID as the platform lays it out (Data1..3 little-endian).
inline std::vector<uint8_t> GuidBytes(const Guid& g) {
    std::vector<uint8_t> bytes = DwordBytes(g.Data1);
    bytes.push_back(static_cast<uint8_t>(g.Data2));
    bytes.push_back(static_cast<uint8_t>(g.Data2 >> 8));
    bytes.push_back(static_cast<uint8_t>(g.Data3));
    bytes.push_back(static_cast<uint8_t>(g.Data3 >> 8));
    bytes.insert(bytes.end(), g.Data4, g.Data4 + 8);
    return bytes;
}

inline Guid MakeGuid(uint32_t d1, uint16_t d2, uint16_t d3, std::initializer_list<uint8_t> d4) {
    Guid g;
    g.Data1 = d1;
    g.Data2 = d2;
    g.Data3 = d3;
    int i = 0;
    for (uint8_t b : d4)
        if (i < 8) g.Data4[i++] = b;
    return g;
}

}  // namespace qx::test
