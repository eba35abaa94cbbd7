#pragma once
// Fixed-column text records described by edit-descriptor lists such as "(E9.3,5E13.5)".

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

/// A record field that is not a number, or a format list that cannot be read; the text names the field.
class FormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Reads the numeric fields of one record, left to right, with the descriptors Fw.d, Ew.d, Aw and nEw.d
/// (A fields are skipped). Within a numeric field blanks are ignored and an all-blank field is 0; a line
/// shorter than the format reads as if padded with blanks; a decimal point written in the field overrides
/// d, otherwise the digits are scaled by 10^-d; an exponent ("E+02", "D-3", "+02") is accepted.
/// Characters beyond the last field are ignored. Throws FormatError naming the field otherwise.
std::vector<double> ReadRecordNumbers(std::string_view line, std::string_view format);

/// Fw.d output: rounded to d decimals, right-justified in w characters, a zero before the point when the
/// field has room, a point after the digits when d = 0, and w asterisks when the value does not fit or
/// is not finite. A value that rounds to zero is written without a minus sign.
std::string WriteFixed(double value, int width, int decimals);

/// True when WriteFixed(value, width, decimals) gives digits rather than asterisks.
bool FitsFixed(double value, int width, int decimals);

}  // namespace kestrix
