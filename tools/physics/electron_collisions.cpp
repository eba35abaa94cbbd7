#include "electron_collisions.h"

#include <algorithm>
#include <cmath>

#include "bremsstrahlung_cross_section.h"
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
double SampleMollerShare(double T, double lowest, std::mt19937_64& rng) {
  const double tau = T / kElectronRestEnergy;
  const double g1 = (tau / (tau + 1.0)) * (tau / (tau + 1.0)), g2 = (2.0 * tau + 1.0) / ((tau + 1.0) * (tau + 1.0));
  const double inverseCut = T / lowest;
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

namespace kestrix::electron_collisions {

namespace {

constexpr double kHbarC = 1.973269804e-8;            // [keV cm]
constexpr double kBohrRadius = 5.29177210903e-9;      // [cm]
constexpr double kFineStructure = 7.2973525693e-3;    // [1]
constexpr double kMoliereA[3] = {0.10, 0.55, 0.35};   // Moliere's Thomas-Fermi weights [1]
constexpr double kMoliereB[3] = {6.0, 1.2, 0.3};      // and inverse lengths [1 / b]

/// Thomas-Fermi length b of the atom of atomic number Z [cm]
double ScreeningLength(int Z) { return 0.88534 * kBohrRadius / std::cbrt(static_cast<double>(Z)); }

double Screening(double x) {
  return kMoliereA[0] * std::exp(-kMoliereB[0] * x) + kMoliereA[1] * std::exp(-kMoliereB[1] * x) +
         kMoliereA[2] * std::exp(-kMoliereB[2] * x);
}

/// k b for T [keV] on the atom of atomic number Z [1]
double WaveNumberTimesLength(double T, int Z) {
  return std::sqrt(T * (T + 2.0 * kElectronRestEnergy)) / kHbarC * ScreeningLength(Z);
}

/// fourth-order Runge-Kutta steps per wavelength (and 0.5 % of r near the nucleus): the phase shifts
/// then change by less than 1e-4 rad when the steps are halved
constexpr double kStepsPerWavelength = 160.0;

}  // namespace

int HighestIntegratedL(double T, int Z) { return static_cast<int>(4.0 * WaveNumberTimesLength(T, Z)) + 40; }

double DiracPhaseShift(double T, int kappa, int Z) {
  // in x = r / b: P' = -kappa/x P + (K1 + Za phi/x) Q,  Q' = -(K2 + Za phi/x) P + kappa/x Q,
  // K1 = b (T + 2 m c^2) / hbar c, K2 = b T / hbar c, (k b)^2 = K1 K2
  const double b = ScreeningLength(Z);
  const double K1 = b * (T + 2.0 * kElectronRestEnergy) / kHbarC, K2 = b * T / kHbarC;
  const double kb = std::sqrt(K1 * K2);
  const double Za = kFineStructure * Z;
  const int l = kappa > 0 ? kappa : -kappa - 1;
  const auto derivative = [&](double x, double P, double Q, double& dP, double& dQ) {
    const double field = Za * Screening(x) / x;
    dP = -kappa / x * P + (K1 + field) * Q;
    dQ = -(K2 + field) * P + kappa / x * Q;
  };
  // the regular solution at the nucleus: P = x^s, Q = x^s (s + kappa) / (Z alpha)
  const double s = std::sqrt(static_cast<double>(kappa) * kappa - Za * Za);
  double x = 1e-6;
  double P = 1.0, Q = (s + kappa) / Za;
  // out to where Z alpha phi / x is below 1e-9 K2 (x about 30-60), steps of 2 % of x near the
  // nucleus and at most 1/40 of the wavelength
  double xEnd = 10.0;
  while (Za * Screening(xEnd) / xEnd > 1e-9 * K2) xEnd += 1.0;
  xEnd = std::max(xEnd, (l + 10.0) / kb);
  const double wavelengthStep = 2.0 * kPi / kb / kStepsPerWavelength;
  const double xMatch1 = xEnd, xMatch2 = xEnd + 0.25 * kPi / kb;  // an eighth of the wavelength apart
  double P1 = 0;
  bool first = true;
  for (;;) {
    const double target = first ? xMatch1 : xMatch2;
    double h = std::min(0.005 * x, wavelengthStep);
    if (x + h >= target) h = target - x;
    double k1P, k1Q, k2P, k2Q, k3P, k3Q, k4P, k4Q;
    derivative(x, P, Q, k1P, k1Q);
    derivative(x + 0.5 * h, P + 0.5 * h * k1P, Q + 0.5 * h * k1Q, k2P, k2Q);
    derivative(x + 0.5 * h, P + 0.5 * h * k2P, Q + 0.5 * h * k2Q, k3P, k3Q);
    derivative(x + h, P + h * k3P, Q + h * k3Q, k4P, k4Q);
    P += h / 6.0 * (k1P + 2.0 * k2P + 2.0 * k3P + k4P);
    Q += h / 6.0 * (k1Q + 2.0 * k2Q + 2.0 * k3Q + k4Q);
    x += h;
    const double size = std::fabs(P) + std::fabs(Q);
    if (size > 1e100) {  // the wave grows as x^s under the centrifugal barrier: keep it in range
      P /= size;
      Q /= size;
      P1 /= size;
    }
    if (x >= target) {
      if (!first) break;
      P1 = P;
      first = false;
    }
  }
  // P = A [cos delta jhat_l(k r) - sin delta yhat_l(k r)] at both points
  const double z1 = kb * xMatch1, z2 = kb * xMatch2;
  const unsigned order = static_cast<unsigned>(l);
  const double j1 = z1 * std::sph_bessel(order, z1), y1 = z1 * std::sph_neumann(order, z1);
  const double j2 = z2 * std::sph_bessel(order, z2), y2 = z2 * std::sph_neumann(order, z2);
  return std::atan2(P1 * j2 - P * j1, P1 * y2 - P * y1);
}

double EikonalPhaseShift(double T, int l, int Z) {
  const double kb = WaveNumberTimesLength(T, Z);
  const double beta = std::sqrt(BetaSquared(T));
  double sum = 0;
  for (int i = 0; i < 3; ++i) sum += kMoliereA[i] * std::cyl_bessel_k(0.0, kMoliereB[i] * (l + 0.5) / kb);
  return kFineStructure * Z / beta * sum;
}

PartialWaveElastic PartialWaveCrossSection(double T, int Z) {
  const double b = ScreeningLength(Z);
  const double k = WaveNumberTimesLength(T, Z) / b;  // [1/cm]
  const int integrated = HighestIntegratedL(T, Z);
  std::vector<double> plus, minus;  // delta_l+ (kappa = -l - 1), delta_l- (kappa = l; none for l = 0)
  for (int l = 0;; ++l) {
    double dp, dm;
    if (l <= integrated) {
      dp = DiracPhaseShift(T, -l - 1, Z);
      dm = l == 0 ? 0.0 : DiracPhaseShift(T, l, Z);
    } else {
      dp = dm = EikonalPhaseShift(T, l, Z);
      if (std::fabs(dp) < 1e-9) break;
    }
    plus.push_back(dp);
    minus.push_back(dm);
  }
  PartialWaveElastic result;
  constexpr int kAngles = 601;
  for (int a = 0; a < kAngles; ++a) {
    const double t = a == kAngles - 1 ? 2.0 : 1e-10 * std::pow(2.0e10, static_cast<double>(a) / (kAngles - 1));
    const double mu = 1.0 - t;
    const double sine = std::sqrt(std::max(0.0, t * (2.0 - t)));
    // sums of (l + 1)(e^{2i d+} - 1) + l (e^{2i d-} - 1) times P_l and (e^{2i d-} - e^{2i d+}) times P_l^1
    double fr = 0, fi = 0, gr = 0, gi = 0;
    double p0 = 1.0, p1 = mu;          // P_{l-1}, P_l during the recurrence
    double q0 = 0.0, q1 = -sine;       // P_{l-1}^1, P_l^1
    for (std::size_t l = 0; l < plus.size(); ++l) {
      double Pl, P1l;
      if (l == 0) {
        Pl = 1.0, P1l = 0.0;
      } else if (l == 1) {
        Pl = mu, P1l = -sine;
      } else {
        Pl = ((2.0 * l - 1.0) * mu * p1 - (l - 1.0) * p0) / l;
        P1l = ((2.0 * l - 1.0) * mu * q1 - static_cast<double>(l) * q0) / (l - 1.0);
        p0 = p1, p1 = Pl, q0 = q1, q1 = P1l;
      }
      const double cp = std::cos(2.0 * plus[l]) - 1.0, sp = std::sin(2.0 * plus[l]);
      const double cm = std::cos(2.0 * minus[l]) - 1.0, sm = std::sin(2.0 * minus[l]);
      fr += ((l + 1.0) * cp + l * cm) * Pl;
      fi += ((l + 1.0) * sp + l * sm) * Pl;
      gr += (cm - cp) * P1l;
      gi += (sm - sp) * P1l;
    }
    // the factor 1 / 2ik: |f|^2 = (fr^2 + fi^2) / (2k)^2
    result.oneMinusCos.push_back(t);
    result.dcs.push_back((fr * fr + fi * fi + gr * gr + gi * gi) / (4.0 * k * k));
  }
  // integrals over dOmega = 2 pi dt, trapezoidal in ln t (the cross section is flat below 1e-10)
  result.total = 2.0 * kPi * result.dcs[0] * result.oneMinusCos[0];
  result.transport = 0;
  for (std::size_t a = 1; a < result.dcs.size(); ++a) {
    const double t0 = result.oneMinusCos[a - 1], t1 = result.oneMinusCos[a];
    const double step = std::log(t1 / t0);
    result.total += 2.0 * kPi * 0.5 * step * (result.dcs[a - 1] * t0 + result.dcs[a] * t1);
    result.transport += 2.0 * kPi * 0.5 * step * (result.dcs[a - 1] * t0 * t0 + result.dcs[a] * t1 * t1);
  }
  return result;
}

}  // namespace kestrix::electron_collisions

namespace kestrix::electron_collisions {

PartialWaveTable::PartialWaveTable(double highestEnergy, int Z) {
  for (double T = 1.0;; T *= 1.25) {
    energies_.push_back(T);
    if (T >= highestEnergy) break;
  }
  for (const double T : energies_) {
    const PartialWaveElastic x = PartialWaveCrossSection(T, Z);
    total_.push_back(x.total);
    transport_.push_back(x.transport);
    std::vector<double> running{2.0 * kPi * x.dcs[0] * x.oneMinusCos[0]};
    for (std::size_t a = 1; a < x.dcs.size(); ++a) {
      const double t0 = x.oneMinusCos[a - 1], t1 = x.oneMinusCos[a];
      running.push_back(running.back() + kPi * std::log(t1 / t0) * (x.dcs[a - 1] * t0 + x.dcs[a] * t1));
    }
    t_.push_back(x.oneMinusCos);
    cumulative_.push_back(running);
  }
}

void PartialWaveTable::Place(double T, std::size_t& g, double& weight) const {
  const std::size_t last = energies_.size() - 1;
  if (!(T > energies_.front())) {
    g = 0, weight = 0;
    return;
  }
  if (!(T < energies_.back())) {
    g = last - 1, weight = 1;
    return;
  }
  g = static_cast<std::size_t>(std::log(T / energies_.front()) / std::log(1.25));
  if (g > last - 1) g = last - 1;
  while (g > 0 && energies_[g] > T) --g;
  while (g < last - 1 && energies_[g + 1] <= T) ++g;
  weight = std::log(T / energies_[g]) / std::log(energies_[g + 1] / energies_[g]);
}

double PartialWaveTable::TotalCrossSection(double T) const {
  std::size_t g;
  double w;
  Place(T, g, w);
  return std::exp((1.0 - w) * std::log(total_[g]) + w * std::log(total_[g + 1]));
}

double PartialWaveTable::TransportCrossSection(double T) const {
  std::size_t g;
  double w;
  Place(T, g, w);
  return std::exp((1.0 - w) * std::log(transport_[g]) + w * std::log(transport_[g + 1]));
}

double PartialWaveTable::SampleOneMinusCos(double T, std::mt19937_64& rng) const {
  std::size_t g;
  double w;
  Place(T, g, w);
  if (Uniform(rng) <= w) ++g;
  const std::vector<double>& c = cumulative_[g];
  const std::vector<double>& t = t_[g];
  const double target = Uniform(rng) * c.back();
  if (target <= c[0]) return t[0] * target / c[0];  // the flat part below the grid
  const std::size_t a = static_cast<std::size_t>(std::lower_bound(c.begin(), c.end(), target) - c.begin());
  // between t[a - 1] and t[a] the running integral is taken linear in ln t
  const double f = (target - c[a - 1]) / (c[a] - c[a - 1]);
  return std::min(2.0, t[a - 1] * std::pow(t[a] / t[a - 1], f));
}

}  // namespace kestrix::electron_collisions

namespace kestrix::electron_collisions {

double SoftRadiativeStoppingPower(double T) {
  // n * integral of k dsigma/dk from 0 to min(kHardPhoton, T), midpoint rule (k dsigma/dk is finite at 0)
  const BremsstrahlungCrossSection& brems = TungstenBremsstrahlung();
  const double top = std::min(kHardPhoton, T);
  constexpr int kPoints = 50;
  double sum = 0;
  for (int p = 0; p < kPoints; ++p) {
    const double k = (p + 0.5) * top / kPoints;
    sum += k * brems.DifferentialCrossSection(T, k);
  }
  return kAtomsPerVolume * sum * top / kPoints;
}

double HardPhotonCoefficient(double T) {
  if (!(T > kHardPhoton)) return 0.0;
  // n * integral of dsigma/dk dk = n * integral of k dsigma/dk d(ln k), midpoint rule in ln k
  const BremsstrahlungCrossSection& brems = TungstenBremsstrahlung();
  constexpr int kPoints = 200;
  const double width = std::log(T / kHardPhoton) / kPoints;
  double sum = 0;
  for (int p = 0; p < kPoints; ++p) {
    const double k = kHardPhoton * std::exp((p + 0.5) * width);
    sum += k * brems.DifferentialCrossSection(T, k);
  }
  return kAtomsPerVolume * sum * width;
}

/// ln k uniform between ln kHardPhoton and ln T, kept with the probability k dsigma/dk over its
/// largest value (found on 64 points, with 10 % to spare)
double SamplePhotonEnergy(double T, std::mt19937_64& rng) {
  const BremsstrahlungCrossSection& brems = TungstenBremsstrahlung();
  const double span = std::log(T / kHardPhoton);
  double largest = 0;
  for (int p = 0; p <= 64; ++p) {
    const double k = std::min(kHardPhoton * std::exp(span * p / 64.0), T * (1.0 - 1e-9));
    largest = std::max(largest, k * brems.DifferentialCrossSection(T, k));
  }
  largest *= 1.1;
  for (;;) {
    const double k = kHardPhoton * std::exp(span * Uniform(rng));
    if (k >= T) continue;
    if (Uniform(rng) * largest <= k * brems.DifferentialCrossSection(T, k)) return k;
  }
}

}  // namespace kestrix::electron_collisions
