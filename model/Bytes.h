// Numbers and GUIDs in the platform's byte order (little-endian) read from raw
// registry and property data. The caller makes sure the bytes are there.
#pragma once
#include "model/Types.h"

namespace qx {

inline uint16_t ReadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t ReadLe32(const uint8_t* p) { return ReadLe16(p) | uint32_t{ReadLe16(p + 2)} << 16; }

// The 16 bytes of a GUID as the platform stores it: Data1 to Data3 little-endian,
// then the eight bytes of Data4.
inline Guid ReadGuid(const uint8_t* p) {
    Guid guid;
    guid.Data1 = ReadLe32(p);
    guid.Data2 = ReadLe16(p + 4);
    guid.Data3 = ReadLe16(p + 6);
    for (int i = 0; i < 8; ++i) guid.Data4[i] = p[8 + i];
    return guid;
}

}  // namespace qx
