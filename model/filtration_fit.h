#pragma once
// The thickness of one filtration entry that gives a beam a wanted first half-value layer: how one
// measured HVL turns into a model of a tube.

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "beam_quality.h"

namespace kestrix {

/// The entry whose thickness is fitted.
enum class FittedEntry { InherentAluminiumEquivalent, AddedAluminium, AddedCopper };

/// thickness range searched and the resolution of the fitted thickness [mm]
constexpr double kFitThickestMm = 100;
constexpr double kFitResolutionMm = 0.001;
/// fitted thicknesses are whole multiples of 1 / this [1/mm]
constexpr double kFitStepsPerMm = 1000;

/// What to fit: one entry, to a first half-value layer in aluminium or copper.
struct FitRequest {
  FittedEntry entry = FittedEntry::AddedAluminium;
  LayerMaterial material = LayerMaterial::Aluminium;
  double targetHvl1Mm = 0;  /// wanted first half-value layer [mm of the material]
};

/// The fitted thickness and the layer it gives.
struct FiltrationFit {
  double thicknessMm = 0;  /// fitted thickness, the double nearest a whole multiple of 0.001 mm [mm]
  double hvl1Mm = 0;       /// first half-value layer with that thickness [mm of the material]
};

/// A target that no thickness in range reaches (or a beam without a layer at all). The text
/// states the reachable range; the numbers are there for callers that word it their own way.
class FiltrationFitError : public std::runtime_error {
 public:
  FiltrationFitError(const std::string& message, std::optional<double> thinnestHvl1Mm,
                     std::optional<double> thickestHvl1Mm, double thickestMm)
      : std::runtime_error(message),
        thinnestHvl1Mm(thinnestHvl1Mm),
        thickestHvl1Mm(thickestHvl1Mm),
        thickestMm(thickestMm) {}
  std::optional<double> thinnestHvl1Mm;  /// layer with the thinnest entry [mm]
  std::optional<double> thickestHvl1Mm;  /// layer with the thickest usable entry [mm]
  double thickestMm;                     /// thickest usable entry [mm]
};

/// First half-value layer [mm] of the beam with the fitted entry at thicknessMm; nullopt when that
/// beam has none (everything absorbed, or a layer beyond 100 mm).
using LayerForThickness = std::function<std::optional<double>(double thicknessMm)>;

/// "inherent aluminium equivalent", "added aluminium", "added copper"
const char* FittedEntryName(FittedEntry entry);
/// "Al" or "Cu"
const char* LayerMaterialSymbol(LayerMaterial material);

/// The thickness between thinnestMm and 100 mm, to 0.001 mm, whose beam has the target layer; the
/// layer grows with the thickness. A thickness whose beam has no layer counts as too thick, so the
/// range ends at the thickest usable entry. Throws FiltrationFitError stating the reachable range
/// when the target lies outside it.
FiltrationFit FitFiltration(const LayerForThickness& layer, const FitRequest& request, double thinnestMm = 0);

}  // namespace kestrix
