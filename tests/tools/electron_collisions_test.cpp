// The collision physics of the electron Monte Carlo's options: the split of the stopping power into
// soft and hard collisions, the sampling of hard collisions, their kinematics and Mott's ratio.

#include "electron_collisions.h"

#include <cmath>
#include <random>

#include <gtest/gtest.h>

#include "electron_stopping_power.h"
#include "tolerance.h"
#include "tungsten_target.h"

namespace {

using namespace kestrix;
using namespace kestrix::electron_collisions;

constexpr double kElectronsPerVolume = tungsten::kAtomsPerVolume * tungsten::kAtomicNumber;  // [1/cm3]

/// integral of f(W) over the hard transfers [kHardTransfer, T / 2] by the midpoint rule in W
template <typename F>
double OverHardTransfers(double T, F f) {
  constexpr int kPoints = 200000;
  const double width = (0.5 * T - kHardTransfer) / kPoints;
  double sum = 0;
  for (int p = 0; p < kPoints; ++p) sum += f(kHardTransfer + (p + 0.5) * width) * width;
  return sum;
}

TEST(ElectronCollisions, SoftAndHardCollisionsTogetherLoseWhatTheBetheFormulaSays) {
  for (const double T : {5.0, 20.0, 100.0, 300.0}) {
    const double hardLoss = kElectronsPerVolume * OverHardTransfers(T, [&](double W) { return W * MollerCrossSection(T, W); });
    EXPECT_REL_NEAR(RestrictedStoppingPower(T) + hardLoss, CollisionStoppingPower(T), 1e-6) << T;
    EXPECT_GT(hardLoss, 0.1 * CollisionStoppingPower(T)) << T;  // straggling is no small correction
  }
  EXPECT_EQ(RestrictedStoppingPower(1.5), CollisionStoppingPower(1.5));  // nothing above the cut to take out
}

TEST(ElectronCollisions, HardCollisionCoefficientIsTheIntegralOfMollersCrossSection) {
  for (const double T : {5.0, 60.0, 300.0}) {
    const double expected = kElectronsPerVolume * OverHardTransfers(T, [&](double W) { return MollerCrossSection(T, W); });
    EXPECT_REL_NEAR(HardCollisionCoefficient(T), expected, 2e-4) << T;
  }
  EXPECT_EQ(HardCollisionCoefficient(2.0 * kHardTransfer), 0.0);
  // a 100 keV electron suffers a hard collision every few micrometres of its 15 um range
  EXPECT_NEAR(1e4 / HardCollisionCoefficient(100.0), 2.7, 0.1);
}

TEST(ElectronCollisions, SampledSharesFollowMollersCrossSection) {
  std::mt19937_64 rng(7);
  for (const double T : {10.0, 150.0}) {
    const double lowest = kHardTransfer / T;
    const auto density = [&](double W) { return MollerCrossSection(T, W); };
    const double expectedMean = OverHardTransfers(T, [&](double W) { return W / T * density(W); }) / OverHardTransfers(T, density);
    constexpr int kSamples = 200000;
    double sum = 0;
    for (int s = 0; s < kSamples; ++s) {
      const double eps = SampleMollerShare(T, rng);
      ASSERT_GE(eps, lowest);
      ASSERT_LE(eps, 0.5);
      sum += eps;
    }
    EXPECT_REL_NEAR(sum / kSamples, expectedMean, 0.01) << T;
  }
}

TEST(ElectronCollisions, CollisionAnglesConserveMomentumAlongTheIncidentDirection) {
  const double mc2 = tungsten::kElectronRestEnergy;
  const auto momentum = [&](double T) { return std::sqrt(T * (T + 2.0 * mc2)); };  // [keV / c]
  for (const double T : {20.0, 300.0}) {
    for (const double W : {2.0, 0.25 * T, 0.5 * T}) {
      const double along = momentum(T - W) * CosineAfterCollision(T, T - W) + momentum(W) * CosineAfterCollision(T, W);
      EXPECT_REL_NEAR(along, momentum(T), 1e-12) << T << " " << W;
    }
  }
  EXPECT_EQ(CosineAfterCollision(100.0, 100.0), 1.0);
}

TEST(ElectronCollisions, MottRatioFollowsBoschinisFitForTungsten) {
  // forward scattering is Rutherford's
  for (const double T : {10.0, 100.0, 300.0}) EXPECT_NEAR(MottRatio(T, 0.0), 1.0, 0.003) << T;
  // at beta = 0.7181287 only the constant terms remain: back scattering is
  // 1.00025 - 0.231499 sqrt 2 + 2.84004 * 2 - 2.24701 * 2 sqrt 2 + 0.287708 * 4
  const double mc2 = tungsten::kElectronRestEnergy;
  const double T = mc2 * (1.0 / std::sqrt(1.0 - 0.7181287 * 0.7181287) - 1.0);
  EXPECT_NEAR(MottRatio(T, 2.0), 1.00025 - 0.231499 * std::sqrt(2.0) + 5.68008 - 4.49402 * std::sqrt(2.0) + 1.150832, 1e-9);
  for (const double energy : {10.0, 50.0, 300.0}) {
    const double bound = LargestMottRatio(energy);
    for (int p = 0; p <= 50; ++p) EXPECT_LE(MottRatio(energy, 2.0 * p / 50), bound) << energy;
  }
}

}  // namespace
