// Measured spectra: the file read with its faults named by line, and any energy grid put onto the
// 0.5 keV grid keeping the photons of every interval.

#include "measured_spectrum.h"

#include <numeric>
#include <sstream>

#include <gtest/gtest.h>

namespace kestrix {
namespace {

MeasuredSpectrum Read(const std::string& text) {
  std::istringstream in(text);
  return ReadMeasuredSpectrum(in, "m.csv");
}

std::string Failure(const std::string& text) {
  try {
    Read(text);
  } catch (const MeasuredSpectrumError& error) {
    return error.what();
  }
  return "accepted";
}

TEST(MeasuredSpectrum, TheProgramsOwnGridIsTakenAsItStands) {
  std::vector<double> energies, values;
  for (int i = 1; i <= 600; ++i) {
    energies.push_back(0.5 * i);
    values.push_back(i % 7);
  }
  const ExchangeSpectrum photons = ResampleOntoGrid(energies, values);
  for (int i = 1; i <= 600; ++i) EXPECT_EQ(photons[i], 0.5 * (i % 7)) << i;
}

TEST(MeasuredSpectrum, ACoarseGridKeepsThePhotonsOfEveryInterval) {
  // 2 keV rows: row E covers E - 1 to E + 1 keV, four bins of the grid
  const std::vector<double> energies{10, 12, 14, 16};
  const std::vector<double> perKeV{1, 3, 2, 0};
  const ExchangeSpectrum photons = ResampleOntoGrid(energies, perKeV);
  // the row at 12 keV, 3 photons per keV over 11 to 13 keV: the bins of 11.5 to 12.5 keV lie inside it
  EXPECT_DOUBLE_EQ(photons[23], 1.5);
  EXPECT_DOUBLE_EQ(photons[25], 1.5);
  // the bin of 11 keV (10.75 to 11.25) takes a quarter keV of the rows of 10 and of 12 keV
  EXPECT_DOUBLE_EQ(photons[22], 0.25 * 1 + 0.25 * 3);
  EXPECT_DOUBLE_EQ(photons[26], 0.25 * 3 + 0.25 * 2);
  EXPECT_DOUBLE_EQ(std::accumulate(photons.begin(), photons.end(), 0.0), 2 + 6 + 4);
  EXPECT_EQ(photons[17], 0);  // 8.5 keV: below the first row's interval, from 9 keV
  // an uneven grid keeps its total too
  const ExchangeSpectrum uneven = ResampleOntoGrid({20, 20.3, 21.7, 25}, {2, 4, 1, 3});
  // intervals 19.85-20.15, 20.15-21, 21-23.35, 23.35-26.65 keV
  const double total = 2 * 0.3 + 4 * 0.85 + 1 * 2.35 + 3 * 3.3;
  EXPECT_NEAR(std::accumulate(uneven.begin(), uneven.end(), 0.0), total, 1e-12);
}

TEST(MeasuredSpectrum, CommentsHeaderUnitAndByteOrderMark) {
  const MeasuredSpectrum keV = Read("\xEF\xBB\xBF# a measured beam\n\nenergy_keV,value\n10,1\n10.5,2\n# end\n");
  EXPECT_EQ(keV.energiesKeV, (std::vector<double>{10, 10.5}));
  EXPECT_DOUBLE_EQ(keV.photons[21], 1.0);  // 10.5 keV, the fullest bin
  EXPECT_DOUBLE_EQ(keV.photons[20], 0.5);
  const MeasuredSpectrum mev = Read("Energy_MeV, value\r\n0.010, 1\r\n0.0105, 2\r\n");
  ASSERT_EQ(mev.energiesKeV.size(), 2u);
  EXPECT_NEAR(mev.energiesKeV[1], 10.5, 1e-12);
  EXPECT_EQ(Read("  keV, Fraction\n 0000.5, 0.00000\n 0001.0, 1.00000\n").energiesKeV.size(), 2u);
}

TEST(MeasuredSpectrum, FaultsNameTheFileAndTheLine) {
  EXPECT_EQ(Failure("energy_keV,value\n10,1\n11,x\n"), "m.csv, line 3: the value \"x\" is not a number");
  EXPECT_EQ(Failure("10,1\n9,1\n"), "m.csv, line 2: the energy \"9\" does not rise above the row before's");
  EXPECT_EQ(Failure("10,1\n11,-2\n"), "m.csv, line 2: the value \"-2\" is negative (photons per keV are 0 or more)");
  EXPECT_EQ(Failure("10,1\n301,1\n"), "m.csv, line 2: the energy \"301\" lies above the grid's 300 keV");
  EXPECT_EQ(Failure("0,1\n1,1\n"), "m.csv, line 1: the energy \"0\" is not positive");
  EXPECT_EQ(Failure("10,1\n11\n"), "m.csv, line 2: two fields are needed, the energy and the value, not \"11\"");
  EXPECT_EQ(Failure("volts,counts\n10,1\n"),
            "m.csv, line 1: \"volts,counts\" is neither a header row energy_keV,value (or energy_MeV,value) nor a row of "
            "two numbers");
  EXPECT_EQ(Failure("# nothing\n10,1\n"), "m.csv: a spectrum needs two rows energy,value or more, the file has 1");
  EXPECT_EQ(Failure("10,0\n11,0\n"),
            "m.csv: the spectrum holds no photons between 0.25 and 300.25 keV, or values too large to add up");
  EXPECT_NE(Failure("10,1\n11," + std::string(1000, '7') + "x\n").find("(1001 bytes)"), std::string::npos);
}

}  // namespace
}  // namespace kestrix
