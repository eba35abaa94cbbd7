#include "electron_collisions.h"

#include <algorithm>
#include <cmath>

#include "electron_stopping_power.h"
#include "tungsten_target.h"

namespace kestrix::electron_collisions {

using namespace tungsten;

/// d sigma / dW = (2 pi r_e^2 m c^2 / beta^2) [1/W^2 + 1/(T - W)^2 + 1/E^2 - (2T + m c^2) m c^2 / (E^2 W (T - W))],
/// E = T + m c^2 (C. Moller, Ann. Phys. 406 (1932) 531; as in ICRU Report 37 (1984), eq. 2.4)
double MollerCrossSection(double T, double W) {
  const double mc2 = kElectronRestEnergy;
  const double E = T + mc2;
  const double prefactor = 2.0 * kPi * kElectronRadius * kElectronRadius * mc2 / BetaSquared(T);
  return prefactor * (1.0 / (W * W) + 1.0 / ((T - W) * (T - W)) + 1.0 / (E * E) -
                      (2.0 * T + mc2) * mc2 / (E * E * W * (T - W)));
}

/// The Bethe formula of ICRU Report 37 with the Moller collisions above the cut taken out: with
/// tau = T / m c^2 and delta = kHardTransfer / m c^2 (the restricted form, e.g. ICRU 37 eq. 2.8),
///     L = 2 pi r_e^2 m c^2 n Z / beta^2 [ln(2 (tau + 2) / (I / m c^2)^2) + F(tau, delta)],
///     F = -1 - beta^2 + ln((tau - delta) delta) + tau / (tau - delta)
///         + (delta^2 / 2 + (2 tau + 1) ln(1 - delta / tau)) / (tau + 1)^2,
/// which at delta = tau / 2 is CollisionStoppingPower.
double RestrictedStoppingPower(double T) {
  if (T <= 2.0 * kHardTransfer) return CollisionStoppingPower(T);
  const double mc2 = kElectronRestEnergy;
  const double tau = T / mc2, delta = kHardTransfer / mc2;
  const double beta2 = BetaSquared(T);
  const double iOverMc2 = kMeanExcitationEnergy / mc2;
  const double F = -1.0 - beta2 + std::log((tau - delta) * delta) + tau / (tau - delta) +
                   (0.5 * delta * delta + (2.0 * tau + 1.0) * std::log(1.0 - delta / tau)) / ((tau + 1.0) * (tau + 1.0));
  const double prefactor = 2.0 * kPi * kElectronRadius * kElectronRadius * mc2 * kAtomsPerVolume * kAtomicNumber / beta2;
  return prefactor * (std::log(2.0 * (tau + 2.0) / (iOverMc2 * iOverMc2)) + F);
}

double HardCollisionCoefficient(double T) {
  if (T <= 2.0 * kHardTransfer) return 0.0;
  // the integrand falls as 1 / W^2: Simpson's rule in x = 1 / W, dW = W^2 dx
  constexpr int kPoints = 400;
  const double a = 1.0 / kHardTransfer, b = 2.0 / T, h = (a - b) / kPoints;
  double sum = 0;
  for (int p = 0; p <= kPoints; ++p) {
    const double W = 1.0 / (b + p * h);
    const double weight = (p == 0 || p == kPoints) ? 1.0 : (p % 2 ? 4.0 : 2.0);
    sum += weight * MollerCrossSection(T, W) * W * W;
  }
  return kAtomsPerVolume * kAtomicNumber * sum * h / 3.0;
}

/// 1 / eps^2 by inversion, the rest of the cross section by rejection: eps^2 times its bracket,
/// 1 + (eps / (1 - eps))^2 + (tau / (tau + 1))^2 eps^2 - ((2 tau + 1) / (tau + 1)^2) eps / (1 - eps),
/// stays below 9/4 for eps <= 1/2
double SampleMollerShare(double T, std::mt19937_64& rng) {
  const double tau = T / kElectronRestEnergy;
  const double g1 = (tau / (tau + 1.0)) * (tau / (tau + 1.0)), g2 = (2.0 * tau + 1.0) / ((tau + 1.0) * (tau + 1.0));
  const double inverseCut = T / kHardTransfer;
  for (;;) {
    const double eps = 1.0 / (inverseCut - Uniform(rng) * (inverseCut - 2.0));
    const double r = eps / (1.0 - eps);
    if (Uniform(rng) * 2.25 <= 1.0 + r * r + g1 * eps * eps - g2 * r) return eps;
  }
}

/// two-body kinematics of a collision with an electron at rest
double CosineAfterCollision(double before, double after) {
  const double mc2 = kElectronRestEnergy;
  return std::sqrt(std::min(1.0, after * (before + 2.0 * mc2) / (before * (after + 2.0 * mc2))));
}

/// The fit of M. J. Boschini et al., Radiat. Phys. Chem. 90 (2013) 39 (1 keV to 900 MeV, within 1 %):
///     R = sum_j a_j x^(j/2),  a_j = sum_k b_kj (beta - 0.7181287)^k,  j = 0..4, k = 0..5,
/// with their coefficients b_kj for electrons on Z = 74 (as the MIT-licensed Radiant.jl ships them,
/// data/mott_data_boschini_2013.jld2).
double MottRatio(double T, double x) {
  static constexpr double kB[6][5] = {
      {1.00025e+00, -2.31499e-01, 2.84004e+00, -2.24701e+00, 2.87708e-01},
      {-1.12974e-03, 1.42403e+00, 2.04799e+00, -2.76343e+00, -4.13579e-01},
      {3.25083e-04, 6.68301e+00, -3.40292e+01, 4.32160e+01, -1.67235e+01},
      {1.46196e-02, -8.72894e+00, 1.28426e+01, 4.91177e+00, -6.90724e+00},
      {-1.49818e-02, -3.12005e+01, 2.14035e+02, -3.21880e+02, 1.33305e+02},
      {-6.15916e-02, 8.13039e-02, 1.24907e+02, -2.66423e+02, 1.29426e+02}};
  const double d = std::sqrt(BetaSquared(T)) - 0.7181287;
  const double root = std::sqrt(std::max(0.0, x));
  double ratio = 0, power = 1;
  for (int j = 0; j < 5; ++j) {
    double a = 0, dk = 1;
    for (int k = 0; k < 6; ++k) {
      a += kB[k][j] * dk;
      dk *= d;
    }
    ratio += a * power;
    power *= root;
  }
  return ratio;
}

double LargestMottRatio(double T) {
  double largest = 0;
  for (int p = 0; p <= 400; ++p) largest = std::max(largest, MottRatio(T, 2.0 * p / 400));
  return 1.02 * largest;
}

}  // namespace kestrix::electron_collisions
