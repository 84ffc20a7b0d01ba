// UTF-8 at the file and pipe boundary; UTF-16 everywhere inside.
#pragma once
#include <string>

namespace qx {

// A lone surrogate (registry text may hold one) becomes U+FFFD.
std::string Utf8FromWide(const std::wstring& text);
// False, with *text cleared, unless bytes are well-formed UTF-8 (no overlong forms,
// no surrogates, nothing above U+10FFFF).
bool WideFromUtf8(const std::string& bytes, std::wstring* text);

}  // namespace qx
