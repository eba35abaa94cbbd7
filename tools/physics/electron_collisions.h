#pragma once
// Collision physics of the electron Monte Carlo beyond its plain screened-Rutherford, continuous-slowing-down
// transport: hard inelastic (Moller) collisions with energy straggling, and Mott's correction to
// elastic scattering on the tungsten nucleus. Used by electron_transport with --straggling and --mott.

#include <random>

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

/// share eps = W / T of the energy handed to the struck electron in a hard collision, between
/// kHardTransfer / T and 1/2, sampled from the Moller cross section [1]; needs T > 2 kHardTransfer
double SampleMollerShare(double T, std::mt19937_64& rng);

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
