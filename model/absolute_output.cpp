#include "absolute_output.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "medium_absorption.h"

namespace kestrix {

namespace {
/// 1 keV/g in uGy: 1.602176634e-16 J / 1e-3 kg = 1.602176634e-13 Gy
constexpr double kMicroGrayPerKeVPerGram = 1.602176634e-13 * 1e6;
constexpr double kSquareMmPerSquareCm = 100;
}  // namespace

AbsoluteOutput ComputeAbsoluteOutput(const GridArray& photons, double distanceMm, const AttenuationTable& table) {
  if (!(distanceMm > 0) || !std::isfinite(distanceMm)) {
    throw std::invalid_argument("The distance must be a positive number of millimetres.");
  }
  double number = 0;  // photons per sr per electron
  double energy = 0;  // keV cm2/g per sr per electron
  double water = 0;   // the same with water's coefficients
  double tissue = 0;  // and with soft tissue's
  const GridArray& muEnWater = MediumEnergyAbsorption(KermaMedium::Water);
  const GridArray& muEnTissue = MediumEnergyAbsorption(KermaMedium::SoftTissue);
  for (int i = 2; i <= kGridLast; ++i) {
    const double N = photons[i];
    if (!(N >= 0) || !std::isfinite(N)) {
      throw std::invalid_argument("The spectrum holds a negative or non-finite value at " +
                                  std::to_string(PhotonEnergy(i)) + " keV.");
    }
    number += N * kKeVPerGridIndex;
    energy += N * kKeVPerGridIndex * PhotonEnergy(i) * table.muEnAir[i];
    water += N * kKeVPerGridIndex * PhotonEnergy(i) * muEnWater[i];
    tissue += N * kKeVPerGridIndex * PhotonEnergy(i) * muEnTissue[i];
  }
  // one steradian covers d^2 at distance d
  const double squareMm = distanceMm * distanceMm;
  AbsoluteOutput output;
  output.distanceMm = distanceMm;
  output.photonFluencePerMasPerMm2 = number / squareMm * kElectronsPerMilliampereSecond;
  const auto kerma = [&](double sum) {
    return sum / (squareMm / kSquareMmPerSquareCm) * kElectronsPerMilliampereSecond * kMicroGrayPerKeVPerGram;
  };
  output.airKermaMicroGrayPerMas = kerma(energy);
  output.waterKermaMicroGrayPerMas = kerma(water);
  output.tissueKermaMicroGrayPerMas = kerma(tissue);
  return output;
}

}  // namespace kestrix
