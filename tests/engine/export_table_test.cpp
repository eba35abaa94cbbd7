// The data export's table: every separator, unit, normalisation and notation, byte for byte.

#include "export_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include <gtest/gtest.h>

#include "exchange_files.h"

namespace kestrix {
namespace {

/// A 100 kV-like relative spectrum as the exchange file carries it: zero at 0.5 keV and from
/// 100 keV on, a smooth hump with its maximum 1 at 35 keV (grid index 70), five decimals.
ExchangeSpectrum HundredKilovoltSpectrum() {
  ExchangeSpectrum raw{};
  for (int i = 2; i < 200; ++i) {
    const double e = 0.5 * i;
    raw[i] = (100.0 - e) / 65.0 * std::exp(1.0 - (100.0 - e) / 65.0) * (e / 35.0) * std::exp(1.0 - e / 35.0);
  }
  const double peak = *std::max_element(raw.begin(), raw.end());
  for (double& v : raw) v /= peak;
  std::stringstream file;
  WriteSpectrumExchange(file, raw);
  return ReadSpectrumExchangeList(file, kSpectrumExchangeFile);
}

/// C printf as an independent formatter, with the decimal point replaced by `point`.
std::string Printed(const char* format, double value, char point) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  std::string text = buffer;
  std::replace(text.begin(), text.end(), '.', point);
  return text;
}

std::string ExpectedFile(const ExchangeSpectrum& relative, const SpectrumTableOptions& o, char locale) {
  const bool comma = o.separator == TableSeparator::Comma;
  const char point = comma ? '.' : locale;
  const std::string separator = comma ? ", " : "  ";
  const bool keV = o.unit == TableEnergyUnit::KeV;
  double sum = 0;
  for (int i = 1; i <= 600; ++i) sum += relative[i];
  std::string file = (keV ? "  keV" : "  MeV") + separator + "Fraction\r\n";
  for (int i = 1; i <= 600; ++i) {
    const double energy = keV ? 0.5 * i : 0.0005 * i;
    const char* energyFormat = o.energyNotation == TableNotation::Exponential ? "%.3E" : (keV ? "%06.1f" : "%.4f");
    const double value = o.normalisation == TableNormalisation::TotalOne ? relative[i] / sum : relative[i];
    const char* valueFormat = o.valueNotation == TableNotation::Exponential ? "%.4E" : "%.5f";
    file += " " + Printed(energyFormat, energy, point) + separator + Printed(valueFormat, value, point) + "\r\n";
  }
  return file;
}

std::string Written(const SpectrumTable& table) {
  std::ostringstream out;
  WriteSpectrumTable(out, table);
  return out.str();
}

std::vector<SpectrumTableOptions> EveryOptionCombination() {
  std::vector<SpectrumTableOptions> all;
  for (auto s : {TableSeparator::Comma, TableSeparator::Space})
    for (auto u : {TableEnergyUnit::KeV, TableEnergyUnit::MeV})
      for (auto n : {TableNormalisation::MaximumOne, TableNormalisation::TotalOne})
        for (auto en : {TableNotation::Plain, TableNotation::Exponential})
          for (auto vn : {TableNotation::Plain, TableNotation::Exponential}) all.push_back({s, u, n, en, vn});
  return all;
}

TEST(SpectrumTable, EveryCombinationMatchesByteForByte) {
  const ExchangeSpectrum relative = HundredKilovoltSpectrum();
  for (char locale : {'.', ','}) {
    for (const SpectrumTableOptions& o : EveryOptionCombination()) {
      const std::string file = Written(BuildSpectrumTable(relative, o, locale));
      EXPECT_EQ(file, ExpectedFile(relative, o, locale))
          << "separator " << int(o.separator) << " unit " << int(o.unit) << " normalisation " << int(o.normalisation)
          << " notation " << int(o.energyNotation) << int(o.valueNotation) << " locale " << locale;
      EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 601);
    }
  }
}

TEST(SpectrumTable, LiteralLinesOfTheDefaultAndOtherLayouts) {
  const ExchangeSpectrum relative = HundredKilovoltSpectrum();
  const SpectrumTable csv = BuildSpectrumTable(relative, {}, ',');
  EXPECT_EQ(csv.header, "  keV, Fraction");
  EXPECT_EQ(csv.lines[1], " 0000.5, 0.00000");
  EXPECT_EQ(csv.lines[70], " 0035.0, 1.00000");
  EXPECT_EQ(csv.lines[600], " 0300.0, 0.00000");
  EXPECT_EQ(Written(csv).size(), 17u + 600u * 18u);

  SpectrumTableOptions dat{TableSeparator::Space, TableEnergyUnit::MeV, TableNormalisation::MaximumOne,
                           TableNotation::Exponential, TableNotation::Exponential};
  const SpectrumTable space = BuildSpectrumTable(relative, dat, ',');
  EXPECT_EQ(space.header, "  MeV  Fraction");
  EXPECT_EQ(space.lines[1], " 5,000E-04  0,0000E+00");
  EXPECT_EQ(space.lines[70], " 3,500E-02  1,0000E+00");
  dat.energyNotation = TableNotation::Plain;
  dat.valueNotation = TableNotation::Plain;
  EXPECT_EQ(BuildSpectrumTable(relative, dat, ',').lines[600], " 0,3000  0,00000");
}

