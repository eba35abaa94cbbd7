#pragma once
// A coefficient tabulated against photon energy, interpolated linearly in
// log(value) against log(energy). Two consecutive rows at the same energy mark an
// absorption edge: the first holds the value just below it, the second the value at
// and above it.

#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrix::tools {

class TableReadError : public std::runtime_error {
  using runtime_error::runtime_error;
};

struct EnergyValue {
  double energy = 0;  /// photon energy, in the table's own unit
  double value = 0;   /// coefficient, positive
};

class LogLogTable {
 public:
  /// Checks the rows (at least two, positive, energies non-decreasing, at most two rows
  /// per energy, distinct energies at both ends) and throws std::invalid_argument otherwise.
  explicit LogLogTable(std::vector<EnergyValue> rows);

  /// Value at `energy` (same unit as the rows): between the row at or below it and the
  /// first row above it, so an energy equal to an edge takes the row above the edge.
  /// Outside the table the two end rows are extended.
  double ValueAt(double energy) const;

  const std::vector<EnergyValue>& Rows() const { return rows_; }

 private:
  std::vector<EnergyValue> rows_;
};

/// Reads a table of blank- or tab-separated numbers, one row per line; lines that are
/// empty or start with '#' are comments. Energy is column 0 and the value column
/// `valueColumn`. Throws TableReadError naming the source and line on any fault.
LogLogTable ReadEnergyValueTable(std::istream& in, const std::string& sourceName, int valueColumn);

}  // namespace kestrix::tools
