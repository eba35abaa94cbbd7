#include "birch_model.h"

#include <cmath>

#include <gtest/gtest.h>

#include "calculation_run.h"
#include "synthetic_table.h"
#include "tolerance.h"
#include "tucker_model.h"

namespace kestrix {
namespace {

constexpr double kUntouched = -12345.0;

TEST(CharacteristicRatio, BirchReferenceValuesWithoutCap) {
  EXPECT_EQ(CharacteristicRatio(70, SpectrumModel::Birch), 0.0);
  EXPECT_REL_NEAR(CharacteristicRatio(100, SpectrumModel::Birch), 2.79999974, 1e-8);
  EXPECT_REL_NEAR(CharacteristicRatio(200, SpectrumModel::Birch), 6.72164857, 1e-8);
  EXPECT_REL_NEAR(CharacteristicRatio(250, SpectrumModel::Birch), 8.06968825, 1e-8);
  EXPECT_REL_NEAR(CharacteristicRatio(300, SpectrumModel::Birch), 9.24241508, 1e-8);
}

TEST(CharacteristicRatio, BirchAndTuckerDifferOnlyAbove200kV) {
  for (double T0 = 30; T0 <= 300; T0 += 0.25) {
    const double tucker = CharacteristicRatio(T0, SpectrumModel::Tucker);
    const double birch = CharacteristicRatio(T0, SpectrumModel::Birch);
    if (T0 <= 200) {
      ASSERT_EQ(tucker, birch) << T0;
    } else {
      ASSERT_EQ(tucker, 7.0) << T0;
      ASSERT_GT(birch, 6.72) << T0;
      ASSERT_NE(tucker, birch) << T0;
    }
  }
}

TEST(BirchEmission, ABinAtTheTubeVoltageGetsOneUnattenuatedTerm) {
  GridArray bins;
  bins.fill(kUntouched);
  BirchEmission(100, CosecantOfTargetAngle(20), test::ConstantTable(1e6), bins);
  EXPECT_REL_NEAR(bins[200], 0.231641937377, 1e-11);
  EXPECT_REL_NEAR(bins[200], (1 + 100.0 / 511) * 0.19373, 1e-13);
  for (int i = 201; i <= kGridLast; ++i) ASSERT_EQ(bins[i], kUntouched) << "bin " << i;
}

TEST(BirchEmission, KLinesAppearOnlyAbove70kVWithTheUncappedRatio) {
  const AttenuationTable smooth = test::ConstantTable(50.0);
  const double cosecTheta = CosecantOfTargetAngle(20);
  for (double T0 : {150.0, 280.0}) {
    GridArray bins;
    bins.fill(kUntouched);
    BirchEmission(T0, cosecTheta, smooth, bins);
    const int top = TopBinFor(T0);
    double sum = 0;
    for (int i = 2; i <= top; ++i) sum += bins[i];
    const double ratio = CharacteristicRatio(T0, SpectrumModel::Birch);
    const double lines = sum / (1 + ratio * 0.01) * ratio * 0.01;
    const double bump = bins[119] - 0.5 * (bins[118] + bins[120]);
    EXPECT_NEAR(bump, lines * 0.5048, 0.02 * lines * 0.5048) << T0;
  }
  GridArray below{}, above{};
  BirchEmission(69.9, cosecTheta, smooth, below);
  BirchEmission(70.5, cosecTheta, smooth, above);
  const double lineAbove = above[119] - 0.5 * (above[118] + above[120]);
  EXPECT_GT(lineAbove, 0.0);
  EXPECT_LT(std::fabs(below[119] - 0.5 * (below[118] + below[120])), 0.02 * lineAbove);
}

TEST(BirchEmission, SameAnodeTermsAsTuckerButADifferentCrossSection) {
  // with a transparent target the ratio of the two models at the tube-voltage bin is fixed
  const AttenuationTable transparent = test::ConstantTable(0.0);
  GridArray birch{}, tucker{};
  BirchEmission(50, 1.0, transparent, birch);
  TuckerEmission(50, 1.0, transparent, tucker);
  const double A = 0.03658 + 2.9e-05 * 50;
  const double P = 1036.1 * std::exp(-0.04695 * 50) + 202.41;
  EXPECT_REL_NEAR(tucker[100], (1 + 511.0 / 50) * A * 0.124 / P, 1e-13);
  EXPECT_REL_NEAR(birch[100], (1 + 50.0 / 511) * 0.19373, 1e-13);
}

}  // namespace
}  // namespace kestrix
