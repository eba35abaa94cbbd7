#pragma once
// The constants of each target material that the physics model's steps share: atomic number,
// molar mass, density and the mean excitation energy of its stopping power.

#include "target_material.h"
#include "transmission_target.h"

namespace kestrix {

struct TargetConstants {
  int atomicNumber = 0;               /// [1]
  double molarMass = 0;               /// [g/mol]
  double density = 0;                 /// [g/cm3]
  double meanExcitationEnergy = 0;    /// ICRU Report 37 [keV]
  double atomsPerVolume = 0;          /// density * Avogadro / molar mass [1/cm3]
};

/// the target's constants: tungsten's are those of tungsten_target.h (the attenuation table's
/// density); molybdenum's, rhodium's, silver's and gold's xraylib's densities (10.22, 12.41, 10.5,
/// 19.3 g/cm3), the standard atomic weights and ICRU 37's I (424, 449, 470 and 790 eV)
const TargetConstants& ConstantsOf(TargetMaterial target);

/// the constants of a transmission target's window material: diamond (carbon, 3.51 g/cm3,
/// I = 81 eV), beryllium (1.848 g/cm3, 63.7 eV) and aluminium (2.699 g/cm3, 166 eV), the values
/// the electron Monte Carlo of the transmission tables uses
const TargetConstants& WindowConstantsOf(TransmissionWindow window);

}  // namespace kestrix
