// Material files: reading, every refusal, and the coefficients on the energy grid.

#include "material_file.h"

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "calculation_state.h"
#include "scratch_folder.h"
#include "tolerance.h"
#include "waveform_synthesis.h"

namespace kestrix {
namespace {

/// A power law total = 2e-6 * E^-3 [cm2/g, E in MeV], split into three partials,
/// tabulated at the given energies, plus a fixed density of 2 g/cm3.
constexpr double kDensity = 2.0;
double PowerLawTotal(double energyMeV) { return 2e-6 * std::pow(energyMeV, -3.0); }

std::string PowerLawFile(const std::vector<double>& energies) {
  std::ostringstream out;
  out.precision(17);
  out << "Power law  material\r\n" << kDensity << ", " << energies.size() << "\r\n";
  for (double e : energies) {
    const double t = PowerLawTotal(e);
    out << e << ", " << 0.5 * t << ", " << 0.25 * t << ", " << 0.25 * t << ", 9.9, 8.8\r\n";
  }
  return out.str();
}

MaterialFile Read(const std::string& text, const std::string& name = "test.ele") {
  std::istringstream in(text);
  return ReadMaterialFile(in, name);
}

/// The message of the MaterialFileError that reading text throws ("" when none).
std::string Refusal(const std::string& text) {
  try {
    Read(text, "bad.ele");
  } catch (const MaterialFileError& e) {
    return e.what();
  }
  return "";
}

TEST(MaterialFileReading, TakesDescriptionDensityAndRowsWithTotals) {
  const MaterialFile m = Read("  Tin (Sn)  Z=50 \r\n7.31 3\n0.001,1,2,3,0,0 0.01 4 5 6 0 0\n1.0E+00, 0.1, 0.2, 0.3, 7, 7\nnot read\n");
  EXPECT_EQ(m.description, "  Tin (Sn)  Z=50 ");
  EXPECT_DOUBLE_EQ(m.density, 7.31);
  ASSERT_EQ(m.rows.size(), 3u);
  EXPECT_DOUBLE_EQ(m.rows[0][kMaterialEnergy], 0.001);
  EXPECT_DOUBLE_EQ(m.rows[1][1], 4.0);
  EXPECT_DOUBLE_EQ(m.rows[1][3], 6.0);
  EXPECT_DOUBLE_EQ(m.rows[1][kMaterialTotal], 15.0);
  EXPECT_DOUBLE_EQ(m.rows[2][kMaterialEnergy], 1.0);
  EXPECT_DOUBLE_EQ(m.rows[2][kMaterialTotal], 0.1 + 0.2 + 0.3);
}

TEST(MaterialFileReading, DescriptionIsTheFirstLineOnly) {
  std::istringstream in("Water (liquid)\r\n1.0 2\n");
  EXPECT_EQ(ReadMaterialDescription(in, "water.mix"), "Water (liquid)");
  std::istringstream empty("");
  EXPECT_THROW(ReadMaterialDescription(empty, "empty.ele"), MaterialFileError);
}

TEST(MaterialFileReading, EachMalformedClassIsRefusedNamingFileAndFault) {
  const std::string rows = "0.001 1 1 1 0 0\n1.0 1 1 1 0 0\n";
  struct Case { std::string text, fault; };
  const std::vector<Case> cases = {
      {"", "empty"},
      {"desc\n", "fewer than two numbers"},
      {"desc\n7.3\n", "fewer than two numbers"},
      {"desc\n7.3 1\n0.001 1 1 1 0 0\n", "row count 1"},
      {"desc\n7.3 121\n" + rows, "row count 121"},
      {"desc\n7.3 2.5\n" + rows, "row count 2.5"},
      {"desc\n7.3 3\n" + rows, "too few numbers"},
      {"desc\n7.3 2\n0.001 1 1 1 0\n", "too few numbers"},
      {"desc\n7.3 2\n0.001 1 abc 1 0 0\n1.0 1 1 1 0 0\n", "line 3: \"abc\" is not a number"},
      {"desc\n7.3 2\n0.001 1 1.0.0 1 0 0\n1.0 1 1 1 0 0\n", "\"1.0.0\" is not a number"},
      {"desc\n7.3 2\n0.001 nan 1 1 0 0\n1.0 1 1 1 0 0\n", "\"nan\" is not a number"},
      {"desc\n7.3 2\n0.001 inf 1 1 0 0\n1.0 1 1 1 0 0\n", "\"inf\" is not a number"},
      {"desc\n7.3 2\n0x1 1 1 1 0 0\n1.0 1 1 1 0 0\n", "\"0x1\" is not a number"},
      {"desc\n7.3 2\n0.001 1e999 1 1 0 0\n1.0 1 1 1 0 0\n", "\"1e999\" is not a number"},
      {"desc\n7.3 2\n0.001,,1 1 0 0\n1.0 1 1 1 0 0\n", "\"\" is not a number"},
      {"desc\n0 2\n" + rows, "density 0"},
      {"desc\n-7.3 2\n" + rows, "density -7.3"},
      {"desc\n7.3 3\n0.001 1 1 1 0 0\n0.6 1 1 1 0 0\n0.2 1 1 1 0 0\n", "out of order: row 3"},
      {"desc\n7.3 2\n0.0011 1 1 1 0 0\n1.0 1 1 1 0 0\n", "first energy 0.0011"},
      {"desc\n7.3 2\n0.001 1 1 1 0 0\n0.5 1 1 1 0 0\n", "last energy 0.5"},
      {"desc\n7.3 2\n0.001 0 0 0 0 0\n1.0 1 1 1 0 0\n", "row 1: the total attenuation 0"},
      {"desc\n7.3 3\n0.001 1 1 1 0 0\n0.2 1 -3 1 0 0\n1.0 1 1 1 0 0\n", "row 2: the total attenuation -1"},
      {"desc\n7.3 2\n0 1 1 1 0 0\n1.0 1 1 1 0 0\n", "row 1: the energy 0"},
      {"desc\n1e10 2\n0.001 1e300 1 1 0 0\n1.0 1 1 1 0 0\n", "too large"},
  };
  for (const Case& c : cases) {
    const std::string message = Refusal(c.text);
    EXPECT_NE(message.find("bad.ele: "), std::string::npos) << c.text << " -> " << message;
    EXPECT_NE(message.find(c.fault), std::string::npos) << c.text << " -> " << message;
  }
}

TEST(MaterialFileReading, RefusalsCarryTheirKindLineAndRow) {
  struct Case { std::string text; MaterialFault fault; int line, row; };
  const std::vector<Case> cases = {
      {"", MaterialFault::Empty, 0, 0},
      {"desc\n7.3\n", MaterialFault::MissingHeader, 0, 0},
      {"desc\n7.3 121\n", MaterialFault::BadRowCount, 0, 0},
      {"desc\n7.3 2\n0.001 1 1 1 0 0\n", MaterialFault::TooFewNumbers, 0, 2},
      {"desc\n7.3 2\n0.001 1 1 1 0 0\n1.0 1 x 1 0 0\n", MaterialFault::NotANumber, 4, 0},
      {"desc\n0 2\n0.001 1 1 1 0 0\n1.0 1 1 1 0 0\n", MaterialFault::BadDensity, 0, 0},
      {"desc\n7.3 3\n0.001 1 1 1 0 0\n0.6 1 1 1 0 0\n0.2 1 1 1 0 0\n", MaterialFault::EnergiesOutOfOrder, 0, 3},
      {"desc\n7.3 2\n0.0011 1 1 1 0 0\n1.0 1 1 1 0 0\n", MaterialFault::FirstEnergyTooHigh, 0, 0},
      {"desc\n7.3 2\n0.001 1 1 1 0 0\n0.5 1 1 1 0 0\n", MaterialFault::LastEnergyTooLow, 0, 0},
      {"desc\n7.3 2\n0 1 1 1 0 0\n1.0 1 1 1 0 0\n", MaterialFault::NonPositiveEnergy, 0, 1},
      {"desc\n7.3 2\n0.001 1 1 1 0 0\n1.0 0 0 0 0 0\n", MaterialFault::NonPositiveTotal, 0, 2},
      {"desc\n1e10 2\n0.001 1e300 1 1 0 0\n1.0 1 1 1 0 0\n", MaterialFault::CoefficientTooLarge, 0, 0},
  };
  for (const Case& c : cases) {
    try {
      Read(c.text, "bad.ele");
      ADD_FAILURE() << "no error for " << c.text;
    } catch (const MaterialFileError& e) {
      EXPECT_EQ(e.Fault(), c.fault) << c.text;
      EXPECT_EQ(e.Line(), c.line) << c.text;
      EXPECT_EQ(e.Row(), c.row) << c.text;
    }
  }
  try {
    LoadMaterialFile("/nonexistent/folder/Pb.ele");
  } catch (const MaterialFileError& e) {
    EXPECT_EQ(e.Fault(), MaterialFault::Unreadable);
  }
}

TEST(MaterialFileReading, AHugeTokenIsQuotedInPartWithItsLine) {
  const std::string token = "\x1b[2J" + std::string(8 * 1024 * 1024, '9');
  const std::string message = Refusal("desc\n7.3 2\n0.001 1 1 1 0 0\n1.0 1 1 " + token + " 0 0\n");
  EXPECT_LT(message.size(), 300u);
  EXPECT_EQ(message.rfind("bad.ele: line 4: \"\\x1b[2J999", 0), 0u) << message.substr(0, 300);
  EXPECT_NE(message.find("... (8388612 bytes)\" is not a number"), std::string::npos) << message.substr(0, 300);
}

TEST(MaterialFileReading, RowsThatInterpolationNeverTouchesAreNotChecked) {
  // A zero-energy row ahead of the 1 keV row, and a non-positive total beyond the row above 500 keV.
  EXPECT_NO_THROW(Read("desc\n1 4\n0 0 0 0 0 0\n0.001 1 1 1 0 0\n0.6 1 1 1 0 0\n0.6 0 0 0 0 0\n"));
  // Everything after the announced rows is left unread.
  EXPECT_NO_THROW(Read("desc\n1 2\n0.001 1 1 1 0 0\n1.0 1 1 1 0 0 garbage, 1.2.3\n"));
}

TEST(MaterialFileReading, UnopenableFileIsRefusedWithItsName) {
  try {
    LoadMaterialFile("/nonexistent/folder/Pb.ele");
    FAIL() << "no error";
  } catch (const MaterialFileError& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent/folder/Pb.ele: the file cannot be opened"), std::string::npos);
  }
  EXPECT_THROW(LoadMaterialDescription("/nonexistent/folder/Pb.ele"), MaterialFileError);
  // a folder is refused with the reason, not read as an empty file
  test::ScratchFolder folder;
  std::filesystem::create_directory(folder / "Pb.ele");
  try {
    LoadMaterialDescription((folder / "Pb.ele").string());
    FAIL() << "no error";
  } catch (const MaterialFileError& e) {
    EXPECT_EQ(std::string(e.what()), (folder / "Pb.ele").string() + ": the file cannot be opened (it is a folder, not a file)");
  }
}

TEST(FilterCoefficients, FillEveryGridIndexFromOneToOneThousand) {
  const GridArray mu = ArbitraryFilterCoefficientsFor(Read(PowerLawFile({0.001, 0.01, 0.1, 0.6})));
  EXPECT_EQ(mu[0], 0.0);
  for (int i = 1; i <= kGridLast; ++i) EXPECT_GT(mu[i], 0.0) << "index " << i;
}

TEST(FilterCoefficients, TabulatedEnergyGivesDensityTimesTotal) {
  const GridArray mu = ArbitraryFilterCoefficientsFor(Read(PowerLawFile({0.001, 0.013, 0.087, 0.6})));
  EXPECT_REL_NEAR(mu[2], kDensity * PowerLawTotal(0.001), 1e-12);
  EXPECT_REL_NEAR(mu[26], kDensity * PowerLawTotal(0.013), 1e-12);
  EXPECT_REL_NEAR(mu[174], kDensity * PowerLawTotal(0.087), 1e-12);
}

TEST(FilterCoefficients, LogLogInterpolationIsExactForAPowerLaw) {
  const GridArray mu = ArbitraryFilterCoefficientsFor(Read(PowerLawFile({0.001, 0.01, 0.1, 0.6})));
  for (int k : {1, 3, 7, 10, 55, 99, 250, 500}) {
    EXPECT_REL_NEAR(mu[2 * k], kDensity * PowerLawTotal(0.001 * k), 1e-10) << k << " keV";
  }
}

TEST(FilterCoefficients, OddIndicesAverageTheirNeighboursAndIndexOneCopiesIndexTwo) {
  const GridArray mu = ArbitraryFilterCoefficientsFor(Read(PowerLawFile({0.001, 0.01, 0.1, 0.6})));
  EXPECT_EQ(mu[1], mu[2]);
  for (int m = 3; m < kGridLast; m += 2) EXPECT_EQ(mu[m], 0.5 * (mu[m - 1] + mu[m + 1])) << m;
}

TEST(FilterCoefficients, GridEnergyAtARepeatedEdgeTakesTheSecondRow) {
  // K edge at 88 keV: 2 cm2/g below, 8 cm2/g above; 10 cm2/g at 1 keV, 1 cm2/g at 0.6 MeV.
  const MaterialFile m = Read(
      "edge\n3 4\n0.001 10 0 0 0 0\n8.8E-02 1 0.5 0.5 0 0\n0.088 4 2 2 0 0\n0.6 0.5 0.25 0.25 0 0\n");
  const GridArray mu = ArbitraryFilterCoefficientsFor(m);
  EXPECT_REL_NEAR(mu[176], 3 * 8.0, 1e-12);
  const double logSlope = std::log(1.0 / 8.0) / std::log(0.6 / 0.088);
  EXPECT_REL_NEAR(mu[178], 3 * 8.0 * std::pow(0.089 / 0.088, logSlope), 1e-12);
  const double belowSlope = std::log(2.0 / 10.0) / std::log(0.088 / 0.001);
  EXPECT_REL_NEAR(mu[174], 3 * 10.0 * std::pow(0.087 / 0.001, belowSlope), 1e-12);
  EXPECT_REL_NEAR(mu[175], 0.5 * (mu[174] + mu[176]), 1e-15);
}

TEST(FilterCoefficients, AnUncheckedTableIsRefused) {
  MaterialFile m;
  m.density = 1;
  m.rows = {{0.002, 1, 0, 0, 1}, {1.0, 1, 0, 0, 1}};
  EXPECT_THROW(ArbitraryFilterCoefficientsFor(m), MaterialFileError);
}

TEST(FilterSlots, FillOneToThreeThenRefuseWithoutChange) {
  ArbitraryFilterSet filters;
  GridArray mu{};
  for (int slot = 1; slot <= 3; ++slot) {
    mu.fill(slot);
    EXPECT_EQ(AddArbitraryFilter(filters, mu, 0.01 * slot), slot);
  }
  const ArbitraryFilterSet before = filters;
  mu.fill(9);
  EXPECT_THROW(AddArbitraryFilter(filters, mu, 1.0), std::length_error);
  EXPECT_EQ(filters.count, 3);
  for (int slot = 1; slot <= 3; ++slot) {
    EXPECT_EQ(filters.coefficients[slot], before.coefficients[slot]);
    EXPECT_EQ(filters.thickness[slot], 0.01 * slot);
  }
}


/// Transmission of 3 mm of the delivered lead at 150 kV (Tucker, constant potential, 20 degrees,
/// 3 mm Be, 5 mm Al): the filtered spectrum divided by the unfiltered one, bin by bin.
GridArray LeadTransmissionAt150kV() {
  CalculationState state;
  state.LoadAttenuationTable(std::string(KESTRIX_DELIVERED_DATA) + "/" + kAttenuationTableFile);
  FilterSet fixed;
  fixed.tBe = 0.3;
  fixed.tAlInh = 0.5;
  const double cosecTheta = 1.0 / std::sin(20 * kDegreesToRadians);
  SynthesizeSpectrum(SpectrumModel::Tucker, 150, cosecTheta, RectificationType::ConstantPotential, fixed, state);
  const GridArray open = state.SpectrumBins;
  state.SpectrumBins = {};
  const MaterialFile lead = LoadMaterialFile(std::string(KESTRIX_DELIVERED_DATA) + "/Pb.ele");
  AddArbitraryFilter(state.filters, ArbitraryFilterCoefficientsFor(lead), 0.3);
  SynthesizeSpectrum(SpectrumModel::Tucker, 150, cosecTheta, RectificationType::ConstantPotential, fixed, state);
  GridArray transmission{};
  for (int i = 2; i < 300; ++i) transmission[i] = state.SpectrumBins[i] / open[i];
  return transmission;
}

TEST(FilterInSpectrum, ThreeMillimetresOfLeadAt150kV) {
  const GridArray t = LeadTransmissionAt150kV();
  for (int i = 40; i < 300; ++i) {  // from 20 keV, where the unfiltered beam is not yet absorbed
    EXPECT_TRUE(std::isfinite(t[i]) && t[i] >= 0 && t[i] < 1) << i;
  }
  // Below the K edge (88.0 keV) the low energies are wiped out, far more than the top of the spectrum.
  EXPECT_LT(t[100], 1e-6 * t[290]);
  // Crossing the edge, the transmission falls by many orders of magnitude.
  EXPECT_GT(t[174], 1e6 * t[180]);
  // Above the edge it recovers as the attenuation falls with energy.
  EXPECT_GT(t[290], 1e3 * t[180]);
}

}  // namespace
}  // namespace kestrix
