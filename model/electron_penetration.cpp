#include "electron_penetration.h"

#include <cmath>
#include <cstddef>
#include <stdexcept>

namespace kestrix {

namespace embedded {
extern const double kElectronPenetrationTungsten[];
extern const std::size_t kElectronPenetrationTungstenCount;
extern const double kElectronPenetrationMolybdenum[];
extern const std::size_t kElectronPenetrationMolybdenumCount;
}  // namespace embedded

ElectronPenetration::ElectronPenetration(TargetMaterial target) {
  using namespace penetration_layout;
  const bool tungsten = target == TargetMaterial::Tungsten;
  const double* data = tungsten ? embedded::kElectronPenetrationTungsten : embedded::kElectronPenetrationMolybdenum;
  const std::size_t count =
      tungsten ? embedded::kElectronPenetrationTungstenCount : embedded::kElectronPenetrationMolybdenumCount;
  const std::size_t nodes = kNodeVoltages.size();
  const std::size_t header = 5 + nodes;
  if (count != header + nodes * kCellsPerNode || data[0] != static_cast<double>(nodes) || data[1] != kDepthBins ||
      data[2] != kEnergyBins || data[3] != kDirectionBins || data[4] != kMaximumScaledDepth) {
    throw std::logic_error("electron penetration table: layout differs from the program's");
  }
  for (std::size_t n = 0; n < nodes; ++n) {
    if (data[5 + n] != kNodeVoltages[n]) throw std::logic_error("electron penetration table: other node energies");
  }
  track_.assign(data + header, data + count);
}

ElectronPenetration::Bracket ElectronPenetration::BracketOf(double T0) {
  using namespace penetration_layout;
  const int last = static_cast<int>(kNodeVoltages.size()) - 1;
  if (!(T0 > kNodeVoltages[0])) return {0, 0, 0.0};
  if (!(T0 < kNodeVoltages[last])) return {last, last, 0.0};
  int upper = 1;
  while (kNodeVoltages[upper] < T0) ++upper;
  const double w = std::log(T0 / kNodeVoltages[upper - 1]) / std::log(kNodeVoltages[upper] / kNodeVoltages[upper - 1]);
  return {upper - 1, upper, w};
}

const ElectronPenetration& TungstenElectronPenetration() { return ElectronPenetrationOf(TargetMaterial::Tungsten); }

const ElectronPenetration& ElectronPenetrationOf(TargetMaterial target) {
  static const ElectronPenetration tungstenTable(TargetMaterial::Tungsten);
  if (target == TargetMaterial::Tungsten) return tungstenTable;
  static const ElectronPenetration molybdenum(TargetMaterial::Molybdenum);
  return molybdenum;  // rhodium too, in units of its own range
}

}  // namespace kestrix
