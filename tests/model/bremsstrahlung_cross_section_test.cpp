#include "bremsstrahlung_cross_section.h"

#include <cmath>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "tolerance.h"
#include "tungsten_target.h"

namespace kestrix {
namespace {

const BremsstrahlungCrossSection& Table() { return TungstenBremsstrahlung(); }

TEST(SeltzerBergerTable, HoldsTheTungstenGridOfThePublication) {
  ASSERT_EQ(Table().ElectronEnergies().size(), 57u);
  ASSERT_EQ(Table().ReducedPhotonEnergies().size(), 32u);
  EXPECT_EQ(Table().ElectronEnergies().front(), 1.0);   // 1 keV
  EXPECT_EQ(Table().ElectronEnergies()[16], 100.0);     // 100 keV
  EXPECT_EQ(Table().ElectronEnergies().back(), 1e7);    // 10 GeV
  EXPECT_EQ(Table().ReducedPhotonEnergies().front(), 0.0);
  EXPECT_EQ(Table().ReducedPhotonEnergies().back(), 1.0);
  // values of the NBS tape for Z = 74 [mb]
  EXPECT_EQ(Table().Node(0, 0), 0.6133);   // 1 keV, k/T = 0
  EXPECT_EQ(Table().Node(0, 31), 1.28558);  // 1 keV, k/T = 1
  EXPECT_EQ(Table().Node(1, 0), 0.87035);  // 1.5 keV, k/T = 0
}

TEST(SeltzerBergerTable, EveryNodeIsReproducedByTheInterpolation) {
  const auto& T = Table().ElectronEnergies();
  const auto& u = Table().ReducedPhotonEnergies();
  for (std::size_t r = 0; r < T.size(); ++r) {
    for (std::size_t c = 0; c < u.size(); ++c) {
      EXPECT_REL_NEAR(Table().ScaledCrossSection(T[r], u[c]), Table().Node(r, c), 1e-12) << r << " " << c;
    }
  }
}

TEST(SeltzerBergerTable, ReadLinearInLogEnergyAndInReducedPhotonEnergy) {
  const double T1 = Table().ElectronEnergies()[16], T2 = Table().ElectronEnergies()[17];  // 100, 150 keV
  const double middle = std::sqrt(T1 * T2);  // halfway in log T
  EXPECT_REL_NEAR(Table().ScaledCrossSection(middle, 0.5), 0.5 * (Table().Node(16, 12) + Table().Node(17, 12)), 1e-12);
  // halfway between k/T = 0.5 and 0.55
  EXPECT_REL_NEAR(Table().ScaledCrossSection(T1, 0.525), 0.5 * (Table().Node(16, 12) + Table().Node(16, 13)), 1e-12);
}

TEST(SeltzerBergerTable, DifferentialCrossSectionIsZSquaredOverBetaSquaredChiOverK) {
  const double T = 80, k = 30;
  const double expected = 74.0 * 74.0 / tungsten::BetaSquared(T) * Table().ScaledCrossSection(T, k / T) * 1e-27 / k;
  EXPECT_REL_NEAR(Table().DifferentialCrossSection(T, k), expected, 1e-14);
  EXPECT_EQ(Table().DifferentialCrossSection(T, T), 0.0);  // no photon above the electron's energy
  EXPECT_EQ(Table().DifferentialCrossSection(T, 90), 0.0);
  EXPECT_EQ(Table().DifferentialCrossSection(T, 0), 0.0);
  EXPECT_EQ(Table().ScaledCrossSection(T, 1.2), 0.0);
}

TEST(SeltzerBergerTable, RadiativeStoppingPowerIsTheEnergyWeightedIntegral) {
  // n * integral of k dsigma/dk dk by a fine midpoint rule
  const double T = 150;
  double integral = 0;
  const int steps = 20000;
  for (int s = 0; s < steps; ++s) {
    const double k = (s + 0.5) * T / steps;
    integral += k * Table().DifferentialCrossSection(T, k) * T / steps;
  }
  EXPECT_REL_NEAR(Table().RadiativeStoppingPower(T), tungsten::kAtomsPerVolume * integral, 2e-3);
  // a few per cent of the collision loss in this range, rising with energy
  EXPECT_LT(Table().RadiativeStoppingPower(30), Table().RadiativeStoppingPower(300));
}

TEST(SeltzerBergerTable, AnElementsOwnTableReadsAsATargetsDoes) {
  // tungsten's table given as numbers gives tungsten's cross sections to the bit
  std::vector<double> numbers{57, 32};
  const BremsstrahlungCrossSection& tungstenTable = TungstenBremsstrahlung();
  for (const double T : tungstenTable.ElectronEnergies()) numbers.push_back(T);
  for (const double u : tungstenTable.ReducedPhotonEnergies()) numbers.push_back(u);
  for (int r = 0; r < 57; ++r) {
    for (int c = 0; c < 32; ++c) numbers.push_back(tungstenTable.Node(r, c));
  }
  const BremsstrahlungCrossSection own(numbers.data(), numbers.size(), tungsten::kAtomicNumber, tungsten::kAtomsPerVolume);
  for (const double T : {3.0, 47.0, 250.0}) {
    EXPECT_EQ(own.ScaledCrossSection(T, 0.37), tungstenTable.ScaledCrossSection(T, 0.37));
    EXPECT_EQ(own.DifferentialCrossSection(T, 0.4 * T), tungstenTable.DifferentialCrossSection(T, 0.4 * T));
    EXPECT_EQ(own.RadiativeStoppingPower(T), tungstenTable.RadiativeStoppingPower(T));
  }
  numbers.pop_back();
  EXPECT_THROW(BremsstrahlungCrossSection(numbers.data(), numbers.size(), 74, 1e22), std::logic_error);
}

}  // namespace
}  // namespace kestrix