TEST(SpectrumTable, HundredKilovoltsGivesZerosFromHundredKeVOnAndMaximumOne) {
  const ExchangeSpectrum relative = HundredKilovoltSpectrum();
  for (auto notation : {TableNotation::Plain, TableNotation::Exponential}) {
    SpectrumTableOptions o;
    o.valueNotation = notation;
    const SpectrumTable table = BuildSpectrumTable(relative, o, '.');
    const std::string zero = notation == TableNotation::Plain ? ", 0.00000" : ", 0.0000E+00";
    for (int i = 200; i <= 600; ++i) {
      EXPECT_EQ(table.lines[i].substr(table.lines[i].size() - zero.size()), zero) << i;
    }
    EXPECT_EQ(*std::max_element(table.values.begin() + 1, table.values.end()), 1.0);
  }
}

TEST(SpectrumTable, TotalOneAddsUpToOneAndDoesNotCompound) {
  const ExchangeSpectrum relative = HundredKilovoltSpectrum();
  SpectrumTableOptions o;
  o.normalisation = TableNormalisation::TotalOne;
  const SpectrumTable first = BuildSpectrumTable(relative, o, '.');
  double printedSum = 0;
  for (int i = 1; i <= 600; ++i) printedSum += std::stod(first.lines[i].substr(first.lines[i].find(", ") + 2));
  EXPECT_NEAR(printedSum, 1.0, 600 * 0.5e-5);
  const SpectrumTable second = BuildSpectrumTable(relative, o, '.');
  EXPECT_EQ(second.lines, first.lines);
  EXPECT_EQ(second.values, first.values);
}

TEST(SpectrumTable, TotalOfZeroIsRefused) {
  SpectrumTableOptions o;
  o.normalisation = TableNormalisation::TotalOne;
  EXPECT_THROW(BuildSpectrumTable(ExchangeSpectrum{}, o, '.'), SpectrumTableError);
  o.normalisation = TableNormalisation::MaximumOne;
  EXPECT_NO_THROW(BuildSpectrumTable(ExchangeSpectrum{}, o, '.'));
}

// A spectrum on the whole grid: with 600 rows the exchange spectrum's table line for line, with more
// rows (a beam above 300 kV) one line per bin up to the last, and no table beyond the grid.
TEST(SpectrumTable, AGridSpectrumGivesOneLinePerBinUpToItsLast) {
  const ExchangeSpectrum relative = HundredKilovoltSpectrum();
  TableSpectrum grid{};
  std::copy(relative.begin(), relative.end(), grid.begin());
  SpectrumTableOptions options;
  options.normalisation = TableNormalisation::TotalOne;
  std::ostringstream exchange, onGrid;
  WriteSpectrumTable(exchange, BuildSpectrumTable(relative, options, '.'));
  WriteSpectrumTable(onGrid, BuildSpectrumTable(grid, kExchangeRows, options, '.'));
  EXPECT_EQ(onGrid.str(), exchange.str());

  grid[900] = 0.5;
  const SpectrumTable wide = BuildSpectrumTable(grid, 900, SpectrumTableOptions{}, '.');
  EXPECT_EQ(wide.rows, 900);
  ASSERT_EQ(wide.lines.size(), 901u);
  EXPECT_EQ(wide.lines[900], " 0450.0, 0.50000");
  std::ostringstream text;
  WriteSpectrumTable(text, wide);
  const std::string written = text.str();
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 901);
  const SpectrumTable total = BuildSpectrumTable(grid, 900, options, '.');
  double sum = 0;
  for (int i = 1; i <= 900; ++i) sum += total.values[i];
  EXPECT_NEAR(sum, 1.0, 1e-12);
  EXPECT_THROW(BuildSpectrumTable(grid, 1001, options, '.'), SpectrumTableError);
  EXPECT_THROW(BuildSpectrumTable(grid, 0, options, '.'), SpectrumTableError);
}

TEST(SpectrumTable, ExtensionFollowsTheSeparatorTheTableWasBuiltWith) {
  EXPECT_STREQ(SpectrumTableExtension(TableSeparator::Comma), ".csv");
  EXPECT_STREQ(SpectrumTableExtension(TableSeparator::Space), ".dat");
  SpectrumTableOptions o;
  o.separator = TableSeparator::Space;
  EXPECT_EQ(BuildSpectrumTable(HundredKilovoltSpectrum(), o, '.').separator, TableSeparator::Space);
}

}  // namespace
}  // namespace kestrix
