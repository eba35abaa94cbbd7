#include "filtration_fit.h"

#include <charconv>
#include <cmath>

namespace kestrix {
namespace {

/// the shortest text that reads back as value, "." as the decimal point: a message shows a target
/// and the reachable layers as exactly as the fit compares them, so a target inside the range
/// shown is never refused and a tiny target does not read as 0
std::string Decimal(double value) {
  char text[32];
  const std::to_chars_result result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string Millimetres(double value) { return Decimal(value) + " mm"; }

/// the thickest entry in [usable, unusable] whose beam still has a layer, a whole multiple of the
/// fit's resolution (both ends are)
double ThickestUsable(const LayerForThickness& layer, double usable, double unusable) {
  long long low = std::llround(usable * kFitStepsPerMm);
  long long high = std::llround(unusable * kFitStepsPerMm);
  while (high - low > 1) {
    const long long middle = (low + high) / 2;
    (layer(middle / kFitStepsPerMm) ? low : high) = middle;
  }
  return low / kFitStepsPerMm;
}

}  // namespace

const char* FittedEntryName(FittedEntry entry) {
  switch (entry) {
    case FittedEntry::InherentAluminiumEquivalent: return "inherent aluminium equivalent";
    case FittedEntry::AddedCopper: return "added copper";
    default: return "added aluminium";
  }
}

const char* LayerMaterialSymbol(LayerMaterial material) {
  return material == LayerMaterial::Aluminium ? "Al" : "Cu";
}

FiltrationFit FitFiltration(const LayerForThickness& layer, const FitRequest& request, double thinnestMm) {
  const std::string symbol = LayerMaterialSymbol(request.material);
  const std::string entry = FittedEntryName(request.entry);
  const double target = request.targetHvl1Mm;
  const std::string wanted = "HVL1 " + Millimetres(target) + " " + symbol;
  if (!(target > 0) || !std::isfinite(target)) {
    throw FiltrationFitError("target " + wanted + " is not a positive layer", std::nullopt, std::nullopt, 0);
  }

  const std::optional<double> thinnest = layer(thinnestMm);
  if (!thinnest) {
    throw FiltrationFitError("the beam has no first half-value layer in " + symbol + " even with " +
                                 Millimetres(thinnestMm) + " of " + entry + ", so " + wanted + " cannot be reached",
                             std::nullopt, std::nullopt, thinnestMm);
  }
  double thickestMm = kFitThickestMm;
  std::optional<double> thickest = layer(thickestMm);
  if (!thickest) {
    thickestMm = ThickestUsable(layer, thinnestMm, thickestMm);
    thickest = layer(thickestMm);
  }
  if (target < *thinnest || target > *thickest) {
    throw FiltrationFitError("target " + wanted + " cannot be reached: " + entry + " of " + Decimal(thinnestMm) +
                                 " to " + Millimetres(thickestMm) + " gives HVL1 " + Decimal(*thinnest) + " to " +
                                 Millimetres(*thickest) + " " + symbol,
                             thinnest, thickest, thickestMm);
  }

  // bisection well below the resolution, then the nearest whole 0.001 mm
  double low = thinnestMm;
  double high = thickestMm;
  while (high - low > 0.05 * kFitResolutionMm) {
    const double middle = 0.5 * (low + high);
    const std::optional<double> reached = layer(middle);
    (reached && *reached < target ? low : high) = middle;
  }
  double fitted = std::round(0.5 * (low + high) * kFitStepsPerMm) / kFitStepsPerMm;
  if (fitted < thinnestMm) fitted = thinnestMm;
  if (fitted > thickestMm) fitted = thickestMm;
  const std::optional<double> reached = layer(fitted);
  if (!reached) {
    throw FiltrationFitError("the beam with " + Millimetres(fitted) + " of " + entry + " has no first half-value layer in " +
                                 symbol, thinnest, thickest, thickestMm);
  }
  return FiltrationFit{fitted, *reached};
}

}  // namespace kestrix
