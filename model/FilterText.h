// The filter list as the user edits it: one line of names.
#pragma once
#include "model/Types.h"

namespace qx {

// The names in the line: white space before the first and after the last name is
// dropped, runs of spaces separate names, and any other character (a tab included)
// belongs to the name it stands in. Never yields an empty name.
StringList SplitFilterText(const std::wstring& text);

}  // namespace qx
