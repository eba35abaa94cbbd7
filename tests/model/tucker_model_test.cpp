#include "tucker_model.h"

#include <cmath>

#include <gtest/gtest.h>

#include "calculation_run.h"
#include "synthetic_table.h"
#include "tolerance.h"
#include "waveform_synthesis.h"

namespace kestrix {
namespace {

constexpr double kUntouched = -12345.0;  // marks bins a call must not write

GridArray Untouched() {
  GridArray bins;
  bins.fill(kUntouched);
  return bins;
}

/// How far bin i rises above the straight line through its neighbours.
double Bump(const GridArray& bins, int i) { return bins[i] - 0.5 * (bins[i - 1] + bins[i + 1]); }

TEST(ThomsonWhiddingtonConstant, ReferenceValues) {
  EXPECT_REL_NEAR(ThomsonWhiddingtonConstant(100), 702526.2, 1e-12);
  EXPECT_REL_NEAR(ThomsonWhiddingtonConstant(30), 420667.24402, 1e-12);
  EXPECT_REL_NEAR(ThomsonWhiddingtonConstant(300), 854918.2, 1e-12);
}

TEST(ElectronPathLength, ReferenceValueAt20Degrees) {
  const double cosecTheta = CosecantOfTargetAngle(20);
  EXPECT_REL_NEAR(cosecTheta, 2.923806768666969, 1e-14);
  EXPECT_REL_NEAR(ElectronPathLength(100, 50, 702526.2, cosecTheta), 0.0016172981735849, 1e-13);
  EXPECT_EQ(ElectronPathLength(100, 100, 702526.2, cosecTheta), 0.0);  // made at the surface
}

TEST(CharacteristicRatio, TuckerReferenceValuesWithTheCapAbove200kV) {
  EXPECT_EQ(CharacteristicRatio(70, SpectrumModel::Tucker), 0.0);  // the threshold is strict
  EXPECT_EQ(CharacteristicRatio(30, SpectrumModel::Tucker), 0.0);
  EXPECT_REL_NEAR(CharacteristicRatio(70.5, SpectrumModel::Tucker), 0.10448203394, 1e-10);
  EXPECT_REL_NEAR(CharacteristicRatio(100, SpectrumModel::Tucker), 2.79999974, 1e-8);
  EXPECT_REL_NEAR(CharacteristicRatio(200, SpectrumModel::Tucker), 6.72164857, 1e-8);
  EXPECT_EQ(CharacteristicRatio(200.5, SpectrumModel::Tucker), 7.0);
  EXPECT_EQ(CharacteristicRatio(300, SpectrumModel::Tucker), 7.0);
}

TEST(AddKLines, AddsTheFourLinesInProportionToTheBremsstrahlungSum) {
  GridArray bins{};
  for (int i = 2; i <= 200; ++i) bins[i] = 1.0;
  GridArray withLines = bins;
  AddKLines(100, 2.0, withLines);
  const double total = 199.0 * 2.0 * 0.01;
  EXPECT_REL_NEAR(withLines[119], 1.0 + total * 0.5048, 1e-15);
  EXPECT_REL_NEAR(withLines[116], 1.0 + total * 0.2908, 1e-15);
  EXPECT_REL_NEAR(withLines[134], 1.0 + total * 0.162, 1e-15);
  EXPECT_REL_NEAR(withLines[138], 1.0 + total * 0.0424, 1e-15);
  double added = 0;
  for (int i = 0; i <= kGridLast; ++i) added += withLines[i] - bins[i];
  EXPECT_REL_NEAR(added, total, 1e-14);  // the fractions add up to 1

  GridArray atThreshold = bins;
  AddKLines(70, 5.0, atThreshold);
  EXPECT_EQ(atThreshold, bins);
}

class TuckerEmissionTest : public ::testing::Test {
 protected:
  AttenuationTable table = test::PlausibleTable();
  double cosecTheta = CosecantOfTargetAngle(20);
};

TEST_F(TuckerEmissionTest, ABinAtTheTubeVoltageGetsOneUnattenuatedTerm) {
  GridArray bins = Untouched();
  TuckerEmission(100, cosecTheta, table, bins);
  EXPECT_REL_NEAR(bins[200], 0.000141171921963, 1e-11);
  AttenuationTable opaque = test::ConstantTable(1e6);  // whatever muW holds
  TuckerEmission(100, cosecTheta, opaque, bins);
  EXPECT_REL_NEAR(bins[200], 0.000141171921963, 1e-11);
}

TEST_F(TuckerEmissionTest, WritesBinsUpToTwiceTheVoltageAndLeavesTheRest) {
  GridArray bins = Untouched();
  TuckerEmission(69.9, cosecTheta, table, bins);
  EXPECT_EQ(bins[1], kUntouched);
  for (int i = 2; i <= 139; ++i) ASSERT_GT(bins[i], 0.0) << "bin " << i;
  for (int i = 140; i <= kGridLast; ++i) ASSERT_EQ(bins[i], kUntouched) << "bin " << i;

  bins = Untouched();
  TuckerEmission(70.5, cosecTheta, table, bins);
  for (int i = 2; i <= 141; ++i) ASSERT_GT(bins[i], 0.0) << "bin " << i;
  for (int i = 142; i <= kGridLast; ++i) ASSERT_EQ(bins[i], kUntouched) << "bin " << i;
}

TEST_F(TuckerEmissionTest, KLinesAppearOnlyAbove70kV) {
  const AttenuationTable smooth = test::ConstantTable(50.0);  // no edges, so the emission is smooth
  GridArray below = Untouched();
  TuckerEmission(69.9, cosecTheta, smooth, below);
  GridArray above = Untouched();
  TuckerEmission(70.5, cosecTheta, smooth, above);
  double sum = 0;
  for (int i = 2; i <= 141; ++i) sum += above[i];
  const double ratio = CharacteristicRatio(70.5, SpectrumModel::Tucker);
  const double lines = sum / (1 + ratio * 0.01) * ratio * 0.01;  // sum holds bremsstrahlung and lines
  for (const auto& line : anode_coefficients::kKLines) {
    EXPECT_NEAR(Bump(above, line.bin), lines * line.fraction, 0.02 * lines * line.fraction) << line.bin;
    EXPECT_LT(std::fabs(Bump(below, line.bin)), 0.02 * lines * line.fraction) << line.bin;
  }
}

TEST_F(TuckerEmissionTest, TheSmallestSampleOfARunGivesOnlyBin2) {
  const double lowest = SampleVoltage(30, 2);
  EXPECT_REL_NEAR(lowest, 1.0469840, 1e-7);
  GridArray bins = Untouched();
  TuckerEmission(lowest, cosecTheta, table, bins);
  EXPECT_GT(bins[2], 0.0);
  EXPECT_EQ(bins[1], kUntouched);
  EXPECT_EQ(bins[3], kUntouched);
}

}  // namespace
}  // namespace kestrix
