#include "decimal_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <system_error>

namespace kestrix {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Keeps exponent arithmetic finite for absurdly long exponents; far outside double's range anyway.
constexpr long kExponentClamp = 100000;

}  // namespace

std::optional<double> ParseDecimalText(std::string_view text, int impliedDecimals, bool fortranExponent) {
  std::size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  std::string digits;
  long fractionDigits = 0;
  bool point = false;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (IsDigit(c)) {
      digits += c;
      if (point) ++fractionDigits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits.empty()) return std::nullopt;

  long exponent = 0;
  if (pos < text.size()) {
    const char c = text[pos];
    const bool letter = c == 'E' || c == 'e' || c == 'D' || c == 'd';
    const bool bareSign = fortranExponent && (c == '+' || c == '-');
    if (!letter && !bareSign) return std::nullopt;
    if (letter) ++pos;
    bool exponentNegative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
      exponentNegative = text[pos] == '-';
      ++pos;
    }
    if (pos == text.size()) return std::nullopt;
    for (; pos < text.size(); ++pos) {
      if (!IsDigit(text[pos])) return std::nullopt;
      if (exponent < kExponentClamp) exponent = exponent * 10 + (text[pos] - '0');
    }
    if (exponentNegative) exponent = -exponent;
  }

  const long scale = exponent - (point ? fractionDigits : impliedDecimals);
  const std::string canonical = (negative ? "-" : "") + digits + "e" + std::to_string(scale);
  double value = 0;
  const auto [end, error] = std::from_chars(canonical.data(), canonical.data() + canonical.size(), value);
  if (error == std::errc::result_out_of_range) {
    // Too small rounds to zero; too large is not a number this program can hold.
    const std::size_t firstSignificant = digits.find_first_not_of('0');
    const long magnitude =
        firstSignificant == std::string::npos ? 0 : static_cast<long>(digits.size() - firstSignificant) + scale;
    if (magnitude <= 0) return negative ? -0.0 : 0.0;
    return std::nullopt;
  }
  if (error != std::errc() || end != canonical.data() + canonical.size()) return std::nullopt;
  return value;
}

std::string FixedDigits(double value, int decimals) {
  if (!std::isfinite(value) || decimals < 0 || decimals > 60) {
    throw std::invalid_argument("cannot print this value with " + std::to_string(decimals) + " decimals");
  }
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) throw std::invalid_argument("number too long to print");
  return std::string(buffer, result.ptr);
}

std::string ScientificDigits(double value, int decimals) {
  if (!std::isfinite(value) || decimals < 0 || decimals > 60) {
    throw std::invalid_argument("cannot print this value with " + std::to_string(decimals) + " decimals");
  }
  char buffer[100];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, decimals);
  if (result.ec != std::errc()) throw std::invalid_argument("number too long to print");
  return std::string(buffer, result.ptr);
}

bool AllDigitsZero(std::string_view text) {
  for (const char c : text) {
    if (IsDigit(c) && c != '0') return false;
  }
  return true;
}

std::string ShortestDecimal(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace kestrix
