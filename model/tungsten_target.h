#pragma once
// Constants of the tungsten target shared by the steps of the physics model.

namespace kestrix::tungsten {

/// atomic number [1]
constexpr int kAtomicNumber = 74;
/// molar mass [g/mol]
constexpr double kMolarMass = 183.84;
/// density of the target, the attenuation table's value for tungsten [g/cm3]
constexpr double kDensity = 19.3;
/// mean excitation energy, ICRU Report 37 [keV]
constexpr double kMeanExcitationEnergy = 0.727;
/// Avogadro constant [1/mol]
constexpr double kAvogadro = 6.02214076e23;
/// atoms per volume [1/cm3]
constexpr double kAtomsPerVolume = kDensity * kAvogadro / kMolarMass;
/// electron rest energy [keV]
constexpr double kElectronRestEnergy = 510.99895;
/// classical electron radius [cm]
constexpr double kElectronRadius = 2.8179403262e-13;
/// one millibarn [cm2]
constexpr double kMillibarn = 1e-27;
/// pi, to full precision (the grid's 3.14159 belongs to the formula models' angle conversion only)
constexpr double kPi = 3.14159265358979323846;

/// squared speed of an electron of kinetic energy T [keV] over the speed of light [1]
inline double BetaSquared(double T) {
  const double gamma = 1.0 + T / kElectronRestEnergy;
  return 1.0 - 1.0 / (gamma * gamma);
}

}  // namespace kestrix::tungsten
