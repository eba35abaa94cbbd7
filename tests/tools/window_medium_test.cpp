// The window materials of the electron Monte Carlo's transmission geometry: their Bethe stopping
// power (the targets' formula with the window's constants), the split into soft and hard Moller
// collisions, the CSDA range, the elastic cross sections of the light atoms and the size of the
// radiative loss that the window leaves out.

#include "window_medium.h"

#include <cmath>

#include <gtest/gtest.h>

#include "electron_collisions.h"
#include "electron_stopping_power.h"
#include "tolerance.h"
#include "tungsten_target.h"

namespace {

using namespace kestrix;
using namespace kestrix::window_medium;
using electron_collisions::kHardTransfer;

/// tungsten written as a window: the same formula must give the targets' stopping power
const WindowMaterial kTungstenAsWindow{"W", 74, tungsten::kMolarMass, tungsten::kDensity, tungsten::kMeanExcitationEnergy};

TEST(WindowMedium, TheNamesGiveTheAgreedMaterialsAndNothingElse) {
  ASSERT_TRUE(WindowFromName("diamond").has_value());
  EXPECT_EQ(WindowFromName("diamond")->atomicNumber, 6);
  EXPECT_DOUBLE_EQ(WindowFromName("C")->density, 3.51);
  EXPECT_DOUBLE_EQ(WindowFromName("diamond")->meanExcitation, 0.081);
  EXPECT_EQ(WindowFromName("Be")->atomicNumber, 4);
  EXPECT_DOUBLE_EQ(WindowFromName("be")->density, 1.848);
  EXPECT_DOUBLE_EQ(WindowFromName("Be")->meanExcitation, 0.0637);
  EXPECT_EQ(WindowFromName("Al")->atomicNumber, 13);
  EXPECT_DOUBLE_EQ(WindowFromName("al")->density, 2.699);
  EXPECT_DOUBLE_EQ(WindowFromName("Al")->meanExcitation, 0.166);
  for (const char* bad : {"", "Cu", "W", "Diamond ", "aluminium"}) EXPECT_FALSE(WindowFromName(bad).has_value()) << bad;
  // diamond: 3.51 g/cm3 of carbon, 1.76e23 atoms and 1.056e24 electrons per cm3
  EXPECT_REL_NEAR(AtomsPerVolume(Diamond()), 1.7599e23, 1e-3);
  EXPECT_REL_NEAR(ElectronsPerVolume(Diamond()), 6.0 * AtomsPerVolume(Diamond()), 1e-15);
}

TEST(WindowMedium, StoppingPowerIsTheTargetsBetheFormulaWithTheWindowsConstants) {
  for (const double T : {2.0, 20.0, 100.0, 300.0})
    EXPECT_REL_NEAR(CollisionStoppingPower(kTungstenAsWindow, T), CollisionStoppingPower(T), 1e-12) << T;
  // Bethe's logarithm: at 100 keV aluminium stops 0.77 as much per gram as water (I = 75 eV, Z/A 0.5551)
  // would, from its electrons per gram (0.868) and its larger I; by hand 0.773
  const WindowMaterial waterLike{"water", 10, 18.0153, 1.0, 0.075};
  const double perGramAl = CollisionStoppingPower(Aluminium(), 100.0) / Aluminium().density;
  const double perGramWater = CollisionStoppingPower(waterLike, 100.0) / waterLike.density;
  EXPECT_NEAR(perGramAl / perGramWater, 0.773, 0.003);
}

TEST(WindowMedium, SoftAndHardMollerCollisionsTogetherLoseTheBetheStoppingPower) {
  for (const WindowMaterial& window : {Diamond(), Beryllium(), Aluminium()}) {
    for (const double T : {5.0, 30.0, 150.0, 300.0}) {
      // the stopping power of the hard collisions: n_e times the integral of W Moller dW, midpoint rule
      constexpr int kPoints = 200000;
      const double width = (0.5 * T - kHardTransfer) / kPoints;
      double hard = 0, count = 0;
      for (int p = 0; p < kPoints; ++p) {
        const double W = kHardTransfer + (p + 0.5) * width;
        hard += W * electron_collisions::MollerCrossSection(T, W) * width;
        count += electron_collisions::MollerCrossSection(T, W) * width;
      }
      const double n = ElectronsPerVolume(window);
      EXPECT_REL_NEAR(RestrictedStoppingPower(window, T) + n * hard, CollisionStoppingPower(window, T), 1e-4)
          << window.name << " " << T;
      EXPECT_REL_NEAR(HardCollisionCoefficient(window, T), n * count, 1e-4) << window.name << " " << T;
    }
    EXPECT_EQ(HardCollisionCoefficient(window, 2.0 * kHardTransfer), 0.0);
    EXPECT_EQ(RestrictedStoppingPower(window, 1.5), CollisionStoppingPower(window, 1.5));
  }
}

TEST(WindowMedium, CsdaRangeIsTheIntegralOfTheInverseStoppingPower) {
  // against the trapezoidal rule on a fine grid in T
  for (const WindowMaterial& window : {Diamond(), Beryllium(), Aluminium()}) {
    for (const double T0 : {20.0, 300.0}) {
      constexpr int kPoints = 200000;
      const double h = (T0 - kElectronCutoffEnergy) / kPoints;
      double range = 0;
      for (int p = 0; p <= kPoints; ++p) {
        const double E = kElectronCutoffEnergy + p * h;
        range += (p == 0 || p == kPoints ? 0.5 : 1.0) * h / CollisionStoppingPower(window, E);
      }
      EXPECT_REL_NEAR(CsdaRange(window, T0), range, 1e-4) << window.name << " " << T0;
    }
    EXPECT_EQ(CsdaRange(window, 1.0), 0.0);
  }
  // light atoms stop less per gram than tungsten's electrons do not make up for: diamond's range at
  // 100 keV is 46 um (1.61e-2 g/cm2; tungsten's 15.4 um)
  EXPECT_NEAR(CsdaRange(Diamond(), 100.0) * 1e4, 45.8, 0.3);
  EXPECT_GT(CsdaRange(Beryllium(), 100.0), CsdaRange(Aluminium(), 100.0));
}

TEST(WindowMedium, ScreenedRutherfordOfTheLightAtomIsTheTungstenFormulaWithItsZ) {
  // the total cross section pi Z(Z + 1) (e^2 / p v)^2 / (A (1 + A)) scales with Z(Z + 1) at a fixed
  // screening; A grows with Z^(2/3)
  double aC, lC, aAl, lAl;
  ScreenedRutherford(Diamond(), 50.0, aC, lC);
  ScreenedRutherford(Aluminium(), 50.0, aAl, lAl);
  EXPECT_REL_NEAR(aAl / aC, std::pow(13.0 / 6.0, 2.0 / 3.0), 1e-12);
  const double sigmaC = 1.0 / (AtomsPerVolume(Diamond()) * lC), sigmaAl = 1.0 / (AtomsPerVolume(Aluminium()) * lAl);
  EXPECT_REL_NEAR(sigmaAl / sigmaC, (13.0 * 14.0) / (6.0 * 7.0) * (aC * (1.0 + aC)) / (aAl * (1.0 + aAl)), 1e-12);
}

TEST(WindowMedium, PartialWavesOfCarbonFollowMcKinleyAndFeshbachAtLargeAngles) {
  // for small Z alpha the Mott cross section over Rutherford's is McKinley and Feshbach's
  //     1 - beta^2 sin^2(theta / 2) + pi Z alpha beta sin(theta / 2) (1 - sin(theta / 2))
  // (Phys. Rev. 74 (1948) 1759); at 100 keV and beyond 60 degrees the screening does not reach
  const double T = 100.0;
  const electron_collisions::PartialWaveElastic x = electron_collisions::PartialWaveCrossSection(T, 6);
  const double beta = std::sqrt(tungsten::BetaSquared(T));
  const double e2 = tungsten::kElectronRadius * tungsten::kElectronRestEnergy;
  const double pv = std::sqrt(T * (T + 2.0 * tungsten::kElectronRestEnergy)) * beta;
  int checked = 0;
  for (std::size_t a = 0; a < x.oneMinusCos.size(); ++a) {
    const double t = x.oneMinusCos[a];
    if (t < 0.5 || t > 1.95) continue;
    const double rutherford = 36.0 * e2 * e2 / (pv * pv) / (t * t);
    const double s = std::sqrt(0.5 * t);  // sin(theta / 2)
    const double mckinley = 1.0 - beta * beta * s * s + tungsten::kPi * 6.0 * 7.2973525693e-3 * beta * s * (1.0 - s);
    EXPECT_NEAR(x.dcs[a] / rutherford / mckinley, 1.0, 0.02) << "1 - cos theta " << t;
    ++checked;
  }
  EXPECT_GT(checked, 20);
}

TEST(WindowMedium, RadiativeLossOfTheLightWindowsStaysBelowSixPerMille) {
  // the estimate of what the window leaves out, largest at 300 keV: 0.17 % (Be), 0.25 % (diamond),
  // 0.55 % (Al) of the collision stopping power
  for (const WindowMaterial& window : {Diamond(), Beryllium(), Aluminium()}) {
    double largest = 0;
    for (double T = 2.0; T <= 300.0; T *= 1.1) largest = std::max(largest, RadiativeShareEstimate(window, T));
    largest = std::max(largest, RadiativeShareEstimate(window, 300.0));
    EXPECT_LT(largest, window.atomicNumber == 13 ? 0.006 : 0.003) << window.name;
    EXPECT_GT(largest, 0.0005) << window.name;
  }
}

}  // namespace
