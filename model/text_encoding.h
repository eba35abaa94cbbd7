#pragma once
// Text read from users' files: Japanese Windows editors save in Shift_JIS (code page 932), the
// program works in UTF-8 throughout.

#include <string>
#include <string_view>

namespace kestrix {

/// true when `bytes` is well-formed UTF-8 (no overlong forms, surrogates or code points above U+10FFFF)
bool IsValidUtf8(std::string_view bytes);

/// `bytes` decoded as code page 932 (Shift_JIS with the Windows extensions) and written as UTF-8;
/// a byte sequence that is not CP932 becomes U+FFFD. Defined once per platform.
std::string Cp932ToUtf8(std::string_view bytes);

/// Text of a user's file as UTF-8: valid UTF-8 is kept as it is, anything else is read as CP932.
std::string UserTextToUtf8(std::string_view bytes);

}  // namespace kestrix
