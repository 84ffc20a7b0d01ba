// Filter lists as stored: the REG_MULTI_SZ image.
#pragma once
#include "model/Types.h"

namespace qx {

// Each entry with its terminating NUL, then one more NUL; empty for an empty list.
std::vector<uint8_t> BuildMultiSz(const StringList& list);
// True when every entry can be stored (an empty entry would end the list early).
bool IsStorableFilterList(const StringList& list);

}  // namespace qx
