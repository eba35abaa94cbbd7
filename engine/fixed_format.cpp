#include "fixed_format.h"

#include <cctype>
#include <cmath>
#include <string>

#include "decimal_text.h"

namespace kestrix {
namespace {

struct EditDescriptor {
  char kind;      // 'F', 'E' or 'A'
  int width;      // characters
  int decimals;   // digits after an implied point (numeric fields)
};

std::string DescriptorText(const EditDescriptor& descriptor) {
  std::string text(1, descriptor.kind);
  text += std::to_string(descriptor.width);
  if (descriptor.kind != 'A') text += "." + std::to_string(descriptor.decimals);
  return text;
}

int ReadCount(std::string_view item, std::size_t& pos) {
  int value = 0;
  const std::size_t start = pos;
  while (pos < item.size() && std::isdigit(static_cast<unsigned char>(item[pos]))) {
    if (value > 100000) throw FormatError("format item \"" + std::string(item) + "\" is too large");
    value = value * 10 + (item[pos] - '0');
    ++pos;
  }
  if (pos == start) return -1;
  return value;
}

EditDescriptor ParseItem(std::string_view item, int& repeat) {
  const auto bad = [&] { return FormatError("format item \"" + std::string(item) + "\" is not Fw.d, Ew.d, Aw or nEw.d"); };
  std::size_t pos = 0;
  repeat = ReadCount(item, pos);
  if (repeat == 0) throw bad();
  if (repeat < 0) repeat = 1;
  if (pos == item.size()) throw bad();
  const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(item[pos++])));
  if (kind != 'F' && kind != 'E' && kind != 'A') throw bad();
  const int width = ReadCount(item, pos);
  if (width <= 0) throw bad();
  int decimals = 0;
  if (kind != 'A') {
    if (pos == item.size() || item[pos] != '.') throw bad();
    ++pos;
    decimals = ReadCount(item, pos);
    if (decimals < 0) throw bad();
  }
  if (pos != item.size()) throw bad();
  return {kind, width, decimals};
}

std::vector<EditDescriptor> ParseFormat(std::string_view format) {
  std::string_view body = format;
  while (!body.empty() && body.front() == ' ') body.remove_prefix(1);
  while (!body.empty() && body.back() == ' ') body.remove_suffix(1);
  if (body.size() < 2 || body.front() != '(' || body.back() != ')') {
    throw FormatError("format \"" + std::string(format) + "\" is not a parenthesised descriptor list");
  }
  body = body.substr(1, body.size() - 2);
  std::vector<EditDescriptor> descriptors;
  while (true) {
    const std::size_t comma = body.find(',');
    std::string item;
    for (const char c : body.substr(0, comma)) {
      if (c != ' ') item += c;
    }
    int repeat = 1;
    const EditDescriptor descriptor = ParseItem(item, repeat);
    descriptors.insert(descriptors.end(), static_cast<std::size_t>(repeat), descriptor);
    if (comma == std::string_view::npos) break;
    body.remove_prefix(comma + 1);
  }
  return descriptors;
}

// The number in a numeric field: blanks ignored, all blank = 0.
double ReadNumericField(std::string_view field, const EditDescriptor& descriptor, int fieldNumber, int firstColumn) {
  std::string packed;
  for (const char c : field) {
    if (c != ' ') packed += c;
  }
  if (packed.empty()) return 0.0;
  if (const auto value = ParseDecimalText(packed, descriptor.decimals, true)) return *value;
  throw FormatError("field " + std::to_string(fieldNumber) + " (" + DescriptorText(descriptor) + ", characters " +
                    std::to_string(firstColumn) + "-" + std::to_string(firstColumn + descriptor.width - 1) +
                    ") \"" + std::string(field) + "\" is not a number");
}

}  // namespace

std::vector<double> ReadRecordNumbers(std::string_view line, std::string_view format) {
  const std::vector<EditDescriptor> descriptors = ParseFormat(format);
  std::vector<double> numbers;
  std::size_t column = 0;
  int fieldNumber = 0;
  for (const EditDescriptor& descriptor : descriptors) {
    ++fieldNumber;
    // Characters past the end of the line read as blanks.
    const std::string_view field =
        column < line.size() ? line.substr(column, static_cast<std::size_t>(descriptor.width)) : std::string_view();
    if (descriptor.kind != 'A') {
      numbers.push_back(ReadNumericField(field, descriptor, fieldNumber, static_cast<int>(column) + 1));
    }
    column += static_cast<std::size_t>(descriptor.width);
  }
  return numbers;
}

std::string WriteFixed(double value, int width, int decimals) {
  const std::string stars(static_cast<std::size_t>(width > 0 ? width : 0), '*');
  if (!std::isfinite(value) || width <= 0 || decimals < 0 || decimals >= width || decimals > 60) return stars;
  std::string text = FixedDigits(value, decimals);
  if (text.front() == '-' && AllDigitsZero(text)) text.erase(0, 1);
  if (decimals == 0) text += '.';
  if (static_cast<int>(text.size()) > width) {
    // The zero before the point is the one character F output may drop.
    const std::size_t zero = text.front() == '-' ? 1 : 0;
    if (text.compare(zero, 2, "0.") == 0) text.erase(zero, 1);
  }
  if (static_cast<int>(text.size()) > width) return stars;
  return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

bool FitsFixed(double value, int width, int decimals) {
  return WriteFixed(value, width, decimals).find('*') == std::string::npos;
}

}  // namespace kestrix
