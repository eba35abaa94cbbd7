#include "engine_table.h"

#include "fixed_format.h"
#include "table_check.h"

namespace kestrix {
namespace {

constexpr const char* kTableRecordFormat = "(E9.3,5E13.5)";

}  // namespace

EngineTable ReadEngineTable(std::istream& in, const std::string& name) {
  EngineTable table;
  std::string line;
  TableRowValues previous, current;
  for (int i = 1; i <= kEngineLastIndex; ++i) {
    if (!std::getline(in, line)) {
      throw EngineInputError(name + " ends after line " + std::to_string(i - 1) + "; the engine reads " +
                             std::to_string(kEngineLastIndex) + " rows");
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string place = name + ", line " + std::to_string(i) + ": ";
    // Blank fields read as zero, so a blank line would become a row of zeros.
    if (line.find_first_not_of(" \t") == std::string::npos) {
      throw EngineInputError(place + "the line is blank; a table holds no blank lines");
    }
    try {
      const std::vector<double> fields = ReadRecordNumbers(line, kTableRecordFormat);
      current.energy = fields[0];
      for (std::size_t k = 0; k < current.coefficients.size(); ++k) current.coefficients[k] = fields[k + 1];
    } catch (const FormatError& error) {
      throw EngineInputError(place + error.what());
    }
    const std::string fault = TableRowFault(current, i > 1 ? &previous : nullptr);
    if (!fault.empty()) throw EngineInputError(place + fault);
    table.muAl[i] = static_cast<float>(current.coefficients[1]);
    table.muCu[i] = static_cast<float>(current.coefficients[2]);
    table.muEnAir[i] = static_cast<float>(current.coefficients[4]);
    previous = current;
  }
  return table;
}

}  // namespace kestrix
