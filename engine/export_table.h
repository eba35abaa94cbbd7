#pragma once
// The data export's text table: the relative photon spectrum of the exchange file,
// one line per 0.5 keV step from 0.5 to 300 keV below a header line.

#include <array>
#include <ostream>
#include <stdexcept>
#include <string>

#include "exchange_files.h"

namespace kestrix {

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
  /// lines[i] for grid index i = 1..600 (photon energy 0.5 i keV); lines[0] unused
  std::array<std::string, 601> lines;
  /// relative photon numbers after the chosen normalisation, index as lines
  ExchangeSpectrum values{};
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

/// Writes the header and the 600 lines, each ending with CR LF.
void WriteSpectrumTable(std::ostream& out, const SpectrumTable& table);

/// ".csv" for a comma-separated table, ".dat" for a space-separated one.
const char* SpectrumTableExtension(TableSeparator separator);

}  // namespace kestrix
