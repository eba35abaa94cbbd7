#pragma once
// Inelastic collisions of electrons with the bound electrons of tungsten, shell by shell: the
// Sternheimer-Liljequist generalised oscillator strength model in the form of the PENELOPE manual
// (F. Salvat, J. M. Fernandez-Varea, J. Sempau, "PENELOPE-2008: A code system for Monte Carlo
// simulation of electron and photon transport", OECD/NEA 2009, section 3.2; R. M. Sternheimer,
// Phys. Rev. 88 (1952) 851; D. Liljequist, J. Phys. D 16 (1983) 1567). Used by electron_transport
// with --shell-binding.
//
// Each subshell k of the atom, f_k electrons bound by U_k, is one oscillator of resonance energy
//     W_k = sqrt((a U_k)^2 + (2/3) (f_k / Z) Omega_p^2),
// Omega_p the plasma energy of all Z electrons and a Sternheimer's factor, fixed by the mean
// excitation energy: Z ln I = sum_k f_k ln W_k (I = 727 eV, ICRU 37). An electron of kinetic energy T
// hands a shell electron either
//  - in a distant collision exactly W_k (longitudinal, with a recoil Q between the kinematic minimum
//    Q_- and W_k, or transverse, without deflection):
//        sigma_l = (2 pi r_e^2 m c^2 / beta^2) (f_k / W_k) ln[(W_k / Q_-) (Q_- + 2 m c^2) / (W_k + 2 m c^2)],
//        sigma_t = (2 pi r_e^2 m c^2 / beta^2) (f_k / W_k) [ln(1 / (1 - beta^2)) - beta^2]
//    (no density effect, as in the stopping power of electron_stopping_power.h), or
//  - in a close collision a transfer W above W_k, from Moller's cross section of a free electron.
// A shell thus never takes less than W_k > U_k. The struck electron leaves with W - U_k; the binding
// energy stays where the collision was.
//
// Transfers above kHardTransfer are followed one by one; what the shells take below it is the soft,
// continuous loss, which is the ICRU 37 collision stopping power minus the hard part, so that the
// total stopping power is unchanged.

#include <array>
#include <cstddef>
#include <random>
#include <vector>

namespace kestrix::electron_shells {

/// one subshell of the tungsten atom
struct Shell {
  const char* name;
  double binding;  /// binding energy U_k [keV]
  int electrons;   /// occupancy f_k [1]
};

/// the subshells of tungsten K to O3 and the conduction band, 74 electrons; binding energies of J. A. Bearden and A. F. Burr,
/// Rev. Mod. Phys. 39 (1967) 125 (as the X-ray Data Booklet, LBNL, table 1-1, lists them), the 5d and
/// 6s levels from the same compilation's valence values
constexpr std::size_t kShellCount = 20;
const std::array<Shell, kShellCount>& TungstenShells();

/// plasma energy of all 74 electrons of tungsten at its density, 28.816 eV sqrt(rho Z / A) [keV]
double PlasmaEnergy();

/// Sternheimer's factor a that makes sum_k f_k ln W_k = Z ln I [1]
double SternheimerFactor();

/// resonance energy W_k of shell k [keV]
double ResonanceEnergy(std::size_t k);

/// Moller collisions per electron with transfers between `low` and T / 2 [cm2] (0 when low >= T / 2)
double CloseCrossSection(double T, double low);

/// the same weighted by the transfer W [keV cm2]
double CloseStoppingCrossSection(double T, double low);

/// distant longitudinal and transverse collisions with one electron of an oscillator of resonance
/// energy W at T [keV] [cm2] (0 when W >= T)
double DistantLongitudinalCrossSection(double T, double W);
double DistantTransverseCrossSection(double T, double W);

/// the smallest recoil energy Q_- of a transfer W at T [keV]
double SmallestRecoil(double T, double W);

/// recoil energy Q of a distant longitudinal collision, from dsigma/dQ ~ 1 / (Q (1 + Q / 2 m c^2))
/// between Q_- and W [keV]
double SampleRecoil(double T, double W, std::mt19937_64& rng);

/// cosine of the electron's deflection by a transfer W with recoil Q at T [1]
double DeflectionCosine(double T, double W, double Q);

/// cosine between the momentum transfer and the electron's direction before the collision [1]
double MomentumTransferCosine(double T, double W, double Q);

/// one hard collision: what the electron loses and where it and the struck electron go
struct HardCollision {
  double loss;             /// energy the electron loses [keV]
  double secondary;        /// kinetic energy of the struck electron [keV]
  double primaryCosine;    /// cosine of the electron's deflection [1]
  double secondaryCosine;  /// cosine of the struck electron's direction to the electron's before [1]
};

/// energy lost in soft collisions over a path with mean `mean` and variance `variance` [keV, keV2]:
/// the soft collisions are many and small, so only these two moments are kept, in the manner of the
/// PENELOPE manual (section 4.2): uniform on mean -+ sqrt(3 variance) while that stays positive, else
/// no loss with probability a or a loss uniform on [0, b], b = 3 (mean^2 + variance) / (2 mean),
/// 1 - a = 2 mean / b [keV]
double SampleSoftLoss(double mean, double variance, std::mt19937_64& rng);

/// The shells' hard collisions (transfer above kHardTransfer) and the soft remainder of the stopping
/// power, tabulated from 1 keV to the highest energy asked for on a grid even in ln T.
class ShellCollisions {
 public:
  explicit ShellCollisions(double highestEnergy);
  /// collision stopping power from the transfers below kHardTransfer [keV/cm]
  double SoftStoppingPower(double T) const;
  /// hard collisions per path [1/cm]; 0 until a channel is open at the grid energy below T
  double HardCoefficient(double T) const;
  /// stopping power of the hard collisions [keV/cm]
  double HardStoppingPower(double T) const;
  /// the oscillators' soft collisions (transfer below kHardTransfer): their second moment of the
  /// transfer per path, n sum_k integral W^2 dsigma_k [keV2/cm], the variance of the soft loss per path
  double SoftStragglingPower(double T) const;
  /// one hard collision at T (needs HardCoefficient(T) > 0): the shell and the kind drawn at the
  /// grid energy below T in proportion to their coefficients, then the transfer
  HardCollision Sample(double T, std::mt19937_64& rng) const;

 private:
  /// per shell: close, distant longitudinal, distant transverse
  static constexpr std::size_t kKinds = 3;
  std::size_t Below(double T) const;
  double Interpolate(const std::vector<double>& table, double T) const;
  double logLow_, logStep_;
  std::vector<double> soft_, hard_, hardStopping_, softStraggling_;
  std::vector<std::vector<double>> running_;  // per grid energy: running sum of the coefficients of the channels
};

}  // namespace kestrix::electron_shells
