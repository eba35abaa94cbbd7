#pragma once
// Numbers typed by the user or read from list-input files. "." is the decimal point whatever
// the locale; "inf", "nan" and hexadecimal forms are not numbers.

#include <optional>
#include <string_view>

namespace kestrix {

/// The number at the start of `text`: leading blanks skipped, then an optional sign, digits
/// with an optional fraction and an optional exponent ("e" or "E", optional sign, digits).
/// Whatever follows is ignored; 0 when the text does not start with a number. A magnitude too
/// large for a double gives an infinity of that sign, one too small gives 0.
double ParseLeadingNumber(std::string_view text);

/// The value of `item` when the whole item is one number in the form above (no blanks, no
/// trailing characters, finite); nothing otherwise.
std::optional<double> ParseWholeNumber(std::string_view item);

}  // namespace kestrix
