#pragma once
// The 0.5 keV photon-energy grid shared by every per-energy array of the program.

#include <array>
#include <cmath>

namespace kestrix {

/// last grid index; indices 0..1000, index i stands for the photon energy 0.5 * i [keV]
constexpr int kGridLast = 1000;
constexpr int kGridSize = kGridLast + 1;
/// photon energy step between neighbouring grid indices [keV]
constexpr double kKeVPerGridIndex = 0.5;
/// exchange files hold grid indices 1..600 (0.5 to 300 keV)
constexpr int kExchangeLast = 600;
/// highest tube voltage whose spectrum the exchange files (and the desktop's 0-300 keV graph) hold [kV]
constexpr double kExchangeVoltageLimit = kExchangeLast * 0.5;
/// degrees to radians with the calculation's own value of pi (3.14159, not the exact one)
constexpr double kDegreesToRadians = 3.14159 / 180.0;

/// one value per grid index 0..1000; index 0 is never used
using GridArray = std::array<double, kGridSize>;

/// Highest grid index whose photon energy does not exceed `kiloVolts` [kV]: floor(2 * kV),
/// limited to the grid. A spectrum for this voltage occupies bins 2 to this index.
inline int TopBinFor(double kiloVolts) {
  const double top = std::floor(kiloVolts / kKeVPerGridIndex);
  if (!(top > 0)) return 0;
  return top > kGridLast ? kGridLast : static_cast<int>(top);
}

/// Last grid index a run's spectra and tables carry for the tube voltage `kiloVolts` [kV]: the
/// exchange files' 600 (300 keV) up to kExchangeVoltageLimit, so that those runs keep their 600 rows,
/// and floor(2 kV) above it (900 rows at 450 kV).
inline int RunLastBin(double kiloVolts) {
  return kiloVolts > kExchangeVoltageLimit ? TopBinFor(kiloVolts) : kExchangeLast;
}

/// `degrees` in radians, evaluated as degrees x 3.14159 / 180 in that order
inline double DegreesToRadians(double degrees) { return degrees * 3.14159 / 180.0; }

/// photon energy of grid index i [keV]
constexpr double PhotonEnergy(int gridIndex) { return kKeVPerGridIndex * gridIndex; }

}  // namespace kestrix
