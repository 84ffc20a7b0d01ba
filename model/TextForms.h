// The text forms that the model and the views share.
#pragma once
#include <string_view>

#include "model/Types.h"

namespace qx {

std::wstring HexText(uint32_t value);                 // "%08.8x": 31 -> 0000001f
std::wstring GuidText(const Guid& guid);               // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
std::wstring DeviceNumberText(int32_t number);         // "%04.4X": 26 -> 001A
std::wstring JoinList(const StringList& list);         // entries joined by single spaces

// Names the registry and the device manager compare without case (services, keys,
// instance IDs, paths): upper-cased a code unit at a time, and compared so.
std::wstring UpperCase(std::wstring text);
bool SameNameNoCase(std::wstring_view a, std::wstring_view b);

// A registry key name as a class GUID: exactly "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
// in hexadecimal digits of either case, and nothing else.
bool ParseGuid(std::wstring_view text, Guid* guid);

// Appends the strings of multi-string data to list, stopping at the first empty string
// or at the end of the data (cch characters), whichever comes first.
void AppendMultiSz(StringList& list, const wchar_t* data, size_t cch);
// The same for raw registry bytes (an odd last byte is ignored).
void AppendMultiSz(StringList& list, const uint8_t* data, size_t cb);

// A registry type's name: "REG_SZ", ... for the types 0 to 11, "type N" for others.
std::wstring RegistryTypeName(uint32_t type);

// UTF-16 registry bytes up to the first zero character or the end of the data.
std::wstring TextFromBytes(const uint8_t* data, size_t cb);

}  // namespace qx
