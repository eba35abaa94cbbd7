#include "characteristic_lines.h"

#include <cmath>
#include <cstddef>
#include <stdexcept>

#include "energy_grid.h"
#include "tungsten_target.h"

namespace kestrix {

namespace embedded {
extern const double kTungstenLines[];
extern const std::size_t kTungstenLinesCount;
}  // namespace embedded

TungstenShells::TungstenShells() {
  const double* data = embedded::kTungstenLines;
  const std::size_t count = embedded::kTungstenLinesCount;
  std::size_t at = 0;
  const auto next = [&]() {
    if (at >= count) throw std::logic_error("tungsten lines: table too short");
    return data[at++];
  };
  if (next() != kShellCount) throw std::logic_error("tungsten lines: other shells than K, L1, L2, L3");
  for (ShellData& shell : shells_) {
    shell.edge = next();
    shell.fluorescenceYield = next();
    shell.electrons = static_cast<int>(next());
    const int lines = static_cast<int>(next());
    for (int l = 0; l < lines; ++l) {
      const double energy = next();
      shell.lines.push_back({energy, next()});
    }
  }
  f12_ = next();
  f13_ = next();
  f23_ = next();
  firstIndex_ = static_cast<int>(next());
  const int lastIndex = static_cast<int>(next());
  if (lastIndex < firstIndex_ || count - at != static_cast<std::size_t>(lastIndex - firstIndex_ + 1) * kShellCount) {
    throw std::logic_error("tungsten lines: photoabsorption table of the wrong length");
  }
  for (int i = firstIndex_; i <= lastIndex; ++i) {
    std::array<double, kShellCount> row{};
    for (double& share : row) share = next();
    shares_.push_back(row);
  }
}

double TungstenShells::PhotoabsorptionShare(AtomicShell shell, int gridIndex) const {
  if (gridIndex < firstIndex_) return 0.0;
  const std::size_t k = static_cast<std::size_t>(gridIndex - firstIndex_);
  return k < shares_.size() ? shares_[k][shell] : shares_.back()[shell];
}

const TungstenShells& TungstenAtomicShells() {
  static const TungstenShells data;
  return data;
}

namespace {

double CasnatiK(double T, double edge, int electrons) {
  constexpr double kBohrRadius = 5.29177210903e-9;  // [cm]
  constexpr double kRydberg = 13.605693e-3;         // [keV]
  const double U = T / edge;
  const double phi = 10.57 * std::exp(-1.736 / U + 0.317 / (U * U));
  const double psi = std::pow(edge / kRydberg, -0.0318 + 0.3160 / U - 0.1135 / (U * U));
  const double I = edge / tungsten::kElectronRestEnergy;
  const double t = T / tungsten::kElectronRestEnergy;
  const double f = (2.0 + I) / (2.0 + t) * std::pow((1.0 + t) / (1.0 + I), 2.0) *
                   std::pow((I + t) * (2.0 + t) * (1.0 + I) * (1.0 + I) /
                                (t * (2.0 + t) * (1.0 + I) * (1.0 + I) + I * (2.0 + I)),
                            1.5);
  return electrons * kBohrRadius * kBohrRadius * (kRydberg / edge) * (kRydberg / edge) * psi * phi * f *
         std::log(U) / U;
}

double Gryzinski(double T, double edge, int electrons) {
  constexpr double kChargeSquared = tungsten::kElectronRadius * tungsten::kElectronRestEnergy;  // e^2 [keV cm]
  const double U = T / edge;
  const double g = 1.0 / U * std::pow((U - 1.0) / (U + 1.0), 1.5) *
                   (1.0 + 2.0 / 3.0 * (1.0 - 1.0 / (2.0 * U)) * std::log(2.7 + std::sqrt(U - 1.0)));
  return electrons * tungsten::kPi * kChargeSquared * kChargeSquared / (edge * edge) * g;
}

}  // namespace

double ElectronImpactIonisation(AtomicShell shell, double T) {
  const ShellData& data = TungstenAtomicShells().Shell(shell);
  if (!(T > data.edge)) return 0.0;
  return shell == kShellK ? CasnatiK(T, data.edge, data.electrons) : Gryzinski(T, data.edge, data.electrons);
}

int NearestGridIndex(double E) { return static_cast<int>(std::lround(E / kKeVPerGridIndex)); }

}  // namespace kestrix
