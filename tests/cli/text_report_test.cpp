// The plain-text output: comment lines, the export table and the figures.

#include "text_report.h"

#include <algorithm>
#include <sstream>

#include <gtest/gtest.h>

#include "cli_test_files.h"
#include "decimal_text.h"
#include "json_writer.h"

namespace kestrix {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Report(const test::ComputedRun& c) {
  std::ostringstream out;
  WriteTextReport(out, c.options, c.filters, c.outcome);
  return out.str();
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text.substr(text.find_first_not_of(' '));
}

TEST(TextReport, PrintableTextEscapesControlCharactersOnly) {
  EXPECT_EQ(PrintableText("Sn  Tin  (Z=50)"), "Sn  Tin  (Z=50)");
  EXPECT_EQ(PrintableText("a\nb\rc\td"), "a\\nb\\rc\\td");
  EXPECT_EQ(PrintableText(std::string("\x1b[2J\x7f\0", 6)), "\\x1b[2J\\x7f\\x00");
  EXPECT_EQ(PrintableText("\xc2\x9b" "31m"), "\\u009b31m");                     // C1 control in UTF-8
  EXPECT_EQ(PrintableText("\xe9\x89\x9b.ele \xc2\xb5"), "\xe9\x89\x9b.ele \xc2\xb5");  // 鉛.ele, micro sign
  EXPECT_EQ(PrintableText("C:\\data\\Sn.ele"), "C:\\data\\Sn.ele");
}

TEST(TextReport, CommentLinesTableAndFigures) {
  const test::ComputedRun c = test::ComputeRun({"--kv", "100", "--filter", test::DeliveredTin() + ":0.1"});
  const std::vector<std::string> lines = Lines(Report(c));
  ASSERT_EQ(lines.size(), 4u + 601u + 5u + 8u + 2u);
  EXPECT_EQ(lines[0], "# kestrix-cli: tucker model, 100 kV, target angle 20 degrees, constant waveform, photon table");
  EXPECT_EQ(lines[1], "# filtration: 3 mm Be, 5 mm Al eq., added 0 mm Al, 0 mm Cu");
  EXPECT_EQ(lines[2].rfind("# filter 1: Sn", 0), 0u) << lines[2];
  EXPECT_NE(lines[2].find(", 0.1 mm (" + test::DeliveredTin() + ")"), std::string::npos) << lines[2];
  EXPECT_EQ(lines[3], "# attenuation table: " + test::DeliveredTable());
  EXPECT_EQ(lines[4], "  keV, Fraction");
  EXPECT_EQ(lines[5], " 0000.5, 0.00000");
  EXPECT_EQ(lines[5 + 200], " 0100.5, 0.00000");  // nothing above the tube voltage
  EXPECT_EQ(lines[604], " 0300.0, 0.00000");
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.find(", 1.00000") != std::string::npos; }), 1);

  // the figures are HVL_S2.temp's five lines, in order
  const std::vector<std::string> resultLines = Lines(c.outcome.resultFileText);
  ASSERT_EQ(resultLines.size(), 5u);
  const char* labels[] = {"# HVL Al [mm]: ", "# effective energy Al [keV]: ", "# HVL Cu [mm]: ",
                          "# effective energy Cu [keV]: ", "# photons per mm2 per C/kg: "};
  for (int k = 0; k < 5; ++k) {
    std::string expected = Trimmed(resultLines[k]);
    if (k == 4) expected.pop_back();  // F15.0 ends with a point
    EXPECT_EQ(lines[605 + k], labels[k] + expected);
  }
  // then the double-precision figures
  EXPECT_EQ(lines[610], "# HVL1 Al [mm]: " + FixedDigits(*c.outcome.extended.values[kHvl1Al], 4));
  EXPECT_EQ(lines[614].rfind("# HVL2 Cu [mm]: 0.", 0), 0u) << lines[614];
  EXPECT_EQ(lines[617].rfind("# kerma-weighted mean energy [keV]: ", 0), 0u) << lines[617];
}

TEST(TextReport, MissingExtendedFiguresSayNoneAndWhy) {
  test::ComputedRun c = test::ComputeRun({"--kv", "100", "--no-table"});
  c.outcome.extended.values[kHomogeneityAl].reset();
  c.outcome.extended.missing[kHomogeneityAl] = "there is no second half-value layer in aluminium";
  const std::vector<std::string> lines = Lines(Report(c));
  EXPECT_EQ(lines[10], "# homogeneity Al: none (there is no second half-value layer in aluminium)");
}

