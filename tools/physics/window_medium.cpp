#include "window_medium.h"

#include <cmath>

#include "electron_collisions.h"
#include "electron_stopping_power.h"
#include "tungsten_target.h"

namespace kestrix::window_medium {

using namespace tungsten;  // the physical constants (rest energy, electron radius, Avogadro, pi)
using electron_collisions::kHardTransfer;
using electron_collisions::MollerCrossSection;

const WindowMaterial& Diamond() {
  static const WindowMaterial window{"diamond", 6, 12.011, 3.51, 0.081};
  return window;
}

const WindowMaterial& Beryllium() {
  static const WindowMaterial window{"Be", 4, 9.0121831, 1.848, 0.0637};
  return window;
}

const WindowMaterial& Aluminium() {
  static const WindowMaterial window{"Al", 13, 26.9815385, 2.699, 0.166};
  return window;
}

std::optional<WindowMaterial> WindowFromName(const std::string& name) {
  if (name == "diamond" || name == "C") return Diamond();
  if (name == "Be" || name == "be") return Beryllium();
  if (name == "Al" || name == "al") return Aluminium();
  return std::nullopt;
}

double AtomsPerVolume(const WindowMaterial& window) { return window.density * kAvogadro / window.molarMass; }

double ElectronsPerVolume(const WindowMaterial& window) { return AtomsPerVolume(window) * window.atomicNumber; }

/// 2 pi r_e^2 m c^2 n_e / beta^2 [keV/cm]
static double BethePrefactor(const WindowMaterial& window, double T) {
  return 2.0 * kPi * kElectronRadius * kElectronRadius * kElectronRestEnergy * ElectronsPerVolume(window) /
         BetaSquared(T);
}

// the same formula as electron_stopping_power.cpp's for the targets
double CollisionStoppingPower(const WindowMaterial& window, double T) {
  const double tau = T / kElectronRestEnergy;
  const double beta2 = BetaSquared(T);
  const double iOverMc2 = window.meanExcitation / kElectronRestEnergy;
  const double F = 1.0 - beta2 + (tau * tau / 8.0 - (2.0 * tau + 1.0) * std::log(2.0)) / ((tau + 1.0) * (tau + 1.0));
  return BethePrefactor(window, T) * (std::log(tau * tau * (tau + 2.0) / (2.0 * iOverMc2 * iOverMc2)) + F);
}

// the restricted form of electron_collisions.cpp's RestrictedStoppingPower for tungsten
double RestrictedStoppingPower(const WindowMaterial& window, double T) {
  if (T <= 2.0 * kHardTransfer) return CollisionStoppingPower(window, T);
  const double mc2 = kElectronRestEnergy;
  const double tau = T / mc2, delta = kHardTransfer / mc2;
  const double beta2 = BetaSquared(T);
  const double iOverMc2 = window.meanExcitation / mc2;
  const double F = -1.0 - beta2 + std::log((tau - delta) * delta) + tau / (tau - delta) +
                   (0.5 * delta * delta + (2.0 * tau + 1.0) * std::log(1.0 - delta / tau)) / ((tau + 1.0) * (tau + 1.0));
  return BethePrefactor(window, T) * (std::log(2.0 * (tau + 2.0) / (iOverMc2 * iOverMc2)) + F);
}

double HardCollisionCoefficient(const WindowMaterial& window, double T) {
  if (T <= 2.0 * kHardTransfer) return 0.0;
  // Simpson's rule in x = 1 / W, dW = W^2 dx, as for tungsten
  constexpr int kPoints = 400;
  const double a = 1.0 / kHardTransfer, b = 2.0 / T, h = (a - b) / kPoints;
  double sum = 0;
  for (int p = 0; p <= kPoints; ++p) {
    const double W = 1.0 / (b + p * h);
    const double weight = (p == 0 || p == kPoints) ? 1.0 : (p % 2 ? 4.0 : 2.0);
    sum += weight * MollerCrossSection(T, W) * W * W;
  }
  return ElectronsPerVolume(window) * sum * h / 3.0;
}

double CsdaRange(const WindowMaterial& window, double T) {
  if (!(T > kElectronCutoffEnergy)) return 0.0;
  // midpoint rule in log T, 400 steps per decade, as the targets' CsdaRange
  const double logLow = std::log(kElectronCutoffEnergy);
  const double logHigh = std::log(T);
  const int steps = static_cast<int>(std::ceil((logHigh - logLow) * 400 / std::log(10.0))) + 1;
  const double h = (logHigh - logLow) / steps;
  double range = 0;
  for (int s = 0; s < steps; ++s) {
    const double E = std::exp(logLow + (s + 0.5) * h);
    range += E / CollisionStoppingPower(window, E) * h;
  }
  return range;
}

void ScreenedRutherford(const WindowMaterial& window, double T, double& screening, double& meanFreePath) {
  constexpr double kBohrRadius = 5.29177210903e-9;  // [cm]
  constexpr double kHbarC = 1.973269804e-8;         // [keV cm]
  constexpr double kMoliereScreening = 1.13;        // [1]
  constexpr double kElectronChargeSquared = kElectronRadius * kElectronRestEnergy;  // e^2 [keV cm]
  const double Z = window.atomicNumber;
  const double pc = std::sqrt(T * (T + 2.0 * kElectronRestEnergy));
  const double pv = pc * std::sqrt(BetaSquared(T));
  const double ratio = kHbarC / (pc * 0.88534 * kBohrRadius / std::cbrt(Z));
  screening = 0.25 * ratio * ratio * kMoliereScreening;
  const double sigma = kPi * Z * (Z + 1.0) * (kElectronChargeSquared / pv) * (kElectronChargeSquared / pv) /
                       (screening * (1.0 + screening));
  meanFreePath = 1.0 / (AtomsPerVolume(window) * sigma);
}

double RadiativeShareEstimate(const WindowMaterial& window, double T) {
  constexpr double kFineStructure = 7.2973525693e-3;
  const double Z = window.atomicNumber;
  const double radiative = AtomsPerVolume(window) * Z * (Z + 1.0) * 16.0 / 3.0 * kFineStructure * kElectronRadius *
                           kElectronRadius * (T + kElectronRestEnergy);
  return radiative / CollisionStoppingPower(window, T);
}

}  // namespace kestrix::window_medium
