#include "attenuation_table.h"

#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "engine/message_text.h"
#include "engine/table_check.h"
#include "input_number.h"

namespace kestrix {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

/// Reads list-input items: numbers separated by blanks, commas or line ends. A comma after
/// an item (blanks around it allowed) is one separator; a comma with no item since the
/// previous comma or the start leaves an empty item. A blank line ends the items: the engine
/// reads the table line by line, so a blank line would shift only its rows.
class ListReader {
 public:
  explicit ListReader(std::string text) : text_(std::move(text)) {}

  /// Next item, or nothing at the end of the text or at a blank line (then BlankLine() is set).
  std::optional<std::string_view> Next() {
    bool commaSeen = false;
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (IsLineEnd(c)) {
        if (lineBlank_) {
          blankLine_ = line_;
          return std::nullopt;
        }
        ++line_;
        ++pos_;
        if (c == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
        lineBlank_ = true;
      } else if (IsBlank(c)) {
        ++pos_;
      } else if (c == ',') {
        ++pos_;
        lineBlank_ = false;
        if (commaSeen || !anyItem_) return std::string_view();  // empty item between separators
        commaSeen = true;
      } else {
        break;
      }
    }
    if (pos_ >= text_.size()) return std::nullopt;
    lineBlank_ = false;
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !IsBlank(text_[pos_]) && !IsLineEnd(text_[pos_]) && text_[pos_] != ',') ++pos_;
    anyItem_ = true;
    return std::string_view(text_).substr(start, pos_ - start);
  }

  /// line of the file (1-based) where the last item stood
  int line() const { return line_; }
  /// the blank line that ended the items, 0 when none did
  int BlankLine() const { return blankLine_; }

 private:
  std::string text_;
  std::size_t pos_ = 0;
  int line_ = 1;
  bool anyItem_ = false;
  bool lineBlank_ = true;  // nothing but blanks so far on the current line
  int blankLine_ = 0;
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
  TableRowValues previous, current;
  for (int n = 0; n < kNumbersNeeded; ++n) {
    const int row = n / kNumbersPerTableRow + 1;
    const int column = n % kNumbersPerTableRow;
    const std::optional<std::string_view> item = reader.Next();
    if (!item && reader.BlankLine() != 0) {
      throw TableLoadError(sourceName + ", line " + std::to_string(reader.BlankLine()) + ": the line is blank (row " +
                               std::to_string(row) + " not complete); a table holds no blank lines.",
                           TableFault::BadValue, reader.BlankLine());
    }
    if (!item) {
      throw TableLoadError(sourceName + ": the table ends in row " + std::to_string(row) + " after " +
                           std::to_string(n) + " of " + std::to_string(kNumbersNeeded) + " numbers.",
                           TableFault::TooShort);
    }
    const std::optional<double> value = ParseWholeNumber(*item);
    if (!value) {
      const std::string shown = item->empty() ? "an empty item" : QuotedExcerpt(*item);
      throw TableLoadError(RowPlace(sourceName, row, reader.line()) + ": " + shown + " is not a number.",
                           TableFault::NotANumber, reader.line());
    }
    if (column > 0) (*columns[column])[row] = *value;  // the energy column is dropped, once checked
    if (column == 0) {
      current.energy = *value;
    } else {
      current.coefficients[column - 1] = *value;
    }
    if (column == kNumbersPerTableRow - 1) {
      const std::string fault = TableRowFault(current, row > 1 ? &previous : nullptr);
      if (!fault.empty()) {
        throw TableLoadError(RowPlace(sourceName, row, reader.line()) + ": " + fault + ".", TableFault::BadValue,
                             reader.line());
      }
      previous = current;
    }
  }
  return table;
}

}  // namespace kestrix
