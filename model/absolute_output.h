#pragma once
// Step 5 of the physics model, absolute output: the photon fluence and the air kerma per mAs at a
// distance from the focus, from an absolute photon spectrum. Only the inverse square enters; the air
// between focus and point is a filter like any other and belongs in the spectrum.

#include "attenuation_table.h"
#include "energy_grid.h"

namespace kestrix {

/// electrons on the target per mAs: 1e-3 C / elementary charge [1/mAs]
constexpr double kElectronsPerMilliampereSecond = 1e-3 / 1.602176634e-19;

struct AbsoluteOutput {
  double distanceMm = 0;                   /// distance from the focus [mm]
  double photonFluencePerMasPerMm2 = 0;    /// photons per mm^2 per mAs at that distance [1/(mm2 mAs)]
  double airKermaMicroGrayPerMas = 0;      /// air kerma per mAs at that distance [uGy/mAs]
  double waterKermaMicroGrayPerMas = 0;    /// kerma to liquid water, free in air, per mAs there [uGy/mAs]
  double tissueKermaMicroGrayPerMas = 0;   /// kerma to ICRU 44 soft tissue, free in air, per mAs there [uGy/mAs]
};

/// Output at `distanceMm` of the filtered spectrum `photons` (bins 2..1000: photons per keV per sr per
/// electron, as ApplyFiltration leaves an absolute model's emission), with the mass energy-absorption
/// coefficients of air of `table`:
///   fluence = sum_i N_i dE / d^2 * electrons per mAs,
///   kerma   = sum_i N_i dE E_i (mu_en/rho)_i / d^2 * electrons per mAs  (keV/g turned into uGy),
/// the kerma of water and soft tissue alike with their coefficients (medium_absorption.h).
/// Throws std::invalid_argument when the distance is not a positive finite number or the spectrum
/// holds a negative or non-finite value.
AbsoluteOutput ComputeAbsoluteOutput(const GridArray& photons, double distanceMm, const AttenuationTable& table);

}  // namespace kestrix