TEST(TextReport, QualityAndFitLinesFollowTheInputs) {
  const test::ComputedRun c = test::ComputeRun({"--kv", "70", "--no-table", "--no-figures"});
  FitOutcome fit;
  fit.request = {FittedEntry::AddedCopper, LayerMaterial::Copper, 0.1};
  fit.fit = {0.125, 0.10004};
  RadiationQuality quality;
  quality.name = "N-120";
  quality.standard = "ISO 4037";
  quality.tubeVoltageKV = 120;
  quality.berylliumMm = 1;
  quality.aluminiumMm = 4;
  quality.filters = {{"Cu", 5}, {"Sn", 1}};
  std::ostringstream out;
  WriteTextReport(out, c.options, c.filters, c.outcome, ReportExtras{&fit, &quality});
  const std::vector<std::string> lines = Lines(out.str());
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3], "# quality: N-120 (ISO 4037): 120 kV, 1 mm Be, 4 mm Al, added Cu 5 mm, added Sn 1 mm");
  EXPECT_EQ(lines[4], "# fit: added copper 0.125 mm gives HVL1 0.10004 mm Cu (target 0.1 mm Cu)");
}

TEST(TextReport, TableLinesAreTheDataExportWithConsoleLineEnds) {
  const test::ComputedRun c =
      test::ComputeRun({"--kv", "60", "--separator", "space", "--unit", "MeV", "--energy-notation", "exp", "--value-notation",
               "exp", "--normalise", "total", "--no-figures"});
  std::string table;
  for (const std::string& line : Lines(Report(c))) {
    if (line.rfind("# ", 0) != 0) table += line + "\r\n";
  }
  std::istringstream exchange(c.outcome.exchangeFileText);
  std::ostringstream exported;
  WriteSpectrumTable(exported, BuildSpectrumTable(ReadSpectrumExchangeList(exchange, "B_SPCTL.temp"),
                                                  c.options.tableOptions, '.'));
  EXPECT_EQ(table, exported.str());
  EXPECT_NE(table.find("  MeV  Fraction\r\n 5.000E-04  0.0000E+00\r\n"), std::string::npos);
}

TEST(TextReport, TableAndFiguresCanBeLeftOut) {
  const std::vector<std::string> figuresOnly = Lines(Report(test::ComputeRun({"--no-table"})));
  ASSERT_EQ(figuresOnly.size(), 3u + 5u + 8u + 2u);
  for (const std::string& line : figuresOnly) EXPECT_EQ(line.rfind("# ", 0), 0u) << line;

  const std::vector<std::string> tableOnly = Lines(Report(test::ComputeRun({"--no-figures"})));
  EXPECT_EQ(tableOnly.size(), 3u + 601u);
}

TEST(TextReport, MissingFiguresShowAsterisksAndTheReason) {
  test::ComputedRun c = test::ComputeRun({"--kv", "100", "--no-table"});
  c.outcome.results->hvlCuMm.reset();
  c.outcome.results->effectiveEnergyCuKeV.reset();
  const std::vector<std::string> lines = Lines(Report(c));
  EXPECT_EQ(lines[5], "# HVL Cu [mm]: ****** (the air-kerma transmission stays at or above 50 % through 100 mm of copper)");
  EXPECT_EQ(lines[6], "# effective energy Cu [keV]: ****** (there is no copper half-value layer)");
}

