#include "engine_table.h"

#include "fixed_format.h"

namespace kestrix {
namespace {

constexpr const char* kTableRecordFormat = "(E9.3,5E13.5)";

}  // namespace

EngineTable ReadEngineTable(std::istream& in, const std::string& name) {
  EngineTable table;
  std::string line;
  for (int i = 1; i <= kEngineLastIndex; ++i) {
    if (!std::getline(in, line)) {
      throw EngineInputError(name + " ends after line " + std::to_string(i - 1) + "; the engine reads " +
                             std::to_string(kEngineLastIndex) + " rows");
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    try {
      const std::vector<double> fields = ReadRecordNumbers(line, kTableRecordFormat);
      table.muAl[i] = static_cast<float>(fields[2]);
      table.muCu[i] = static_cast<float>(fields[3]);
      table.muEnAir[i] = static_cast<float>(fields[5]);
    } catch (const FormatError& error) {
      throw EngineInputError(name + ", line " + std::to_string(i) + ": " + error.what());
    }
  }
  return table;
}

}  // namespace kestrix
