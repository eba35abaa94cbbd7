#pragma once
// The absolute output of a beam at a distance from the focal spot: photon fluence and air kerma per
// unit tube charge, from the spectrum of a model that computes photons per electron. Distance acts
// only through the inverse square; air between focus and point is a filter like any other.

#include <optional>
#include <string>

#include "absolute_output.h"
#include "attenuation_table.h"
#include "beam_quality.h"

namespace kestrix {

/// distance from the focal spot when none is given [mm]
constexpr double kDefaultDistanceMm = 1000;

/// The output at one distance; all figures are missing, with the reason, for a relative model.
struct BeamOutput {
  double distanceMm = kDefaultDistanceMm;                /// distance from the focal spot [mm]
  std::optional<double> airKermaMicroGrayPerMas;         /// air kerma per tube charge [uGy/mAs]
  std::optional<double> photonFluencePerMasPerMm2;       /// photons per area per tube charge [1/(mm2 mAs)]
  std::optional<double> waterKermaMicroGrayPerMas;       /// kerma to liquid water, free in air [uGy/mAs]
  std::optional<double> tissueKermaMicroGrayPerMas;      /// kerma to ICRU 44 soft tissue, free in air [uGy/mAs]
  std::string missing;                                   /// why the figures are missing (empty when given)
};

/// JSON and Python keys of the output
inline constexpr const char* kDistanceKey = "distance_mm";
inline constexpr const char* kAirKermaKey = "air_kerma_uGy_per_mAs";
inline constexpr const char* kPhotonFluenceKey = "photon_fluence_per_mAs_per_mm2";

/// JSON and Python keys of the kerma of the other media, after those above
inline constexpr const char* kWaterKermaKey = "water_kerma_uGy_per_mAs";
inline constexpr const char* kTissueKermaKey = "tissue_kerma_uGy_per_mAs";

/// nearest distance from the focal spot at which the output is given [mm]: a focal spot is about a
/// millimetre across, and nearer than that its output does not fall with the inverse square of a point
inline constexpr double kMinimumDistanceMm = 1;

/// Throws std::invalid_argument, with a message that says why, unless distanceMm is a finite distance
/// of at least kMinimumDistanceMm [mm]. Every front end's distance goes through this one check.
void CheckDistance(double distanceMm);

/// Photons per keV per mm2 per mAs at distanceMm [1/(keV mm2 mAs)] by grid index 1..600, from photons
/// per keV per sr per electron: times the electrons per mAs, over the distance squared; each value
/// rounded to kFigureSignificantDigits.
PhotonSpectrum FluencePerMasSpectrum(const PhotonSpectrum& perSteradianPerElectron, double distanceMm);
/// The same on the whole grid, bins 1..1000 (a run above 300 kV); bins 1..600 as the function above.
GridArray FluencePerMasSpectrum(const GridArray& perSteradianPerElectron, double distanceMm);

/// Fluence and air kerma per mAs at distanceMm of the absolute spectrum (photons per keV per sr per
/// electron, by grid index) as ComputeAbsoluteOutput gives them, each rounded to
/// kFigureSignificantDigits; a spectrum with a negative or non-finite value, or one whose output is not
/// finite, gives none, with the reason.
BeamOutput ComputeBeamOutput(const PhotonSpectrum& perSteradianPerElectron, double distanceMm,
                             const AttenuationTable& table);
/// The same for an absolute spectrum on the whole grid (bins 1..1000); for one that is 0 above
/// 300 keV the same figures as the function above.
BeamOutput ComputeBeamOutput(const GridArray& perSteradianPerElectron, double distanceMm,
                             const AttenuationTable& table);

/// The output of a relative model: no figures, and why.
BeamOutput RelativeModelOutput(const char* modelKeyword, double distanceMm);

}  // namespace kestrix