TEST(TextReport, SweepGivesOneLineOfFiguresPerVoltage) {
  CliOptions options = ParseCommandLine({"--sweep", "50:70:10", "--model", "birch", "--be", "0", "--al-eq", "0"});
  BatchRun batch(test::DeliveredTable(), {});
  const std::vector<RunOutcome> outcomes = test::SweepOutcomes(options, batch);
  std::ostringstream out;
  WriteSweepText(out, options, batch.Filters(), outcomes);
  const std::vector<std::string> lines = Lines(out.str());
  ASSERT_EQ(lines.size(), 4u + 3u);
  EXPECT_EQ(lines[0], "# kestrix-cli sweep 50 to 70 kV in steps of 10 kV: birch model, target angle 20 degrees, constant waveform");
  EXPECT_EQ(lines[1], "# filtration: 0 mm Be, 0 mm Al eq., added 0 mm Al, 0 mm Cu");
  EXPECT_EQ(lines[3],
            "# kV, HVL Al [mm], effective energy Al [keV], HVL Cu [mm], effective energy Cu [keV], photons per mm2 per C/kg, "
            "HVL1 Al [mm], HVL2 Al [mm], homogeneity Al, HVL1 Cu [mm], HVL2 Cu [mm], homogeneity Cu, mean energy [keV], "
            "kerma-weighted mean energy [keV]");
  for (int k = 0; k < 3; ++k) {
    const std::vector<std::string> result = Lines(outcomes[k].resultFileText);
    std::string expected = std::to_string(50 + 10 * k);
    for (int f = 0; f < 5; ++f) {
      std::string value = Trimmed(result[f]);
      if (f == 4) value.pop_back();
      expected += ", " + value;
    }
    // the extended figures as precise as JSON writes them, not rounded like the single run's lines
    for (std::size_t f = 0; f < kExtendedFigureCount; ++f) {
      expected += ", " + ShortestDecimal(*outcomes[k].extended.values[f]);
    }
    EXPECT_EQ(lines[4 + k], expected);
  }
}

TEST(TextReport, SweepAsCsvHasAHeaderRowOfTheJsonKeysAndPlainRows) {
  const CliOptions options = ParseCommandLine({"--sweep", "30:40:10", "--csv"});
  BatchRun batch(test::DeliveredTable(), {});
  std::vector<RunOutcome> outcomes = test::SweepOutcomes(options, batch);
  outcomes[1].extended.values[kHvl2Cu].reset();  // a figure that cannot be given is an empty field
  std::ostringstream out;
  WriteSweepCsv(out, outcomes, false);
  const std::vector<std::string> lines = Lines(out.str());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0],
            "tube_voltage_kV,hvl_al_mm,effective_energy_al_keV,hvl_cu_mm,effective_energy_cu_keV,"
            "photons_per_mm2_per_Ckg,hvl1_al_mm,hvl2_al_mm,homogeneity_al,hvl1_cu_mm,hvl2_cu_mm,homogeneity_cu,"
            "mean_energy_keV,kerma_mean_energy_keV");
  EXPECT_EQ(lines[1].rfind("30,", 0), 0u);
  EXPECT_EQ(lines[1].find(' '), std::string::npos);
  EXPECT_EQ(std::count(lines[1].begin(), lines[1].end(), ','), 13);
  EXPECT_NE(lines[1].find("," + ShortestDecimal(*outcomes[0].extended.values[kHvl1Al]) + ","), std::string::npos);
  EXPECT_NE(lines[2].find("," + ShortestDecimal(*outcomes[1].extended.values[kHvl1Cu]) + ",,"), std::string::npos)
      << lines[2];
}

TEST(TextReport, HeaderLinesDescribeTheTableAndItsBeam) {
  test::ComputedRun c = test::ComputeRun({"--kv", "80.5", "--al", "2", "--filter", test::DeliveredTin() + ":0.1", "--header",
                                    "--normalise", "total", "--quantity", "energy"});
  std::ostringstream out;
  WriteTextReport(out, c.options, c.filters, c.outcome);
  const std::string text = out.str();
  const std::size_t header = text.find("# spectrum of kestrix-cli\n");
  ASSERT_NE(header, std::string::npos);
  // the '#' lines come right before the table's own header line
  const std::size_t table = text.find("  keV, Fraction\n");
  ASSERT_NE(table, std::string::npos);
  EXPECT_LT(header, table);
  for (const char* line : {"# tube voltage [kV]: 80.5\n", "# added aluminium [mm]: 2\n", "# quantity: energy\n",
                           "# normalisation: total (values sum to 1)\n", "# filter 1: Sn  Tin  (Z=50), 0.1 mm (",
                           "# bins: row E is the 0.5 keV bin from E - 0.25 to E + 0.25 keV",
                           "the energy of the bin's photons (photons x E) as a fraction of the whole spectrum's (per bin, "
                           "not per keV: the values sum to 1)\n"}) {
    const std::size_t at = text.find(line, header);
    EXPECT_TRUE(at > header && at < table) << line;
  }
  c.options.header = false;
  std::ostringstream plain;
  WriteTextReport(plain, c.options, c.filters, c.outcome);
  EXPECT_EQ(plain.str().find("# spectrum of"), std::string::npos);
  EXPECT_EQ(plain.str().find("# bins:"), std::string::npos);
}

}  // namespace
}  // namespace kestrix
