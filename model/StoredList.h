// A filter list as the registry holds it, read from the registry itself rather than
// from a record: the value's type and exact bytes, or nothing stored. What a write
// compares against, what a change records, and what an undo puts back.
#pragma once
#include "model/Types.h"

class CDevice;

namespace qx {

struct StoredList {
    bool present = false;
    uint32_t type = kRegNone;
    std::vector<uint8_t> data;

    // The names as the record reads them: up to the first empty string, whatever the
    // type (a number's bytes make characters; HoldsOtherType tells such a value).
    StringList Names() const;
    bool HoldsOtherType() const { return present && !IsListType(type); }
    // A value of another type as the user sees it: its contents ("0x00000001"), and
    // "(REG_DWORD 0x00000001)" whole; both empty for a list or nothing.
    std::wstring OtherTypeContents() const;
    std::wstring OtherTypeText() const;
    static bool IsListType(uint32_t type) { return type == kRegMultiSz || type == kRegSz; }
};
bool operator==(const StoredList& a, const StoredList& b);
inline bool operator!=(const StoredList& a, const StoredList& b) { return !(a == b); }

// The name of a class key's filter value: "UpperFilters" or "LowerFilters".
inline const wchar_t* FilterValueName(bool upper) { return upper ? L"UpperFilters" : L"LowerFilters"; }

// The value "UpperFilters" or "LowerFilters" of an open class key, read whole. False
// when it exists but cannot be read; only the platform's "not found" reads as absent.
// *noMemory (when given) tells a value too large to hold apart from one that could not
// be read; *failure (when given) is the platform's error of a failed read.
bool ReadClassFilters(KeyHandle classKey, bool upper, StoredList* list, bool* noMemory = nullptr,
                      long* failure = nullptr);
// The device's UpperFilters or LowerFilters property. Only the device setup's "not
// found" reads as absent; an empty value it left is present and empty. False when the
// property cannot be read or is too large to hold (*noMemory, when given, says so).
bool ReadDeviceFilters(const CDevice& device, bool upper, StoredList* list, bool* noMemory = nullptr,
                       long* failure = nullptr);

// Whether two states of the same list hold the same: exactly for a class's value; for a
// device's property by its names, since the device setup always stores its own type.
bool SameListState(bool device, const StoredList& a, const StoredList& b);

}  // namespace qx
