#pragma once
// Stopping power and CSDA range of electrons in the target (tungsten unless a target is named).
//
// Collision stopping power: the Bethe formula for electrons as ICRU Report 37 (1984) writes it
// (eq. 2.2), with I = 727 eV and no density-effect correction (below 1 % in tungsten under 300 keV):
//     S_col = 2 pi r_e^2 m c^2 n Z / beta^2 [ ln(tau^2 (tau + 2) / (2 (I / m c^2)^2)) + F(tau) ],
//     F(tau) = 1 - beta^2 + (tau^2 / 8 - (2 tau + 1) ln 2) / (tau + 1)^2,   tau = T / m c^2.
// Radiative stopping power from the Seltzer-Berger cross sections (bremsstrahlung_cross_section.h).
// This is the stopping power of NIST's ESTAR program without its density effect. Molybdenum,
// rhodium, silver and gold take their own I (424, 449, 470 and 790 eV), density and Seltzer-Berger
// table.

#include "target_material.h"

namespace kestrix {

/// electrons below this energy are taken as stopped: the Bethe formula is not used below it [keV]
constexpr double kElectronCutoffEnergy = 1.0;

/// collision stopping power of tungsten for an electron of kinetic energy T [keV] [keV/cm]
double CollisionStoppingPower(double T);

/// total (collision + radiative) stopping power of tungsten [keV/cm]
double TotalStoppingPower(double T);

/// CSDA range in tungsten from T [keV] down to kElectronCutoffEnergy [cm]; 0 at or below it
double CsdaRange(double T);

/// the three above for a target [keV/cm], [keV/cm], [cm]
double CollisionStoppingPower(TargetMaterial target, double T);
double TotalStoppingPower(TargetMaterial target, double T);
double CsdaRange(TargetMaterial target, double T);

struct TargetConstants;
/// collision stopping power of any element with these constants (the Bethe formula above) [keV/cm]
double CollisionStoppingPower(const TargetConstants& constants, double T);
/// CSDA range from T [keV] down to kElectronCutoffEnergy with that collision stopping power alone, by
/// the same integral: the range of a transmission target's light window, whose radiative loss stays
/// below 0.6 % up to 300 keV (the electron Monte Carlo's own definition) [cm]
double CollisionCsdaRange(const TargetConstants& constants, double T);

}  // namespace kestrix
