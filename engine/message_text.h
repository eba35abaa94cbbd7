#pragma once
// Text from files and command lines as messages quote it: bounded in length and with its control
// characters escaped, so that a hostile input neither floods a console nor moves its cursor.

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrix {

/// Longest piece of an input that a message quotes [bytes]; the place (file, line, column) is
/// always given in full before it.
constexpr std::size_t kMessageExcerptBytes = 80;

/// text with its control characters (C0, DEL and the UTF-8 C1 range U+0080 to U+009F) written
/// as escapes such as "\n" and "\x1b"; every other byte is kept.
std::string EscapedText(std::string_view text);

/// text cut to at most maxBytes bytes at a UTF-8 character boundary; a cut text ends in
/// "... (N bytes)" with N the full length. Control characters are escaped after the cut.
std::string ExcerptText(std::string_view text, std::size_t maxBytes = kMessageExcerptBytes);

/// ExcerptText in double quotes, as messages show an item they refuse.
std::string QuotedExcerpt(std::string_view text, std::size_t maxBytes = kMessageExcerptBytes);

}  // namespace kestrix
