#pragma once
// The window a transmission target's tungsten layer lies on (diamond, beryllium or aluminium), as the
// electron Monte Carlo sees it (electron_transport --transmission): its atoms, its ICRU 37 collision
// stopping power and CSDA range, its Moller collisions with the window's electrons taken as free and
// at rest, and the screened Rutherford elastic cross section of its atom. The Dirac partial waves of
// the window's atom come from electron_collisions.h with the window's atomic number.
//
// Collision stopping power: the Bethe formula for electrons as ICRU Report 37 (1984) writes it
// (eq. 2.2), with the window's mean excitation energy and electron density, and no density-effect
// correction, as tungsten's (electron_stopping_power.h); radiative loss is left out (its share is
// RadiativeShareEstimate: at 300 keV 0.17 % for Be, 0.25 % for diamond, 0.55 % for Al).

#include <optional>
#include <string>

namespace kestrix::window_medium {

/// one window material
struct WindowMaterial {
  const char* name;           /// the name the command line takes: "diamond", "Be", "Al"
  int atomicNumber;           /// Z [1]
  double molarMass;           /// [g/mol]
  double density;             /// [g/cm3]
  double meanExcitation;      /// mean excitation energy I, ICRU Report 37 [keV]
};

/// diamond (3.51 g/cm3, I = 81 eV), beryllium (1.848 g/cm3, I = 63.7 eV), aluminium (2.699 g/cm3,
/// I = 166 eV)
const WindowMaterial& Diamond();
const WindowMaterial& Beryllium();
const WindowMaterial& Aluminium();

/// the window named "diamond", "Be" or "Al" (or "C", "be", "al"); nullopt for any other text
std::optional<WindowMaterial> WindowFromName(const std::string& name);

/// atoms per volume [1/cm3]
double AtomsPerVolume(const WindowMaterial& window);

/// electrons per volume [1/cm3]
double ElectronsPerVolume(const WindowMaterial& window);

/// ICRU 37 collision stopping power of the window for an electron of kinetic energy T [keV] [keV/cm]
double CollisionStoppingPower(const WindowMaterial& window, double T);

/// the same restricted to energy transfers below electron_collisions::kHardTransfer [keV/cm]; equal
/// to CollisionStoppingPower at T <= 2 kHardTransfer
double RestrictedStoppingPower(const WindowMaterial& window, double T);

/// Moller collisions with the window's (free) electrons transferring between kHardTransfer and T / 2,
/// per path [1/cm]
double HardCollisionCoefficient(const WindowMaterial& window, double T);

/// CSDA range in the window from T [keV] down to kElectronCutoffEnergy, collision stopping power
/// only [cm]; 0 at or below the cutoff
double CsdaRange(const WindowMaterial& window, double T);

/// screened Rutherford elastic scattering on the window's atom (Z(Z + 1), Moliere's Thomas-Fermi
/// screening, as the tungsten one of electron_transport): the screening parameter A [1] and the
/// mean free path [cm]
void ScreenedRutherford(const WindowMaterial& window, double T, double& screening, double& meanFreePath);

/// an estimate of the radiative over the collision stopping power at T [keV] [1], from Heitler's
/// radiative stopping power of the Born approximation without screening,
/// n Z(Z + 1) (16/3) alpha r_e^2 (T + m c^2) (the electrons' own bremsstrahlung in Z + 1)
double RadiativeShareEstimate(const WindowMaterial& window, double T);

}  // namespace kestrix::window_medium
