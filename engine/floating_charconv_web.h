#pragma once
// The floating-point std::to_chars and std::from_chars that the C++ library of Debian's emscripten
// (libc++ 14) lacks, for the web build only (the build includes this header before every file).
// Same results as the standard's: the shortest text that reads back, printf's fixed, scientific
// and general forms with a precision, and reading with chars_format::general.

#include <charconv>

namespace std {

/// the shortest text that reads back to value, plain or scientific, whichever is shorter (plain on a tie)
to_chars_result to_chars(char* first, char* last, double value);
/// value as printf's %.<precision>f, %.<precision>e or %.<precision>g writes it
to_chars_result to_chars(char* first, char* last, double value, chars_format format, int precision);
/// a decimal number: optional '-', digits with at most one point, optional exponent; result_out_of_range
/// when it is too large for a double or so small that it reads as zero
from_chars_result from_chars(const char* first, const char* last, double& value,
                             chars_format format = chars_format::general);

}  // namespace std
