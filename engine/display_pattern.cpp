#include "display_pattern.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "decimal_text.h"

namespace kestrix {
namespace {

struct Pattern {
  int minimumIntegerDigits = 0;  // "0" positions before the point
  int integerPositions = 0;      // "0" and "#" positions before the point
  bool point = false;
  int decimals = 0;
  bool exponent = false;
  bool exponentSignAlways = false;
  int exponentDigits = 0;
};

Pattern ParsePattern(std::string_view text) {
  const auto bad = [&] { return std::invalid_argument("unknown number pattern \"" + std::string(text) + "\""); };
  Pattern pattern;
  std::size_t pos = 0;
  for (; pos < text.size() && (text[pos] == '0' || text[pos] == '#'); ++pos) {
    if (text[pos] == '0') {
      ++pattern.minimumIntegerDigits;
    } else if (pattern.minimumIntegerDigits > 0) {
      throw bad();  // "#" only leads
    }
    ++pattern.integerPositions;
  }
  if (pos < text.size() && text[pos] == '.') {
    pattern.point = true;
    for (++pos; pos < text.size() && text[pos] == '0'; ++pos) ++pattern.decimals;
  }
  if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e')) {
    pattern.exponent = true;
    ++pos;
    if (pos == text.size() || (text[pos] != '+' && text[pos] != '-')) throw bad();
    pattern.exponentSignAlways = text[pos] == '+';
    for (++pos; pos < text.size() && text[pos] == '0'; ++pos) ++pattern.exponentDigits;
    if (pattern.exponentDigits == 0) throw bad();
    // Scientific notation here always has exactly one digit before the point.
    if (pattern.integerPositions != 1 || pattern.minimumIntegerDigits != 1) throw bad();
  }
  if (pos != text.size() || pattern.integerPositions + pattern.decimals == 0) throw bad();
  return pattern;
}

std::string FormatPlain(double value, const Pattern& pattern, char separator) {
  std::string digits = FixedDigits(std::fabs(value), pattern.decimals);
  const bool negative = value < 0 && !AllDigitsZero(digits);
  const std::size_t point = digits.find('.');
  std::string integer = digits.substr(0, point);
  const std::string fraction = point == std::string::npos ? std::string() : digits.substr(point + 1);
  if (integer == "0" && pattern.minimumIntegerDigits == 0) integer.clear();
  if (static_cast<int>(integer.size()) < pattern.minimumIntegerDigits) {
    integer.insert(0, static_cast<std::size_t>(pattern.minimumIntegerDigits) - integer.size(), '0');
  }
  std::string text = negative ? "-" : "";
  text += integer;
  if (pattern.point) text += separator;
  text += fraction;
  return text;
}

std::string FormatScientific(double value, const Pattern& pattern, char separator) {
  const std::string digits = ScientificDigits(std::fabs(value), pattern.decimals);
  const std::size_t e = digits.find('e');
  const std::string mantissa = digits.substr(0, e);
  int exponent = std::atoi(digits.c_str() + e + 1);
  const bool zero = AllDigitsZero(mantissa);
  if (zero) exponent = 0;
  std::string text = value < 0 && !zero ? "-" : "";
  text += mantissa.substr(0, 1);
  if (pattern.point) text += separator;
  if (pattern.decimals > 0) text += mantissa.substr(2);
  text += 'E';
  if (exponent < 0) {
    text += '-';
  } else if (pattern.exponentSignAlways) {
    text += '+';
  }
  std::string exponentText = std::to_string(std::abs(exponent));
  if (static_cast<int>(exponentText.size()) < pattern.exponentDigits) {
    exponentText.insert(0, static_cast<std::size_t>(pattern.exponentDigits) - exponentText.size(), '0');
  }
  return text + exponentText;
}

}  // namespace

std::string FormatPattern(double value, std::string_view patternText, char decimalSeparator) {
  const Pattern pattern = ParsePattern(patternText);
  if (!std::isfinite(value)) return std::string(patternText.size(), '*');
  return pattern.exponent ? FormatScientific(value, pattern, decimalSeparator)
                          : FormatPlain(value, pattern, decimalSeparator);
}

}  // namespace kestrix
