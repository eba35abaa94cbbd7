// The '#' lines of a written spectrum: every input named, numbers that read back, one line each.

#include "table_comment_lines.h"

#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace kestrix {
namespace {

TEST(SpectrumHeader, NamesEveryInputWithNumbersThatReadBack) {
  SpectrumDescription d;
  d.program = "kestrix-cli";
  d.model = "birch";
  d.tubeVoltageKV = 80.25;
  d.targetAngleDegrees = 12;
  d.waveform = "12-peak";
  d.berylliumMm = 0.8;
  d.aluminiumEquivalentMm = 2.5;
  d.addedAluminiumMm = 0.1 + 0.2;  // not a short decimal: written so that it reads back exactly
  d.addedCopperMm = 0;
  d.filters = {{"Sn  Tin  (Z=50)", 0.5, "data/Sn.ele"}, {"PMMA", 10, ""}};
  d.quantity = "exposure";
  d.normalisation = "total";
  const std::vector<std::string> expected{
      "# spectrum of kestrix-cli",
      "# model: birch",
      "# tube voltage [kV]: 80.25",
      "# target angle [degrees]: 12",
      "# waveform: 12-peak",
      "# beryllium window [mm]: 0.8",
      "# inherent aluminium equivalent [mm]: 2.5",
      "# added aluminium [mm]: 0.30000000000000004",
      "# added copper [mm]: 0",
      "# filter 1: Sn  Tin  (Z=50), 0.5 mm (data/Sn.ele)",
      "# filter 2: PMMA, 10 mm",
      "# quantity: exposure",
      "# normalisation: total (values sum to 1)",
      "# energy unit: keV",
      "# bins: " + BinConventionText("exposure", "total"),
  };
  EXPECT_EQ(SpectrumHeaderLines(d), expected);
}

TEST(SpectrumHeader, BinLineSaysPerBinOrPerKeV) {
  const std::string peak = BinConventionText("photon", "max");
  EXPECT_EQ(peak.rfind("row E is the 0.5 keV bin from E - 0.25 to E + 0.25 keV", 0), 0u) << peak;
  EXPECT_NE(peak.find("relative to the largest bin's"), std::string::npos) << peak;
  const std::string total = BinConventionText("photon", "total");
  EXPECT_NE(total.find("per bin, not per keV: the values sum to 1"), std::string::npos) << total;
  const std::string perMas = BinConventionText("photon", "per_mas (photons per keV per mm2 per mAs at 1000 mm)");
  EXPECT_NE(perMas.find("photons per keV per mm2 per mAs at E (times 0.5 keV: the photons in the bin)"),
            std::string::npos) << perMas;
  EXPECT_NE(BinConventionText("energy", "max").find("photons x E)"), std::string::npos);
  EXPECT_NE(BinConventionText("exposure", "max").find("mu_en/rho of air"), std::string::npos);
}

TEST(SpectrumHeader, ControlCharactersCannotBreakALine) {
  SpectrumDescription d;
  d.filters = {{"evil\ndescription\r", 1, "a\tb\x7f"}};
  for (const std::string& line : SpectrumHeaderLines(d)) {
    EXPECT_EQ(line.rfind("# ", 0), 0u);
    for (const char c : line) EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7f) << line;
  }
}

TEST(SpectrumHeader, DescribedSpectrumRowsReadBackExactly) {
  SpectrumDescription d;
  d.program = "test";
  std::ostringstream out;
  WriteDescribedSpectrum(out, d, {0.5, 1.0}, {1.0 / 3.0, 0});
  const std::string text = out.str();
  const std::size_t rows = text.find("energy_keV,value\n");
  ASSERT_NE(rows, std::string::npos);
  EXPECT_EQ(text.substr(rows), "energy_keV,value\n0.5,0.3333333333333333\n1,0\n");
  EXPECT_EQ(std::stod("0.3333333333333333"), 1.0 / 3.0);
  EXPECT_EQ(text.rfind("# spectrum of test\n", 0), 0u);
}

TEST(SpectrumHeader, ATransmissionTargetHasNoTargetAngle) {
  SpectrumDescription d;
  d.program = "kestrix-cli";
  d.model = "physics (W transmission target, 1 um on 0.3 mm diamond)";
  d.targetAngleDegrees = 20;
  d.transmission = true;
  const std::vector<std::string> lines = SpectrumHeaderLines(d);
  EXPECT_EQ(lines[1], "# model: physics (W transmission target, 1 um on 0.3 mm diamond)");
  EXPECT_EQ(lines[3], "# target angle [degrees]: none (transmission target: the beam leaves through the window)");
  d.transmission = false;
  EXPECT_EQ(SpectrumHeaderLines(d)[3], "# target angle [degrees]: 20");
}

}  // namespace
}  // namespace kestrix
