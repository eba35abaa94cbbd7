#pragma once
// Collision physics of the electron Monte Carlo beyond its plain screened-Rutherford, continuous-slowing-down
// transport: hard inelastic (Moller) collisions with energy straggling, and Mott's correction to
// elastic scattering on the tungsten nucleus. Used by electron_transport with --straggling and --mott.

#include <random>
#include <vector>

namespace kestrix::electron_collisions {

/// energy transfer above which an inelastic collision is followed one by one [keV]
constexpr double kHardTransfer = 1.0;

/// Moller cross section per target electron for the energy transfer W of an electron of kinetic energy
/// T [cm2/keV] (free electrons at rest, exchange included)
double MollerCrossSection(double T, double W);

/// collision stopping power of tungsten restricted to energy transfers below kHardTransfer [keV/cm];
/// equal to CollisionStoppingPower at T <= 2 kHardTransfer
double RestrictedStoppingPower(double T);

/// Moller collisions in tungsten with energy transfer between kHardTransfer and T / 2, per path [1/cm]
double HardCollisionCoefficient(double T);

/// share eps = W / T of the energy handed to the struck electron in a collision transferring more than
/// `lowest` [keV], between lowest / T and 1/2, sampled from the Moller cross section [1]; needs
/// T > 2 lowest
double SampleMollerShare(double T, double lowest, std::mt19937_64& rng);

/// the same for a hard collision, lowest = kHardTransfer [1]
inline double SampleMollerShare(double T, std::mt19937_64& rng) { return SampleMollerShare(T, kHardTransfer, rng); }

/// cosine of the angle between an electron's direction before and after a collision that leaves it
/// kinetic energy `after` of `before` [keV], or of the struck electron with `after` its energy [1]
double CosineAfterCollision(double before, double after);

/// Mott's ratio of the elastic cross section of the bare tungsten nucleus to Rutherford's for an
/// electron of kinetic energy T [keV] deflected by theta, x = 1 - cos theta in [0, 2] [1]
double MottRatio(double T, double x);

/// the largest MottRatio over all angles at T, with 2 % to spare, for sampling by rejection [1]
double LargestMottRatio(double T);

/// uniform in (0, 1], the same on every platform (53 bits of the standard generator)
inline double Uniform(std::mt19937_64& rng) { return (static_cast<double>(rng() >> 11) + 1.0) * 0x1.0p-53; }

}  // namespace kestrix::electron_collisions

namespace kestrix::electron_collisions {

/// Elastic scattering of an electron of kinetic energy T on the screened atom (tungsten unless another
/// atomic number Z is given: nothing below depends on the element but Z), from the Dirac
/// partial waves of the static field (the exact relativistic cross section of the field, spin
/// included; Mott's for the bare nucleus, screened). The field: the point nucleus screened by
/// Moliere's Thomas-Fermi function, V(r) = -Z alpha hbar c phi(r / b) / r,
///     phi(x) = 0.10 exp(-6.0 x) + 0.55 exp(-1.2 x) + 0.35 exp(-0.3 x),  b = 0.88534 a0 Z^(-1/3)
/// (G. Moliere, Z. Naturforsch. 2a (1947) 133). Phase shifts: the radial Dirac equations integrated
/// out to where the field has died away (fourth-order Runge-Kutta) and matched to the free Riccati-Bessel
/// functions, up to l = 4 k b + 40; above that the eikonal (high-l Born) phase
///     delta_l = (Z alpha / beta) sum_i A_i K0(beta_i (l + 1/2) / (k b)),
/// which the integrated ones meet there. Amplitudes (e.g. F. Salvat, A. Jablonski, C. J. Powell,
/// Comput. Phys. Commun. 165 (2005) 157, eq. 13):
///     f = (1 / 2ik) sum_l [(l + 1)(exp(2i delta_l+) - 1) + l (exp(2i delta_l-) - 1)] P_l(cos theta),
///     g = (1 / 2ik) sum_l [exp(2i delta_l-) - exp(2i delta_l+)] P_l^1(cos theta),
/// dsigma/dOmega = |f|^2 + |g|^2, delta_l+ of kappa = -l - 1 and delta_l- of kappa = l.
struct PartialWaveElastic {
  std::vector<double> oneMinusCos;  // the angle grid t = 1 - cos theta, rising from 1e-10 to 2 [1]
  std::vector<double> dcs;          // dsigma/dOmega at the grid [cm2/sr]
  double total = 0;                 // integral of dsigma/dOmega over the sphere [cm2]
  double transport = 0;             // the same weighted by 1 - cos theta [cm2]
};

/// the phase shift of the radial Dirac wave of quantum number kappa (!= 0) at T [keV] on the atom of
/// atomic number Z, integrated (not the eikonal) [rad], defined modulo pi
double DiracPhaseShift(double T, int kappa, int Z = 74);

/// the highest l whose phase shifts are integrated at T [keV]; above it the eikonal is used
int HighestIntegratedL(double T, int Z = 74);

/// the eikonal phase shift of orbital momentum l at T [keV] [rad]
double EikonalPhaseShift(double T, int l, int Z = 74);

/// the cross section at T [keV] on the angle grid, atom of atomic number Z
PartialWaveElastic PartialWaveCrossSection(double T, int Z = 74);

}  // namespace kestrix::electron_collisions

namespace kestrix::electron_collisions {

/// The partial-wave cross sections on a grid of energies, 1 keV to at least the highest energy asked
/// for, in steps of a factor 1.25, prepared for sampling: the free path between elastic collisions
/// (log-log between the grid energies) and the deflection, drawn from the grid energy below or above
/// T with the probability of T's place between them in ln T (so that the mean over draws is linear in
/// ln T).
class PartialWaveTable {
 public:
  /// the tables of the atom of atomic number Z
  explicit PartialWaveTable(double highestEnergy, int Z = 74);
  /// the lowest and the highest grid energy [keV]
  double LowestEnergy() const { return energies_.front(); }
  double HighestEnergy() const { return energies_.back(); }
  /// total elastic cross section at T [cm2]
  double TotalCrossSection(double T) const;
  /// transport (1 - cos theta weighted) cross section at T [cm2]
  double TransportCrossSection(double T) const;
  /// 1 - cos theta of one elastic deflection at T [1]
  double SampleOneMinusCos(double T, std::mt19937_64& rng) const;

 private:
  /// grid index below T and the weight of the one above
  void Place(double T, std::size_t& g, double& weight) const;
  std::vector<double> energies_;
  std::vector<double> total_, transport_;
  std::vector<std::vector<double>> t_, cumulative_;  // per grid energy: angle grid and its running integral
};

}  // namespace kestrix::electron_collisions

namespace kestrix::electron_collisions {

/// photons above this energy are emitted one by one with --radiative-events; the ones below stay in
/// the continuous energy loss [keV]
constexpr double kHardPhoton = 1.0;

/// radiative stopping power of tungsten from photons below kHardPhoton (Seltzer-Berger) [keV/cm]
double SoftRadiativeStoppingPower(double T);

/// bremsstrahlung emissions of photons between kHardPhoton and T per path [1/cm] (0 at T <= kHardPhoton)
double HardPhotonCoefficient(double T);

/// energy of one photon between kHardPhoton and T, from the Seltzer-Berger dsigma/dk [keV]; needs
/// T > kHardPhoton
double SamplePhotonEnergy(double T, std::mt19937_64& rng);

}  // namespace kestrix::electron_collisions
