#include "attenuation_table.h"

#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "input_number.h"

namespace kestrix {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

/// Reads list-input items: numbers separated by blanks, commas or line ends. A comma after
/// an item (blanks around it allowed) is one separator; a comma with no item since the
/// previous comma or the start leaves an empty item.
class ListReader {
 public:
  explicit ListReader(std::string text) : text_(std::move(text)) {}

  /// Next item, or nothing at the end of the text.
  std::optional<std::string_view> Next() {
    bool commaSeen = false;
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '\r') {
        ++line_;
        ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
      } else if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (IsBlank(c)) {
        ++pos_;
      } else if (c == ',') {
        ++pos_;
        if (commaSeen || !anyItem_) return std::string_view();  // empty item between separators
        commaSeen = true;
      } else {
        break;
      }
    }
    if (pos_ >= text_.size()) return std::nullopt;
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !IsBlank(text_[pos_]) && !IsLineEnd(text_[pos_]) && text_[pos_] != ',') ++pos_;
    anyItem_ = true;
    return std::string_view(text_).substr(start, pos_ - start);
  }

  /// line of the file (1-based) where the last item stood
  int line() const { return line_; }

 private:
  std::string text_;
  std::size_t pos_ = 0;
  int line_ = 1;
  bool anyItem_ = false;
};

std::string RowPlace(const std::string& sourceName, int row, int line) {
  return sourceName + ", row " + std::to_string(row) + " (line " + std::to_string(line) + ")";
}

}  // namespace

AttenuationTable ReadAttenuationTable(std::istream& in, const std::string& sourceName) {
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw TableLoadError(sourceName + ": the file could not be read.");
  ListReader reader(std::move(text));

  AttenuationTable table;
  GridArray* const columns[kNumbersPerTableRow] = {nullptr, &table.muW, &table.muAl, &table.muCu, &table.muBe,
                                                   &table.muEnAir};
  constexpr int kNumbersNeeded = kAttenuationTableRows * kNumbersPerTableRow;
  for (int n = 0; n < kNumbersNeeded; ++n) {
    const int row = n / kNumbersPerTableRow + 1;
    const int column = n % kNumbersPerTableRow;
    const std::optional<std::string_view> item = reader.Next();
    if (!item) {
      throw TableLoadError(sourceName + ": the table ends in row " + std::to_string(row) + " after " +
                           std::to_string(n) + " of " + std::to_string(kNumbersNeeded) + " numbers.",
                           TableFault::TooShort);
    }
    const std::optional<double> value = ParseWholeNumber(*item);
    if (!value) {
      const std::string shown = item->empty() ? "an empty item" : "\"" + std::string(*item) + "\"";
      throw TableLoadError(RowPlace(sourceName, row, reader.line()) + ": " + shown + " is not a number.",
                           TableFault::NotANumber, reader.line());
    }
    if (column > 0) (*columns[column])[row] = *value;  // the energy column is dropped
  }
  return table;
}

}  // namespace kestrix
