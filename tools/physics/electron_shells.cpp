#include "electron_shells.h"

#include <algorithm>
#include <cmath>

#include "electron_collisions.h"
#include "electron_stopping_power.h"
#include "tungsten_target.h"

namespace kestrix::electron_shells {

using namespace tungsten;
using electron_collisions::kHardTransfer;
using electron_collisions::MollerCrossSection;
using electron_collisions::Uniform;

const std::array<Shell, kShellCount>& TungstenShells() {
  // 5d4 6s2 are the conduction band (U = 0): its resonance is the plasma energy of its electrons
  static const std::array<Shell, kShellCount> shells{{{"K", 69.525, 2},    {"L1", 12.100, 2},  {"L2", 11.544, 2},
                                                      {"L3", 10.207, 4},   {"M1", 2.820, 2},   {"M2", 2.575, 2},
                                                      {"M3", 2.281, 4},    {"M4", 1.872, 4},   {"M5", 1.809, 6},
                                                      {"N1", 0.5948, 2},   {"N2", 0.4904, 2},  {"N3", 0.4236, 4},
                                                      {"N4", 0.2435, 4},   {"N5", 0.2311, 6},  {"N6", 0.0336, 6},
                                                      {"N7", 0.0314, 8},   {"O1", 0.0756, 2},  {"O2", 0.0453, 2},
                                                      {"O3", 0.0368, 4},   {"5d 6s", 0.0, 6}}};
  return shells;
}

double PlasmaEnergy() { return 28.816e-3 * std::sqrt(kDensity * kAtomicNumber / kMolarMass); }

namespace {

/// W_k for Sternheimer's factor a; the conduction band's sqrt(f / Z) Omega_p
double Resonance(const Shell& shell, double a) {
  const double share = static_cast<double>(shell.electrons) / kAtomicNumber;
  const double plasma = PlasmaEnergy();
  if (shell.binding == 0.0) return std::sqrt(share) * plasma;
  return std::sqrt(a * shell.binding * a * shell.binding + 2.0 / 3.0 * share * plasma * plasma);
}

/// sum_k f_k ln W_k - Z ln I, rising with a
double ExcitationMismatch(double a) {
  double sum = 0;
  for (const Shell& shell : TungstenShells()) sum += shell.electrons * std::log(Resonance(shell, a));
  return sum - kAtomicNumber * std::log(kMeanExcitationEnergy);
}

/// 2 pi r_e^2 m c^2 / beta^2 [keV cm2]
double Prefactor(double T) { return 2.0 * kPi * kElectronRadius * kElectronRadius * kElectronRestEnergy / BetaSquared(T); }

/// momentum times c of an electron of kinetic energy T [keV]
double MomentumC(double T) { return std::sqrt(T * (T + 2.0 * kElectronRestEnergy)); }

/// integral from `low` to min(high, T / 2) of W^n times Moller's cross section (n = 0, 1, 2), by
/// Simpson's rule in 1 / W for the number and in ln W for the others, where the integrands vary least
double MollerMoment(double T, double low, int n, double high = 1e300) {
  high = std::min(high, 0.5 * T);
  if (!(low < high)) return 0.0;
  constexpr int kPoints = 400;
  const double a = n == 0 ? 1.0 / low : std::log(low), b = n == 0 ? 1.0 / high : std::log(high);
  const double h = (b - a) / kPoints;
  double sum = 0;
  for (int p = 0; p <= kPoints; ++p) {
    const double x = a + p * h;
    const double W = n == 0 ? 1.0 / x : std::exp(x);
    const double weight = (p == 0 || p == kPoints) ? 1.0 : (p % 2 ? 4.0 : 2.0);
    sum += weight * MollerCrossSection(T, W) * W * W * (n == 2 ? W : 1.0);  // dW = -W^2 d(1/W) = W d(ln W)
  }
  return std::fabs(sum * h) / 3.0;
}

}  // namespace

double SternheimerFactor() {
  static const double factor = [] {
    double low = 0.1, high = 10.0;
    for (int i = 0; i < 100; ++i) {
      const double middle = 0.5 * (low + high);
      (ExcitationMismatch(middle) > 0 ? high : low) = middle;
    }
    return 0.5 * (low + high);
  }();
  return factor;
}

double ResonanceEnergy(std::size_t k) { return Resonance(TungstenShells()[k], SternheimerFactor()); }

double CloseCrossSection(double T, double low) { return MollerMoment(T, low, 0); }

double CloseStoppingCrossSection(double T, double low) { return MollerMoment(T, low, 1); }

double SmallestRecoil(double T, double W) {
  const double mc2 = kElectronRestEnergy;
  const double difference = MomentumC(T) - MomentumC(T - W);
  return std::sqrt(difference * difference + mc2 * mc2) - mc2;
}

double DistantLongitudinalCrossSection(double T, double W) {
  if (!(W < T)) return 0.0;
  const double mc2 = kElectronRestEnergy;
  const double Q = SmallestRecoil(T, W);
  return Prefactor(T) / W * std::max(0.0, std::log(W / Q * (Q + 2.0 * mc2) / (W + 2.0 * mc2)));
}

double DistantTransverseCrossSection(double T, double W) {
  if (!(W < T)) return 0.0;
  const double beta2 = BetaSquared(T);
  return Prefactor(T) / W * std::max(0.0, -std::log(1.0 - beta2) - beta2);
}

/// ln(Q / (Q + 2 m c^2)) is uniform between its values at Q_- and W
double SampleRecoil(double T, double W, std::mt19937_64& rng) {
  const double mc2 = kElectronRestEnergy;
  const double Qmin = SmallestRecoil(T, W);
  const double low = std::log(Qmin / (Qmin + 2.0 * mc2)), high = std::log(W / (W + 2.0 * mc2));
  const double r = std::exp(low + Uniform(rng) * (high - low));
  return std::clamp(2.0 * mc2 * r / (1.0 - r), Qmin, W);
}

/// (c q)^2 = Q (Q + 2 m c^2) = (c p)^2 + (c p')^2 - 2 (c p)(c p') cos theta
double DeflectionCosine(double T, double W, double Q) {
  const double p = MomentumC(T), pAfter = MomentumC(T - W);
  const double q2 = Q * (Q + 2.0 * kElectronRestEnergy);
  return std::clamp((p * p + pAfter * pAfter - q2) / (2.0 * p * pAfter), -1.0, 1.0);
}

/// q = p - p': its component along p is p - p' cos theta
double MomentumTransferCosine(double T, double W, double Q) {
  const double p = MomentumC(T), pAfter = MomentumC(T - W);
  const double q = std::sqrt(Q * (Q + 2.0 * kElectronRestEnergy));
  return std::clamp((p - pAfter * DeflectionCosine(T, W, Q)) / q, -1.0, 1.0);
}

namespace {
constexpr int kGridPoints = 2400;
}  // namespace

ShellCollisions::ShellCollisions(double highestEnergy)
    : logLow_(0.0), logStep_(std::log(1.01 * std::max(highestEnergy, 2.0)) / (kGridPoints - 1)) {
  const auto& shells = TungstenShells();
  for (int g = 0; g < kGridPoints; ++g) {
    const double T = std::exp(logLow_ + g * logStep_);
    std::vector<double> running;
    double rate = 0, stopping = 0, straggling = 0;
    for (std::size_t k = 0; k < kShellCount; ++k) {
      const double W = ResonanceEnergy(k), f = shells[k].electrons;
      const double close = f * CloseCrossSection(T, std::max(W, kHardTransfer));
      const double closeStopping = f * CloseStoppingCrossSection(T, std::max(W, kHardTransfer));
      // a distant collision is hard when the resonance lies above the cut
      const bool hardDistant = W > kHardTransfer;
      const double longitudinal = hardDistant ? f * DistantLongitudinalCrossSection(T, W) : 0.0;
      const double transverse = hardDistant ? f * DistantTransverseCrossSection(T, W) : 0.0;
      for (const double sigma : {close, longitudinal, transverse}) {
        rate += kAtomsPerVolume * sigma;
        running.push_back(rate);
      }
      stopping += kAtomsPerVolume * (closeStopping + W * (longitudinal + transverse));
      // the soft collisions: close ones from W_k up to the cut, distant ones of a resonance below it
      const double softDistant = hardDistant ? 0.0
                                             : f * (DistantLongitudinalCrossSection(T, W) + DistantTransverseCrossSection(T, W));
      straggling += kAtomsPerVolume * (f * MollerMoment(T, W, 2, kHardTransfer) + W * W * softDistant);
    }
    softStraggling_.push_back(straggling);
    running_.push_back(running);
    hard_.push_back(rate);
    hardStopping_.push_back(stopping);
    soft_.push_back(std::max(0.0, CollisionStoppingPower(T) - stopping));
  }
}

std::size_t ShellCollisions::Below(double T) const {
  const double x = (std::log(T) - logLow_) / logStep_;
  return static_cast<std::size_t>(std::clamp(x, 0.0, kGridPoints - 2.0));
}

double ShellCollisions::Interpolate(const std::vector<double>& table, double T) const {
  const std::size_t g = Below(T);
  const double w = std::clamp((std::log(T) - logLow_) / logStep_ - g, 0.0, 1.0);
  return table[g] + w * (table[g + 1] - table[g]);
}

double ShellCollisions::SoftStoppingPower(double T) const { return Interpolate(soft_, T); }

double ShellCollisions::HardCoefficient(double T) const {
  // closed while no channel is open at the grid energy below, where Sample draws the channel
  return hard_[Below(T)] > 0 ? Interpolate(hard_, T) : 0.0;
}

double ShellCollisions::HardStoppingPower(double T) const { return Interpolate(hardStopping_, T); }

double ShellCollisions::SoftStragglingPower(double T) const { return Interpolate(softStraggling_, T); }

double SampleSoftLoss(double mean, double variance, std::mt19937_64& rng) {
  if (!(mean > 0)) return 0.0;
  const double halfWidth = std::sqrt(3.0 * variance);
  if (halfWidth <= mean) return mean + halfWidth * (2.0 * Uniform(rng) - 1.0);
  const double b = 1.5 * (mean * mean + variance) / mean;
  if (Uniform(rng) > 2.0 * mean / b) return 0.0;
  return b * Uniform(rng);
}

HardCollision ShellCollisions::Sample(double T, std::mt19937_64& rng) const {
  // the grid energy below T: every channel open there is open at T
  const std::vector<double>& running = running_[Below(T)];
  const double pick = Uniform(rng) * running.back();
  const std::size_t channel = static_cast<std::size_t>(std::lower_bound(running.begin(), running.end(), pick) - running.begin());
  const std::size_t k = std::min(channel / kKinds, kShellCount - 1);
  const double U = TungstenShells()[k].binding, W = ResonanceEnergy(k);
  HardCollision event{};
  switch (channel % kKinds) {
    case 0: {  // close: Moller above max(W_k, cut)
      const double low = std::max(W, kHardTransfer);
      const double transfer = electron_collisions::SampleMollerShare(T, low, rng) * T;
      event.loss = transfer;
      event.secondary = transfer - U;
      event.primaryCosine = electron_collisions::CosineAfterCollision(T, T - transfer);
      event.secondaryCosine = electron_collisions::CosineAfterCollision(T, transfer);
      break;
    }
    case 1: {  // distant longitudinal: W_k with a recoil, the struck electron along the momentum transfer
      const double Q = SampleRecoil(T, W, rng);
      event.loss = W;
      event.secondary = W - U;
      event.primaryCosine = DeflectionCosine(T, W, Q);
      event.secondaryCosine = MomentumTransferCosine(T, W, Q);
      break;
    }
    default:  // distant transverse: W_k, no deflection
      event.loss = W;
      event.secondary = W - U;
      event.primaryCosine = 1.0;
      event.secondaryCosine = 1.0;
  }
  return event;
}

}  // namespace kestrix::electron_shells
