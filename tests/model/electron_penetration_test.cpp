#include "electron_penetration.h"

#include <cmath>

#include <gtest/gtest.h>

#include "electron_stopping_power.h"
#include "tolerance.h"

namespace kestrix {
namespace {

using namespace penetration_layout;

/// energy the tracks of node n deposit in the target by continuous slowing down, per incident energy [1]
double DepositedShare(int node) {
  const ElectronPenetration& table = TungstenElectronPenetration();
  const double T0 = kNodeVoltages[node];
  const double range = CsdaRange(T0);
  double deposited = 0;
  for (int j = 0; j < kDepthBins; ++j) {
    for (int m = 0; m < kEnergyBins; ++m) {
      if ((m + 0.5) * T0 / kEnergyBins < 2.0) continue;  // the stopping power is not used below a few keV
      for (int c = 0; c < kDirectionBins; ++c) {
        deposited += table.Track(node, j, m, c) * range * TotalStoppingPower((m + 0.5) * T0 / kEnergyBins);
      }
    }
  }
  return deposited / T0;
}

TEST(ElectronPenetration, TheElectronsThatStayDepositWhatTheBackscatteredOnesDoNotCarryAway) {
  // Tungsten backscatters about 40 % of the incident energy (half of the electrons); the rest is
  // spent along the tracks of the table, apart from the last few keV of each electron. At the higher
  // energies the simulated tracks give a few per cent more than that: they appear to include the
  // knock-on electrons, whose energy the stopping power has already taken from the primaries.
  for (std::size_t n = 3; n < kNodeVoltages.size(); ++n) {  // from 30 keV
    const double share = DepositedShare(static_cast<int>(n));
    EXPECT_GT(share, 0.50) << kNodeVoltages[n];
    EXPECT_LT(share, 0.72) << kNodeVoltages[n];
  }
}

TEST(ElectronPenetration, FastElectronsAreNearTheSurfaceAndNoTrackIsNegative) {
  const ElectronPenetration& table = TungstenElectronPenetration();
  const int node = 8;  // 100 keV
  double topShallow = 0, topDeep = 0;
  for (int j = 0; j < kDepthBins; ++j) {
    for (int m = 0; m < kEnergyBins; ++m) {
      for (int c = 0; c < kDirectionBins; ++c) {
        ASSERT_GE(table.Track(node, j, m, c), 0.0);
        if (m == kEnergyBins - 1) (j < 4 ? topShallow : topDeep) += table.Track(node, j, m, c);  // a tenth of R
      }
    }
  }
  EXPECT_GT(topShallow, 10 * topDeep);
  // the incident electrons move inwards: forward cells dominate the top energy cell at the surface
  EXPECT_GT(table.Track(node, 0, kEnergyBins - 1, kDirectionBins - 1), table.Track(node, 0, kEnergyBins - 1, 0));
}

TEST(ElectronPenetration, BracketsAreLinearInLogEnergyAndHeldAtTheEnds) {
  const auto at100 = ElectronPenetration::BracketOf(100);
  EXPECT_EQ(kNodeVoltages[at100.lower], 80);
  EXPECT_EQ(kNodeVoltages[at100.upper], 100);
  EXPECT_REL_NEAR(at100.upperWeight, 1.0, 1e-12);
  const auto between = ElectronPenetration::BracketOf(std::sqrt(100.0 * 120.0));
  EXPECT_EQ(kNodeVoltages[between.lower], 100);
  EXPECT_REL_NEAR(between.upperWeight, 0.5, 1e-12);
  const auto below = ElectronPenetration::BracketOf(5);
  EXPECT_EQ(below.lower, 0);
  EXPECT_EQ(below.upperWeight, 0.0);
  const auto above = ElectronPenetration::BracketOf(400);
  EXPECT_EQ(above.lower, static_cast<int>(kNodeVoltages.size()) - 1);
  EXPECT_EQ(above.upperWeight, 0.0);
}

}  // namespace
}  // namespace kestrix
