#pragma once
// Decimal numbers in text, read and written without regard to the C locale.

#include <optional>
#include <string>
#include <string_view>

namespace kestrix {

/// Reads text (no blanks inside) made of an optional sign, digits with at most one point, and an optional
/// exponent ("E", "e", "D" or "d" with optional sign and digits; when fortranExponent also a bare sign
/// followed by digits, as in "1.5+02"). Without a point the digits are scaled by 10^-impliedDecimals.
/// nullopt for anything else, including "inf", "nan", hexadecimal and values outside double's range.
std::optional<double> ParseDecimalText(std::string_view text, int impliedDecimals = 0, bool fortranExponent = false);

/// value rounded to decimals places in plain notation ("-12.345"); ties of the exact binary value to even.
std::string FixedDigits(double value, int decimals);

/// value rounded to decimals places in the mantissa, as "d.ddde+XX".
std::string ScientificDigits(double value, int decimals);

/// the shortest decimal text that reads back to value (for finite values)
std::string ShortestDecimal(double value);

/// True when text holds no digit other than zero (a value that rounded to zero).
bool AllDigitsZero(std::string_view text);

}  // namespace kestrix
