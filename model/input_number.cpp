#include "input_number.h"

#include <charconv>
#include <cstddef>
#include <limits>
#include <string>
#include <system_error>

namespace kestrix {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t DigitsFrom(std::string_view text, std::size_t pos) {
  std::size_t end = pos;
  while (end < text.size() && IsDigit(text[end])) ++end;
  return end - pos;
}

/// Parts of a number written at the start of a text.
struct NumberSyntax {
  std::size_t length = 0;  // characters taken, sign included; 0 when there is no number
  bool negative = false;
};

NumberSyntax ScanNumber(std::string_view text) {
  NumberSyntax syntax;
  std::size_t pos = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    syntax.negative = text[pos] == '-';
    ++pos;
  }
  const std::size_t integerDigits = DigitsFrom(text, pos);
  pos += integerDigits;
  std::size_t fractionDigits = 0;
  if (pos < text.size() && text[pos] == '.') {
    fractionDigits = DigitsFrom(text, pos + 1);
    if (integerDigits + fractionDigits > 0) pos += 1 + fractionDigits;
  }
  if (integerDigits + fractionDigits == 0) return syntax;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    std::size_t exponentStart = pos + 1;
    if (exponentStart < text.size() && (text[exponentStart] == '+' || text[exponentStart] == '-')) ++exponentStart;
    const std::size_t exponentDigits = DigitsFrom(text, exponentStart);
    if (exponentDigits > 0) pos = exponentStart + exponentDigits;
  }
  syntax.length = pos;
  return syntax;
}

/// Whether the unsigned number `digits` (already checked) is above 1 in magnitude; decides
/// between overflow and underflow when it does not fit a double.
bool MagnitudeAboveOne(std::string_view digits) {
  // scale: the power of ten just above the first non-zero digit of the mantissa
  long scale = 0;
  bool inFraction = false;
  bool found = false;
  std::size_t pos = 0;
  for (; pos < digits.size() && digits[pos] != 'e' && digits[pos] != 'E'; ++pos) {
    const char c = digits[pos];
    if (c == '.') {
      inFraction = true;
    } else if (inFraction) {
      if (found) continue;
      if (c != '0') found = true;
      else --scale;
    } else if (found || c != '0') {
      found = true;
      ++scale;
    }
  }
  if (!found) return false;
  long exponent = 0;
  if (pos < digits.size()) {
    std::size_t e = pos + 1;
    const bool negativeExponent = e < digits.size() && digits[e] == '-';
    if (e < digits.size() && (digits[e] == '+' || digits[e] == '-')) ++e;
    for (; e < digits.size(); ++e) {
      if (exponent < 100000) exponent = exponent * 10 + (digits[e] - '0');
    }
    if (negativeExponent) exponent = -exponent;
  }
  return scale + exponent > 0;
}

double ConvertNumber(std::string_view text, const NumberSyntax& syntax) {
  std::string_view unsignedPart = text.substr(0, syntax.length);
  if (!unsignedPart.empty() && (unsignedPart[0] == '+' || unsignedPart[0] == '-')) unsignedPart.remove_prefix(1);
  double value = 0;
  const auto result = std::from_chars(unsignedPart.data(), unsignedPart.data() + unsignedPart.size(), value,
                                      std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    value = MagnitudeAboveOne(unsignedPart) ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (result.ec != std::errc() || result.ptr != unsignedPart.data() + unsignedPart.size()) {
    value = 0;
  }
  return syntax.negative ? -value : value;
}

}  // namespace

double ParseLeadingNumber(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
  text.remove_prefix(start);
  const NumberSyntax syntax = ScanNumber(text);
  if (syntax.length == 0) return 0.0;
  return ConvertNumber(text, syntax);
}

std::optional<double> ParseWholeNumber(std::string_view item) {
  const NumberSyntax syntax = ScanNumber(item);
  if (syntax.length == 0 || syntax.length != item.size()) return std::nullopt;
  const double value = ConvertNumber(item, syntax);
  if (value == std::numeric_limits<double>::infinity() || value == -std::numeric_limits<double>::infinity()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace kestrix
