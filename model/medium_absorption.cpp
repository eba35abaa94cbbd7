#include "medium_absorption.h"

#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <vector>

namespace kestrix {

namespace embedded {
extern const double kNistWater[];
extern const std::size_t kNistWaterCount;
extern const double kNistSoftTissue[];
extern const std::size_t kNistSoftTissueCount;
}  // namespace embedded

namespace {

/// rows of energy [keV], mu/rho and mu_en/rho [cm2/g]
GridArray OnTheGrid(const double* table, std::size_t count) {
  constexpr std::size_t kColumns = 3;
  if (count < 2 * kColumns || count % kColumns != 0) throw std::logic_error("NIST table: rows of three numbers expected");
  std::vector<double> energy, absorption;
  for (std::size_t k = 0; k < count; k += kColumns) {
    if (!energy.empty() && table[k] < energy.back()) throw std::logic_error("NIST table: energies must not fall");
    energy.push_back(table[k]);
    absorption.push_back(table[k + 2]);
  }
  GridArray grid{};
  for (int i = 1; i <= kGridLast; ++i) {
    const double e = PhotonEnergy(i);
    std::size_t k = 0;  // the last row at or below e: above an edge, the row after it
    while (k + 1 < energy.size() && energy[k + 1] <= e) ++k;
    if (e <= energy.front()) {
      grid[i] = absorption.front();
    } else if (k + 1 == energy.size() || e == energy[k]) {
      grid[i] = absorption[k];
    } else {
      const double t = std::log(e / energy[k]) / std::log(energy[k + 1] / energy[k]);
      grid[i] = std::exp(std::log(absorption[k]) + t * std::log(absorption[k + 1] / absorption[k]));
    }
  }
  return grid;
}

}  // namespace

const GridArray& MediumEnergyAbsorption(KermaMedium medium) {
  static const GridArray water = OnTheGrid(embedded::kNistWater, embedded::kNistWaterCount);
  static const GridArray tissue = OnTheGrid(embedded::kNistSoftTissue, embedded::kNistSoftTissueCount);
  return medium == KermaMedium::Water ? water : tissue;
}

}  // namespace kestrix
