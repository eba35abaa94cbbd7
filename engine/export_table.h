#pragma once
// The data export's text table: the relative photon spectrum of the exchange file,
// one line per 0.5 keV step from 0.5 to 300 keV below a header line.

#include <array>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "exchange_files.h"

namespace kestrix {

/// last grid index a table can hold (500 keV, the end of the model's energy grid)
constexpr int kTableLastRow = 1000;
/// a value per grid index 0..1000 (index 0 unused), the model's GridArray
using TableSpectrum = std::array<double, kTableLastRow + 1>;

enum class TableSeparator { Comma, Space };
enum class TableEnergyUnit { KeV = 1, MeV = 2 };
enum class TableNormalisation { MaximumOne, TotalOne };
enum class TableNotation { Plain, Exponential };

struct SpectrumTableOptions {
  TableSeparator separator = TableSeparator::Comma;
  TableEnergyUnit unit = TableEnergyUnit::KeV;
  TableNormalisation normalisation = TableNormalisation::MaximumOne;
  TableNotation energyNotation = TableNotation::Plain;
  TableNotation valueNotation = TableNotation::Plain;
};

struct SpectrumTable {
  /// the separator the lines were built with; it decides the file's extension
  TableSeparator separator = TableSeparator::Comma;
  std::string header;
  /// last grid index the table holds: 600 (300 keV) for the exchange file's spectrum, up to 1000
  /// for a run above 300 kV
  int rows = kExchangeRows;
  /// lines[i] for grid index i = 1..rows (photon energy 0.5 i keV); lines[0] unused
  std::vector<std::string> lines;
  /// relative photon numbers after the chosen normalisation, index as lines (0 above rows)
  TableSpectrum values{};
};

class SpectrumTableError : public std::runtime_error {
  using runtime_error::runtime_error;
};

/// Builds the table from the exchange file's relative photon numbers (maximum 1).
/// Numbers use localeDecimalSeparator in a space-separated table and always "." in a
/// comma-separated one, where a decimal comma would split the columns.
/// Throws SpectrumTableError when "total = 1" is asked for and the total is not positive.
SpectrumTable BuildSpectrumTable(const ExchangeSpectrum& relative, const SpectrumTableOptions& options,
                                 char localeDecimalSeparator);
/// The same for a spectrum on the whole grid, rows 1..lastBin (1 to 1000); with lastBin 600 and a
/// spectrum zero above it, the table of the exchange-file spectrum line for line.
SpectrumTable BuildSpectrumTable(const TableSpectrum& relative, int lastBin, const SpectrumTableOptions& options,
                                 char localeDecimalSeparator);

/// Writes the header and the table's rows (600 for the exchange file's spectrum), each ending with CR LF.
void WriteSpectrumTable(std::ostream& out, const SpectrumTable& table);

/// ".csv" for a comma-separated table, ".dat" for a space-separated one.
const char* SpectrumTableExtension(TableSeparator separator);

}  // namespace kestrix
