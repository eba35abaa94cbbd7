// The collision physics of the electron Monte Carlo's options: the split of the stopping power into
// soft and hard collisions, the sampling of hard collisions, their kinematics and Mott's ratio.

#include "electron_collisions.h"

#include <cmath>
#include <random>

#include <gtest/gtest.h>

#include "bremsstrahlung_cross_section.h"
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

namespace {

/// Rutherford's cross section of the bare tungsten nucleus, Z^2 e^4 / (p v)^2 / (1 - cos theta)^2 [cm2/sr]
double Rutherford(double T, double t) {
  const double pc = std::sqrt(T * (T + 2.0 * tungsten::kElectronRestEnergy));
  const double pv = pc * std::sqrt(tungsten::BetaSquared(T));
  const double e2 = tungsten::kElectronRadius * tungsten::kElectronRestEnergy;  // [keV cm]
  const double Z = tungsten::kAtomicNumber;
  return Z * Z * e2 * e2 / (pv * pv) / (t * t);
}

TEST(ElectronCollisions, PartialWavesMeetMottsRatioAtLargeAnglesWhereScreeningDoesNotReach) {
  // at 300-500 keV the screened atom scatters through 90-150 degrees as the bare nucleus does, whose
  // ratio to Rutherford Boschini et al. fitted (within 1 %) to the exact Mott cross section (at 100 keV
  // the screening still lowers the backward cross section by up to 9 %)
  for (const double T : {300.0, 500.0}) {
    const PartialWaveElastic x = PartialWaveCrossSection(T);
    for (std::size_t a = 0; a < x.oneMinusCos.size(); ++a) {
      const double t = x.oneMinusCos[a];
      if (t < 1.0 || t > 1.87) continue;
      EXPECT_NEAR(x.dcs[a] / Rutherford(T, t) / MottRatio(T, t), 1.0, 0.04) << T << " keV, 1 - cos theta " << t;
    }
  }
}

TEST(ElectronCollisions, PartialWaveCrossSectionObeysTheOpticalTheorem) {
  // sigma = (4 pi / k^2) sum_l [(l + 1) sin^2 delta_l+ + l sin^2 delta_l-], against the integral of the
  // cross section over the angle grid; and the integrated phase shifts meet the eikonal ones
  for (const double T : {10.0, 60.0}) {
    const int top = HighestIntegratedL(T);
    double sum = 0;
    for (int l = 0;; ++l) {
      const double plus = l <= top ? DiracPhaseShift(T, -l - 1) : EikonalPhaseShift(T, l);
      const double minus = l == 0 ? 0.0 : (l <= top ? DiracPhaseShift(T, l) : EikonalPhaseShift(T, l));
      if (l > top && std::fabs(plus) < 1e-9) break;
      sum += (l + 1.0) * std::sin(plus) * std::sin(plus) + l * std::sin(minus) * std::sin(minus);
    }
    const double kHbarC = 1.973269804e-8;  // [keV cm]
    const double k2 = T * (T + 2.0 * tungsten::kElectronRestEnergy) / (kHbarC * kHbarC);
    const double optical = 4.0 * tungsten::kPi / k2 * sum;
    EXPECT_NEAR(PartialWaveCrossSection(T).total / optical, 1.0, 0.01) << T << " keV";
    const double integrated = DiracPhaseShift(T, -top - 1), eikonal = EikonalPhaseShift(T, top);
    EXPECT_NEAR(integrated / eikonal, 1.0, 0.01) << T << " keV";
  }
}

TEST(ElectronCollisions, SampledPartialWaveDeflectionsHaveTheTransportMean) {
  // the mean 1 - cos theta of the draws is the ratio of the transport to the total cross section,
  // also between the grid energies (blended linearly in ln T), and every draw lies in [0, 2]
  const PartialWaveTable table(30.0);
  EXPECT_EQ(table.LowestEnergy(), 1.0);
  EXPECT_GE(table.HighestEnergy(), 30.0);
  std::mt19937_64 rng(11);
  for (const double T : {12.0, 25.0}) {
    constexpr int kDraws = 400000;
    double sum = 0;
    for (int d = 0; d < kDraws; ++d) {
      const double t = table.SampleOneMinusCos(T, rng);
      ASSERT_GE(t, 0.0);
      ASSERT_LE(t, 2.0);
      sum += t;
    }
    const double expected = table.TransportCrossSection(T) / table.TotalCrossSection(T);
    EXPECT_NEAR(sum / kDraws / expected, 1.0, 0.04) << T << " keV";
  }
}

}  // namespace

namespace {

TEST(ElectronCollisions, SoftAndDiscretePhotonsTogetherLoseTheRadiativeStoppingPower) {
  // the continuous part below kHardPhoton plus the rate of harder photons times their sampled mean
  // energy is the Seltzer-Berger radiative stopping power
  std::mt19937_64 rng(5);
  for (const double T : {30.0, 150.0, 450.0}) {
    constexpr int kDraws = 100000;
    double sum = 0;
    for (int d = 0; d < kDraws; ++d) {
      const double k = SamplePhotonEnergy(T, rng);
      ASSERT_GT(k, kHardPhoton);
      ASSERT_LT(k, T);
      sum += k;
    }
    const double total = SoftRadiativeStoppingPower(T) + HardPhotonCoefficient(T) * sum / kDraws;
    EXPECT_NEAR(total / TungstenBremsstrahlung().RadiativeStoppingPower(T), 1.0, 0.02) << T << " keV";
  }
  EXPECT_EQ(HardPhotonCoefficient(0.5 * kHardPhoton), 0.0);
}

}  // namespace
