#include "beam_output.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "decimal_text.h"
#include "energy_grid.h"

namespace kestrix {

void CheckDistance(double distanceMm) {
  if (!(distanceMm >= kMinimumDistanceMm) || !std::isfinite(distanceMm)) {
    throw std::invalid_argument(
        "the distance from the focal spot must be a number of millimetres from " + ShortestDecimal(kMinimumDistanceMm) +
        " mm up (the focal spot is not a point: nearer, its output does not fall with the inverse square), not " +
        (std::isnan(distanceMm)      ? std::string("a value that is not a number")
         : std::isfinite(distanceMm) ? ShortestDecimal(distanceMm) + " mm"
                                     : std::string("an infinite one")));
  }
}

PhotonSpectrum FluencePerMasSpectrum(const PhotonSpectrum& perSteradianPerElectron, double distanceMm) {
  GridArray photons{};
  std::copy(perSteradianPerElectron.begin(), perSteradianPerElectron.end(), photons.begin());
  const GridArray onGrid = FluencePerMasSpectrum(photons, distanceMm);
  PhotonSpectrum fluence{};
  std::copy(onGrid.begin(), onGrid.begin() + fluence.size(), fluence.begin());
  return fluence;
}

GridArray FluencePerMasSpectrum(const GridArray& perSteradianPerElectron, double distanceMm) {
  CheckDistance(distanceMm);
  // one steradian subtends distance^2 of area at the distance
  const double scale = kElectronsPerMilliampereSecond / (distanceMm * distanceMm);
  GridArray fluence{};
  // to the figures' significant digits, so that every system's mathematical library gives the same text
  for (int i = 1; i <= kGridLast; ++i) {
    fluence[i] = RoundToSignificantDigits(perSteradianPerElectron[i] * scale, kFigureSignificantDigits);
  }
  return fluence;
}

BeamOutput ComputeBeamOutput(const PhotonSpectrum& perSteradianPerElectron, double distanceMm,
                             const AttenuationTable& table) {
  GridArray photons{};
  std::copy(perSteradianPerElectron.begin(), perSteradianPerElectron.end(), photons.begin());
  return ComputeBeamOutput(photons, distanceMm, table);
}

BeamOutput ComputeBeamOutput(const GridArray& photons, double distanceMm, const AttenuationTable& table) {
  CheckDistance(distanceMm);
  BeamOutput output;
  output.distanceMm = distanceMm;
  try {
    const AbsoluteOutput absolute = ComputeAbsoluteOutput(photons, distanceMm, table);
    if (!std::isfinite(absolute.photonFluencePerMasPerMm2) || !std::isfinite(absolute.airKermaMicroGrayPerMas)) {
      output.missing = "the output is too large to be held as a number";
      return output;
    }
    output.photonFluencePerMasPerMm2 = RoundToSignificantDigits(absolute.photonFluencePerMasPerMm2, kFigureSignificantDigits);
    output.airKermaMicroGrayPerMas = RoundToSignificantDigits(absolute.airKermaMicroGrayPerMas, kFigureSignificantDigits);
    output.waterKermaMicroGrayPerMas = RoundToSignificantDigits(absolute.waterKermaMicroGrayPerMas, kFigureSignificantDigits);
    output.tissueKermaMicroGrayPerMas = RoundToSignificantDigits(absolute.tissueKermaMicroGrayPerMas, kFigureSignificantDigits);
  } catch (const std::invalid_argument&) {
    output.missing = "the absolute spectrum is not a finite, non-negative number of photons";
  }
  return output;
}

BeamOutput RelativeModelOutput(const char* modelKeyword, double distanceMm) {
  BeamOutput output;
  output.distanceMm = distanceMm;
  output.missing = std::string("the ") + modelKeyword +
                   " model is relative: it gives the spectrum's shape, not photons per electron, so it has no "
                   "absolute output";
  return output;
}

}  // namespace kestrix
