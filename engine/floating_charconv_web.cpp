#include "floating_charconv_web.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace std {
namespace {

to_chars_result Copied(char* first, char* last, const std::string& text) {
  if (text.size() > static_cast<std::size_t>(last - first)) return {last, errc::value_too_large};
  std::memcpy(first, text.data(), text.size());
  return {first + text.size(), errc()};
}

std::string Printed(const char* format, int precision, double value) {
  char buffer[512];
  const int length = std::snprintf(buffer, sizeof buffer, format, precision, value);
  return length < 0 ? std::string() : std::string(buffer, std::min<std::size_t>(length, sizeof buffer - 1));
}

/// The decimal number first..end (already checked) when it has at most 15 significant digits and a
/// power of ten up to 22: both are exact doubles, so one multiplication or division rounds
/// correctly. The C library's strtod computes in software long double, slow in WebAssembly.
bool ReadExactly(const char* first, const char* end, double& value) {
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                       1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const char* p = first;
  const bool negative = *p == '-';
  if (negative) ++p;
  std::uint64_t mantissa = 0;
  int digits = 0, exponent = 0;
  bool point = false;
  for (; p != end && *p != 'e' && *p != 'E'; ++p) {
    if (*p == '.') {
      point = true;
      continue;
    }
    if (point) --exponent;
    if (mantissa == 0 && *p == '0') continue;  // a leading zero
    if (++digits > 15) return false;
    mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
  }
  if (p != end) {
    ++p;
    const bool negativeExponent = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    int written = 0;
    for (; p != end; ++p) {
      if (written > 1000) return false;
      written = written * 10 + (*p - '0');
    }
    exponent += negativeExponent ? -written : written;
  }
  if (mantissa == 0) {
    value = negative ? -0.0 : 0.0;
    return true;
  }
  if (exponent < -22 || exponent > 22) return false;
  const double magnitude = exponent < 0 ? static_cast<double>(mantissa) / kPowers[-exponent]
                                        : static_cast<double>(mantissa) * kPowers[exponent];
  value = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace

to_chars_result to_chars(char* first, char* last, double value) {
  if (!std::isfinite(value)) return Copied(first, last, std::isnan(value) ? "nan" : value < 0 ? "-inf" : "inf");
  if (value == 0) return Copied(first, last, std::signbit(value) ? "-0" : "0");
  // the fewest significant digits that read back to value
  std::string scientific;
  for (int precision = 0; precision <= 16; ++precision) {
    scientific = Printed("%.*e", precision, value);
    if (std::strtod(scientific.c_str(), nullptr) == value) break;
  }
  const std::size_t e = scientific.find('e');
  const int exponent = std::atoi(scientific.c_str() + e + 1);
  const bool negative = value < 0;
  std::string digits;
  for (std::size_t k = negative ? 1 : 0; k < e; ++k) {
    if (scientific[k] != '.') digits += scientific[k];
  }
  // the same digits in plain notation: zeros after them up to the point, or before them after "0."
  std::string plain = negative ? "-" : "";
  const int count = static_cast<int>(digits.size());
  if (exponent >= count - 1) {
    plain += digits + std::string(exponent - (count - 1), '0');
  } else if (exponent >= 0) {
    plain += digits.substr(0, exponent + 1) + "." + digits.substr(exponent + 1);
  } else {
    plain += "0." + std::string(-exponent - 1, '0') + digits;
  }
  return Copied(first, last, plain.size() <= scientific.size() ? plain : scientific);
}

to_chars_result to_chars(char* first, char* last, double value, chars_format format, int precision) {
  const char* pattern = format == chars_format::fixed ? "%.*f" : format == chars_format::scientific ? "%.*e" : "%.*g";
  return Copied(first, last, Printed(pattern, precision, value));
}

from_chars_result from_chars(const char* first, const char* last, double& value, chars_format) {
  const char* p = first;
  if (p != last && *p == '-') ++p;
  bool digits = false, point = false;
  for (; p != last && ((*p >= '0' && *p <= '9') || (*p == '.' && !point)); ++p) {
    if (*p == '.') {
      point = true;
    } else {
      digits = true;
    }
  }
  if (!digits) return {first, errc::invalid_argument};
  if (p != last && (*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    if (q != last && (*q == '+' || *q == '-')) ++q;
    if (q != last && *q >= '0' && *q <= '9') {
      while (q != last && *q >= '0' && *q <= '9') ++q;
      p = q;
    }
  }
  if (ReadExactly(first, p, value)) return {p, errc()};
  const std::string text(first, p);
  errno = 0;
  const double read = std::strtod(text.c_str(), nullptr);
  if (errno == ERANGE && (read == 0 || std::isinf(read))) return {p, errc::result_out_of_range};
  value = read;
  return {p, errc()};
}

}  // namespace std
