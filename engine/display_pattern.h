#pragma once
// Digit patterns for numbers shown to the user or written to text files.

#include <string>
#include <string_view>

namespace kestrix {

/// Formats value with a digit pattern such as "0000.0", "0.00000", "##0.0", "#0.000" or "0.000E+00".
/// "0" is a digit that always prints, "#" a digit that prints only when significant, "." the decimal point
/// (written as decimalSeparator), "E+" an exponent with its sign always printed and "E-" one signed only
/// when negative, followed by the minimum number of exponent digits as "0"s. The value is rounded to the
/// pattern's decimals (ties of the exact binary value go to even); integer digits beyond the pattern are
/// printed in full. A value that rounds to zero never gets a minus sign. A value that is not finite gives
/// a string of asterisks as long as the pattern, never "nan" or "inf".
/// Throws std::invalid_argument for a pattern outside this grammar.
std::string FormatPattern(double value, std::string_view pattern, char decimalSeparator = '.');

}  // namespace kestrix
