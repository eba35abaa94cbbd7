#include "characteristic_lines.h"

#include <cmath>
#include <cstddef>
#include <stdexcept>

#include "energy_grid.h"
#include "tungsten_target.h"

namespace kestrix {

namespace embedded {
extern const double kTungstenKLines[];
extern const std::size_t kTungstenKLinesCount;
}  // namespace embedded

TungstenKShell::TungstenKShell() {
  const double* data = embedded::kTungstenKLines;
  const std::size_t count = embedded::kTungstenKLinesCount;
  if (count < 3) throw std::logic_error("tungsten K lines: table too short");
  edge_ = data[0];
  yield_ = data[1];
  const auto lines = static_cast<std::size_t>(data[2]);
  std::size_t at = 3;
  if (count < at + 2 * lines + 2) throw std::logic_error("tungsten K lines: table too short");
  for (std::size_t l = 0; l < lines; ++l, at += 2) lines_.push_back({data[at], data[at + 1]});
  firstIndex_ = static_cast<int>(data[at]);
  const int lastIndex = static_cast<int>(data[at + 1]);
  at += 2;
  if (lastIndex < firstIndex_ || count != at + static_cast<std::size_t>(lastIndex - firstIndex_ + 1)) {
    throw std::logic_error("tungsten K lines: photoabsorption table of the wrong length");
  }
  share_.assign(data + at, data + count);
}

double TungstenKShell::PhotoabsorptionShare(int gridIndex) const {
  if (PhotonEnergy(gridIndex) <= edge_ || gridIndex < firstIndex_) return 0.0;
  const std::size_t k = static_cast<std::size_t>(gridIndex - firstIndex_);
  return k < share_.size() ? share_[k] : share_.back();
}

const TungstenKShell& TungstenK() {
  static const TungstenKShell data;
  return data;
}

double KShellIonisationCrossSection(double T) {
  constexpr double kBohrRadius = 5.29177210903e-9;  // [cm]
  constexpr double kRydberg = 13.605693e-3;         // [keV]
  constexpr double kShellElectrons = 2;
  const double edge = TungstenK().EdgeEnergy();
  const double U = T / edge;
  if (!(U > 1.0)) return 0.0;
  const double phi = 10.57 * std::exp(-1.736 / U + 0.317 / (U * U));
  const double psi = std::pow(edge / kRydberg, -0.0318 + 0.3160 / U - 0.1135 / (U * U));
  const double I = edge / tungsten::kElectronRestEnergy;
  const double t = T / tungsten::kElectronRestEnergy;
  const double f = (2.0 + I) / (2.0 + t) * std::pow((1.0 + t) / (1.0 + I), 2.0) *
                   std::pow((I + t) * (2.0 + t) * (1.0 + I) * (1.0 + I) /
                                (t * (2.0 + t) * (1.0 + I) * (1.0 + I) + I * (2.0 + I)),
                            1.5);
  return kShellElectrons * kBohrRadius * kBohrRadius * (kRydberg / edge) * (kRydberg / edge) * psi * phi * f *
         std::log(U) / U;
}

int NearestGridIndex(double E) { return static_cast<int>(std::lround(E / kKeVPerGridIndex)); }

}  // namespace kestrix
