#include "table_check.h"

#include <charconv>
#include <cmath>

namespace kestrix {
namespace {

constexpr const char* kColumnNames[5] = {"tungsten", "aluminium", "copper", "beryllium", "air"};

// six significant digits, "." as the decimal point whatever the C locale
std::string Shown(double value) {
  char text[32];
  const std::to_chars_result result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
  return std::string(text, result.ptr);
}

}  // namespace

std::string TableRowFault(const TableRowValues& row, const TableRowValues* previous) {
  if (!std::isfinite(row.energy) || row.energy <= 0) {
    return "the energy " + Shown(row.energy) + " is not a positive number";
  }
  if (previous != nullptr && row.energy < previous->energy) {
    return "the energy " + Shown(row.energy) + " is below the previous row's " + Shown(previous->energy) +
           " (the rows must be in ascending order of energy)";
  }
  for (std::size_t k = 0; k < row.coefficients.size(); ++k) {
    const double value = row.coefficients[k];
    if (!(value >= kSmallestTableCoefficient && value <= kLargestTableCoefficient)) {
      return "the " + std::string(kColumnNames[k]) + " coefficient " + Shown(value) + " (column " +
             std::to_string(k + 2) + ") is not a positive number from 1e-30 to 1e+30";
    }
  }
  if (previous != nullptr && row.energy == previous->energy && row.coefficients == previous->coefficients) {
    return "the row repeats the previous one (a duplicated row)";
  }
  return "";
}

}  // namespace kestrix
