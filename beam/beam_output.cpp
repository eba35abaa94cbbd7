#include "beam_output.h"

#include <cmath>
#include <stdexcept>

#include "decimal_text.h"
#include "energy_grid.h"

namespace kestrix {
namespace {

/// energy of one keV [J]
constexpr double kJoulePerKeV = 1.602176634e-16;
/// square millimetres in a square centimetre
constexpr double kMm2PerCm2 = 100;
/// grams in a kilogram
constexpr double kGramsPerKilogram = 1000;
/// micrograys in a gray
constexpr double kMicroGrayPerGray = 1e6;
/// the 0.5 keV row only extends the table's first segment; sums start at 1 keV
constexpr int kFirstOutputGridIndex = 2;

}  // namespace

void CheckDistance(double distanceMm) {
  if (!(distanceMm > 0) || !std::isfinite(distanceMm)) {
    throw std::invalid_argument("the distance from the focal spot must be a positive number of millimetres, not " +
                                (std::isfinite(distanceMm) ? ShortestDecimal(distanceMm) : std::string("infinite")));
  }
}

PhotonSpectrum FluencePerMasSpectrum(const PhotonSpectrum& perSteradianPerElectron, double distanceMm) {
  CheckDistance(distanceMm);
  // one steradian subtends distance^2 of area at the distance
  const double scale = kElectronsPerMas / (distanceMm * distanceMm);
  PhotonSpectrum fluence{};
  for (int i = 1; i <= kExchangeLast; ++i) fluence[i] = perSteradianPerElectron[i] * scale;
  return fluence;
}

BeamOutput ComputeBeamOutput(const PhotonSpectrum& perSteradianPerElectron, double distanceMm,
                             const AttenuationTable& table) {
  const PhotonSpectrum fluence = FluencePerMasSpectrum(perSteradianPerElectron, distanceMm);
  double photons = 0;  // [1/(mm2 mAs)]
  double kerma = 0;    // [Gy/mAs]
  for (int i = kFirstOutputGridIndex; i <= kExchangeLast; ++i) {
    const double binPhotons = fluence[i] * kKeVPerGridIndex;
    photons += binPhotons;
    kerma += binPhotons * kMm2PerCm2 * PhotonEnergy(i) * kJoulePerKeV * table.muEnAir[i] * kGramsPerKilogram;
  }
  BeamOutput output;
  output.distanceMm = distanceMm;
  if (!std::isfinite(photons) || !std::isfinite(kerma) || photons < 0 || kerma < 0) {
    output.missing = "the absolute spectrum is not a finite, non-negative number of photons";
    return output;
  }
  output.photonFluencePerMasPerMm2 = RoundToSignificantDigits(photons, kFigureSignificantDigits);
  output.airKermaMicroGrayPerMas = RoundToSignificantDigits(kerma * kMicroGrayPerGray, kFigureSignificantDigits);
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
