#pragma once
// Birch's formula for the unfiltered emission of a tungsten target at one tube voltage.
// It shares the anode terms (electron range, photon path, K lines) of tucker_model.h.

#include "attenuation_table.h"
#include "energy_grid.h"

namespace kestrix {

/// Coefficients of Birch's bremsstrahlung cross-section.
namespace birch_coefficients {
/// Q(x) = q0 - q1 x + q2 x^2 + q3 x^3 - q4 x^4, x = E / T (photon over electron energy)
constexpr double kCrossSection0 = 0.503;
constexpr double kCrossSection1 = 0.94597;
constexpr double kCrossSection2 = 0.1553;
constexpr double kCrossSection3 = 1.1632;
constexpr double kCrossSection4 = 0.6818;
}  // namespace birch_coefficients

/// Birch emission of one sample of tube voltage T0 [kV]: writes bins 2..floor(2 T0) of
/// `phaseEmission` (bremsstrahlung plus K lines with the uncapped ratio) and leaves every
/// other bin as it was. cosecTheta = 1 / sin(target angle). T0 must not exceed the grid's
/// 500 keV (std::out_of_range otherwise).
void BirchEmission(double T0, double cosecTheta, const AttenuationTable& table, GridArray& phaseEmission);

}  // namespace kestrix
