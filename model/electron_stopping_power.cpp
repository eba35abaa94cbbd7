#include "electron_stopping_power.h"

#include <cmath>

#include "bremsstrahlung_cross_section.h"
#include "target_constants.h"
#include "tungsten_target.h"

namespace kestrix {

double CollisionStoppingPower(double T) { return CollisionStoppingPower(TargetMaterial::Tungsten, T); }

double TotalStoppingPower(double T) { return TotalStoppingPower(TargetMaterial::Tungsten, T); }

double CsdaRange(double T) { return CsdaRange(TargetMaterial::Tungsten, T); }

double CollisionStoppingPower(TargetMaterial target, double T) { return CollisionStoppingPower(ConstantsOf(target), T); }

double CollisionStoppingPower(const TargetConstants& constants, double T) {
  using namespace tungsten;
  const double tau = T / kElectronRestEnergy;
  const double beta2 = BetaSquared(T);
  const double iOverMc2 = constants.meanExcitationEnergy / kElectronRestEnergy;
  const double F = 1.0 - beta2 + (tau * tau / 8.0 - (2.0 * tau + 1.0) * std::log(2.0)) / ((tau + 1.0) * (tau + 1.0));
  const double bracket = std::log(tau * tau * (tau + 2.0) / (2.0 * iOverMc2 * iOverMc2)) + F;
  const double prefactor = 2.0 * kPi * kElectronRadius * kElectronRadius * kElectronRestEnergy * constants.atomsPerVolume *
                           constants.atomicNumber / beta2;
  return prefactor * bracket;
}

double TotalStoppingPower(TargetMaterial target, double T) {
  return CollisionStoppingPower(target, T) + BremsstrahlungOf(target).RadiativeStoppingPower(T);
}

namespace {

/// the CSDA range integral of 1 / S from the cut-off up to T [cm]
template <typename Stopping>
double RangeIntegral(const Stopping& totalStoppingPower, double T) {
  if (!(T > kElectronCutoffEnergy)) return 0.0;
  // midpoint rule in log T, 400 steps per decade: far finer than the stopping power bends
  const double logLow = std::log(kElectronCutoffEnergy);
  const double logHigh = std::log(T);
  const int steps = static_cast<int>(std::ceil((logHigh - logLow) * 400 / std::log(10.0))) + 1;
  const double h = (logHigh - logLow) / steps;
  double range = 0;
  for (int s = 0; s < steps; ++s) {
    const double E = std::exp(logLow + (s + 0.5) * h);
    range += E / totalStoppingPower(E) * h;
  }
  return range;
}

}  // namespace

double CsdaRange(TargetMaterial target, double T) {
  return RangeIntegral([target](double E) { return TotalStoppingPower(target, E); }, T);
}

double CollisionCsdaRange(const TargetConstants& constants, double T) {
  return RangeIntegral([&](double E) { return CollisionStoppingPower(constants, E); }, T);
}

}  // namespace kestrix
