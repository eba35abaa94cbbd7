#include "export_table.h"

#include <algorithm>
#include <cmath>

#include "display_pattern.h"

namespace kestrix {
namespace {

const char* SeparatorText(TableSeparator separator) { return separator == TableSeparator::Comma ? ", " : "  "; }

std::string EnergyText(int i, const SpectrumTableOptions& options, char decimalSeparator) {
  const bool keV = options.unit == TableEnergyUnit::KeV;
  const double energy = keV ? 0.5 * i : 0.0005 * i;
  const char* pattern = options.energyNotation == TableNotation::Exponential ? "0.000E+00" : (keV ? "0000.0" : "0.0000");
  return FormatPattern(energy, pattern, decimalSeparator);
}

}  // namespace

SpectrumTable BuildSpectrumTable(const ExchangeSpectrum& relative, const SpectrumTableOptions& options,
                                 char localeDecimalSeparator) {
  TableSpectrum grid{};
  std::copy(relative.begin(), relative.end(), grid.begin());
  return BuildSpectrumTable(grid, kExchangeRows, options, localeDecimalSeparator);
}

SpectrumTable BuildSpectrumTable(const TableSpectrum& relative, int lastBin, const SpectrumTableOptions& options,
                                 char localeDecimalSeparator) {
  if (lastBin < 1 || lastBin > kTableLastRow) throw SpectrumTableError("a table holds grid indices 1 to 1000");
  const char decimalSeparator = options.separator == TableSeparator::Comma ? '.' : localeDecimalSeparator;
  const std::string separator = SeparatorText(options.separator);
  SpectrumTable table;
  table.separator = options.separator;
  table.header = std::string(options.unit == TableEnergyUnit::KeV ? "  keV" : "  MeV") + separator + "Fraction";
  table.rows = lastBin;
  table.lines.resize(static_cast<std::size_t>(lastBin) + 1);
  for (int i = 1; i <= lastBin; ++i) table.values[i] = relative[i];
  if (options.normalisation == TableNormalisation::TotalOne) {
    double sum = 0;
    for (int i = 1; i <= lastBin; ++i) sum += table.values[i];
    if (!(sum > 0) || !std::isfinite(sum)) {
      throw SpectrumTableError("the spectrum's total photon number is " + std::to_string(sum) +
                               ", so it cannot be normalised to a total of 1");
    }
    for (int i = 1; i <= lastBin; ++i) table.values[i] /= sum;
  }
  const char* valuePattern = options.valueNotation == TableNotation::Exponential ? "0.0000E+00" : "0.00000";
  for (int i = 1; i <= lastBin; ++i) {
    table.lines[i] = " " + EnergyText(i, options, decimalSeparator) + separator +
                     FormatPattern(table.values[i], valuePattern, decimalSeparator);
  }
  return table;
}

void WriteSpectrumTable(std::ostream& out, const SpectrumTable& table) {
  out << table.header << "\r\n";
  for (int i = 1; i <= table.rows; ++i) out << table.lines[i] << "\r\n";
}

const char* SpectrumTableExtension(TableSeparator separator) {
  return separator == TableSeparator::Comma ? ".csv" : ".dat";
}

}  // namespace kestrix
