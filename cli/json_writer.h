#pragma once
// A small streaming JSON writer for the command-line program's machine-readable output.

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "decimal_text.h"  // ShortestDecimal, which the writer uses for every number

namespace kestrix {

/// Writes one JSON value to a stream, inserting commas, colons and indentation itself.
/// Objects and arrays are opened and closed explicitly; inside an object every value is
/// preceded by Key(). Numbers are written in the shortest form that reads back to the same
/// double; a number that is not finite is refused (std::domain_error), so no NaN or infinity
/// can ever reach the output. Misuse (a value without a key in an object, closing the wrong
/// container) throws std::logic_error.
class JsonWriter {
 public:
  explicit JsonWriter(std::ostream& out);

  void BeginObject();
  void EndObject();
  /// compact: the elements stay on one line (for long arrays of numbers)
  void BeginArray(bool compact = false);
  void EndArray();

  void Key(std::string_view name);
  void String(std::string_view text);
  void Number(double value);
  /// the number, or null when there is none
  void Number(const std::optional<double>& value);
  void Integer(long long value);
  void Bool(bool value);
  void Null();

  /// true once the outermost value is complete
  bool Complete() const;

 private:
  struct Level {
    bool isObject;
    bool compact;
    int count = 0;
    bool keyPending = false;
  };
  void BeforeValue();
  void NewLine(int depth);
  void Close(bool isObject);

  std::ostream& out_;
  std::vector<Level> levels_;
  bool rootWritten_ = false;
};

/// text as a JSON string literal, quotes included: '"' and '\' escaped, control characters as
/// \n, \t ... or \u00XX, bytes that are not valid UTF-8 replaced by \ufffd.
std::string JsonQuoted(std::string_view text);

}  // namespace kestrix
