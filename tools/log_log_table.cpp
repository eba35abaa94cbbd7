#include "log_log_table.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace kestrix::tools {

LogLogTable::LogLogTable(std::vector<EnergyValue> rows) : rows_(std::move(rows)) {
  if (rows_.size() < 2) {
    throw std::invalid_argument("a table needs at least two rows");
  }
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const EnergyValue& row = rows_[i];
    if (!(row.energy > 0) || !(row.value > 0) || !std::isfinite(row.energy) || !std::isfinite(row.value)) {
      throw std::invalid_argument("row " + std::to_string(i + 1) + " has an energy or value that is not positive");
    }
    if (i > 0 && row.energy < rows_[i - 1].energy) {
      throw std::invalid_argument("row " + std::to_string(i + 1) + " has a lower energy than the row before");
    }
    if (i > 1 && row.energy == rows_[i - 2].energy) {
      throw std::invalid_argument("row " + std::to_string(i + 1) + " is the third row at one energy");
    }
  }
  if (rows_[0].energy == rows_[1].energy || rows_[rows_.size() - 1].energy == rows_[rows_.size() - 2].energy) {
    throw std::invalid_argument("a table may not start or end with an edge");
  }
}

double LogLogTable::ValueAt(double energy) const {
  if (!(energy > 0)) {
    throw std::invalid_argument("log-log interpolation needs a positive energy");
  }
  // First row above the energy; the segment is the row before it and that row.
  const auto above = std::upper_bound(rows_.begin(), rows_.end(), energy,
                                      [](double e, const EnergyValue& row) { return e < row.energy; });
  std::size_t upper = static_cast<std::size_t>(above - rows_.begin());
  upper = std::clamp<std::size_t>(upper, 1, rows_.size() - 1);
  const EnergyValue& a = rows_[upper - 1];
  const EnergyValue& b = rows_[upper];
  const double fraction = std::log(energy / a.energy) / std::log(b.energy / a.energy);
  return std::exp(std::log(a.value) + fraction * std::log(b.value / a.value));
}

namespace {

// Whole token as a finite number, or false.
bool ParseNumber(const std::string& token, double& number) {
  const char* begin = token.c_str();
  char* end = nullptr;
  errno = 0;
  number = std::strtod(begin, &end);
  return end != begin && *end == '\0' && errno == 0 && std::isfinite(number);
}

}  // namespace

LogLogTable ReadEnergyValueTable(std::istream& in, const std::string& sourceName, int valueColumn) {
  std::vector<EnergyValue> rows;
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    std::istringstream fields(line);
    std::vector<double> numbers;
    std::string token;
    while (fields >> token) {
      double number = 0;
      if (!ParseNumber(token, number)) {
        throw TableReadError(sourceName + ", line " + std::to_string(lineNumber) + ": \"" + token +
                             "\" is not a number");
      }
      numbers.push_back(number);
    }
    if (static_cast<int>(numbers.size()) <= valueColumn) {
      throw TableReadError(sourceName + ", line " + std::to_string(lineNumber) + ": expected at least " +
                           std::to_string(valueColumn + 1) + " numbers, found " + std::to_string(numbers.size()));
    }
    rows.push_back({numbers[0], numbers[static_cast<std::size_t>(valueColumn)]});
  }
  if (in.bad()) {
    throw TableReadError(sourceName + ": read error");
  }
  try {
    return LogLogTable(std::move(rows));
  } catch (const std::invalid_argument& fault) {
    throw TableReadError(sourceName + ": " + fault.what());
  }
}

}  // namespace kestrix::tools
