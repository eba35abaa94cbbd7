// The bound shells of the electron Monte Carlo's --shell-binding: the shell data, the oscillators'
// resonance energies, the split of the stopping power into soft and hard collisions, the sampling
// of hard collisions and their kinematics, and the straggling of the soft loss.

#include "electron_shells.h"

#include <cmath>
#include <random>

#include <gtest/gtest.h>

#include "electron_collisions.h"
#include "electron_stopping_power.h"
#include "tolerance.h"
#include "tungsten_target.h"

namespace {

using namespace kestrix;
using namespace kestrix::electron_shells;
using electron_collisions::kHardTransfer;

TEST(ElectronShells, TheShellsHoldTheAtomsElectronsBoundMoreTightlyInward) {
  int electrons = 0;
  for (const Shell& shell : TungstenShells()) electrons += shell.electrons;
  EXPECT_EQ(electrons, tungsten::kAtomicNumber);
  // the K edge of the line data (data/physics/tungsten_lines.txt) and the L and M edges
  EXPECT_DOUBLE_EQ(TungstenShells()[0].binding, 69.525);
  for (std::size_t k = 1; k < 9; ++k) EXPECT_LT(TungstenShells()[k].binding, TungstenShells()[k - 1].binding) << k;
  // 28 electrons in K, L and M, all bound by more than the hard-collision cut
  int inner = 0;
  for (std::size_t k = 0; k < 9; ++k) inner += TungstenShells()[k].electrons;
  EXPECT_EQ(inner, 28);
  EXPECT_GT(TungstenShells()[8].binding, kHardTransfer);
}

TEST(ElectronShells, ResonanceEnergiesGiveTheMeanExcitationEnergyAndLieAboveTheBinding) {
  // 28.816 eV sqrt(19.3 * 74 / 183.84) = 80.3 eV
  EXPECT_NEAR(PlasmaEnergy(), 0.08032, 2e-5);
  double sum = 0;
  for (std::size_t k = 0; k < kShellCount; ++k) {
    const Shell& shell = TungstenShells()[k];
    sum += shell.electrons * std::log(ResonanceEnergy(k));
    EXPECT_GT(ResonanceEnergy(k), shell.binding) << shell.name;
  }
  EXPECT_NEAR(sum / tungsten::kAtomicNumber, std::log(tungsten::kMeanExcitationEnergy), 1e-9);
  EXPECT_NEAR(SternheimerFactor(), 2.10, 0.01);
  EXPECT_NEAR(ResonanceEnergy(0), 145.7, 0.2);  // K: a U_K, the plasma term negligible
}

TEST(ElectronShells, CloseCrossSectionsAreMollersIntegrals) {
  for (const double T : {30.0, 300.0}) {
    for (const double low : {1.0, 5.9}) {
      constexpr int kPoints = 200000;
      const double width = (0.5 * T - low) / kPoints;
      double number = 0, energy = 0;
      for (int p = 0; p < kPoints; ++p) {
        const double W = low + (p + 0.5) * width;
        number += electron_collisions::MollerCrossSection(T, W) * width;
        energy += W * electron_collisions::MollerCrossSection(T, W) * width;
      }
      EXPECT_REL_NEAR(CloseCrossSection(T, low), number, 2e-4) << T << " " << low;
      EXPECT_REL_NEAR(CloseStoppingCrossSection(T, low), energy, 2e-4) << T << " " << low;
    }
  }
  EXPECT_EQ(CloseCrossSection(10.0, 5.0), 0.0);  // no transfer above T / 2
}

TEST(ElectronShells, DistantCollisionsNeedTheResonanceBelowTheEnergy) {
  EXPECT_EQ(DistantLongitudinalCrossSection(100.0, 145.7), 0.0);
  EXPECT_EQ(DistantTransverseCrossSection(100.0, 145.7), 0.0);
  EXPECT_GT(DistantLongitudinalCrossSection(200.0, 145.7), 0.0);
  // the transverse part grows with beta and is far below the longitudinal one at low energies
  EXPECT_LT(DistantTransverseCrossSection(20.0, 5.9), 0.01 * DistantLongitudinalCrossSection(20.0, 5.9));
  EXPECT_GT(DistantTransverseCrossSection(300.0, 5.9), DistantTransverseCrossSection(100.0, 5.9));
}

TEST(ElectronShells, SoftAndHardCollisionsTogetherLoseWhatTheBetheFormulaSays) {
  const ShellCollisions shells(300.0);
  for (const double T : {5.0, 20.0, 100.0, 200.0, 300.0}) {
    EXPECT_GT(shells.SoftStoppingPower(T), 0.0) << T;
    EXPECT_REL_NEAR(shells.SoftStoppingPower(T) + shells.HardStoppingPower(T), CollisionStoppingPower(T), 1e-4) << T;
  }
  // binding moves loss from the soft part into hard collisions: more than with 74 free electrons
  for (const double T : {30.0, 100.0, 300.0}) {
    EXPECT_LT(shells.SoftStoppingPower(T), electron_collisions::RestrictedStoppingPower(T)) << T;
  }
  // nothing is hard below the lowest channel's threshold, the resonance of N2 (1.03 keV)
  EXPECT_EQ(shells.HardCoefficient(1.01), 0.0);
}

TEST(ElectronShells, NoShellTakesLessThanItsResonanceAndTheStruckElectronKeepsTheRest) {
  const ShellCollisions shells(300.0);
  std::mt19937_64 rng(11);
  for (const double T : {8.0, 50.0, 160.0, 300.0}) {
    double lost = 0;
    constexpr int kSamples = 100000;
    for (int s = 0; s < kSamples; ++s) {
      const HardCollision event = shells.Sample(T, rng);
      ASSERT_GT(event.loss, kHardTransfer);
      ASSERT_LT(event.loss, T);
      // the struck electron gets the transfer less a binding energy, never less than the transfer
      // minus the K binding and never more than the transfer
      ASSERT_LE(event.secondary, event.loss);
      ASSERT_GT(event.secondary, 0.0);
      ASSERT_GE(event.primaryCosine, -1.0);
      ASSERT_LE(event.primaryCosine, 1.0);
      lost += event.loss;
    }
    // the mean transfer is the hard stopping power over the hard coefficient
    EXPECT_REL_NEAR(lost / kSamples, shells.HardStoppingPower(T) / shells.HardCoefficient(T), 0.03) << T;
  }
}

TEST(ElectronShells, RecoilsLieBetweenTheKinematicLimitsAndConserveMomentum) {
  std::mt19937_64 rng(5);
  for (const double T : {30.0, 300.0}) {
    const double W = 5.9;
    const double Qmin = SmallestRecoil(T, W);
    EXPECT_GT(Qmin, 0.0);
    EXPECT_LT(Qmin, W);
    // at the smallest recoil the electron goes on straight ahead, the momentum transfer along it
    EXPECT_NEAR(DeflectionCosine(T, W, Qmin), 1.0, 1e-9);
    EXPECT_NEAR(MomentumTransferCosine(T, W, Qmin), 1.0, 1e-6);
    for (int s = 0; s < 1000; ++s) {
      const double Q = SampleRecoil(T, W, rng);
      ASSERT_GE(Q, Qmin);
      ASSERT_LE(Q, W);
    }
    // p = p' + q along the incident direction
    const double mc2 = tungsten::kElectronRestEnergy;
    const double Q = 0.5 * W;
    const double p = std::sqrt(T * (T + 2 * mc2)), pAfter = std::sqrt((T - W) * (T - W + 2 * mc2));
    const double q = std::sqrt(Q * (Q + 2 * mc2));
    EXPECT_REL_NEAR(pAfter * DeflectionCosine(T, W, Q) + q * MomentumTransferCosine(T, W, Q), p, 1e-12) << T;
  }
}

TEST(ElectronShells, SoftLossesKeepTheirMeanAndVariance) {
  std::mt19937_64 rng(3);
  // narrow (uniform about the mean) and wide (mostly nothing, sometimes a large loss)
  for (const auto& [mean, variance] : {std::pair{2.0, 0.5}, std::pair{0.01, 0.004}}) {
    constexpr int kSamples = 400000;
    double sum = 0, squares = 0;
    for (int s = 0; s < kSamples; ++s) {
      const double loss = SampleSoftLoss(mean, variance, rng);
      ASSERT_GE(loss, 0.0);
      sum += loss;
      squares += loss * loss;
    }
    const double sampledMean = sum / kSamples;
    EXPECT_REL_NEAR(sampledMean, mean, 0.01) << mean;
    EXPECT_REL_NEAR(squares / kSamples - sampledMean * sampledMean, variance, 0.02) << mean;
  }
  EXPECT_EQ(SampleSoftLoss(0.0, 1.0, rng), 0.0);
}

TEST(ElectronShells, SoftStragglingComesFromTransfersBelowTheCut) {
  const ShellCollisions shells(300.0);
  for (const double T : {20.0, 100.0, 300.0}) {
    // every soft transfer lies below 1 keV: the second moment is below 1 keV times the first, which the
    // oscillators' own soft stopping power (not the remainder of ICRU 37) bounds; the variance is real
    EXPECT_GT(shells.SoftStragglingPower(T), 0.0) << T;
    EXPECT_LT(shells.SoftStragglingPower(T), kHardTransfer * shells.SoftStoppingPower(T) * 1.2) << T;
    // and the mean soft transfer weighted by energy is some hundred eV
    EXPECT_GT(shells.SoftStragglingPower(T) / shells.SoftStoppingPower(T), 0.05) << T;
  }
}

}  // namespace
