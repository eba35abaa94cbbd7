#pragma once
// Mass energy-absorption coefficients of the media whose kerma the absolute output gives beside
// air's: liquid water and ICRU 44 soft tissue, from the NIST tables of Hubbell and Seltzer
// (data/dosimetry/, compiled in), on the 0.5 keV grid.

#include "energy_grid.h"

namespace kestrix {

enum class KermaMedium { Water, SoftTissue };

/// mass energy-absorption coefficient of the medium at the photon energy of each grid index
/// 1..1000, interpolated log-log between the table's rows (at an absorption edge, the row above it
/// holds from the edge on; below the first row, 1 keV, the first row's value) [cm2/g]
const GridArray& MediumEnergyAbsorption(KermaMedium medium);

}  // namespace kestrix
