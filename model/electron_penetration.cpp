#include "electron_penetration.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <stdexcept>

namespace kestrix {

namespace embedded {
extern const double kElectronPenetrationTungsten[];
extern const std::size_t kElectronPenetrationTungstenCount;
extern const double kElectronPenetrationMolybdenum[];
extern const std::size_t kElectronPenetrationMolybdenumCount;
extern const float kElectronPenetrationTungstenHigh[];
extern const std::size_t kElectronPenetrationTungstenHighCount;
}  // namespace embedded

namespace {

/// the two nodes of `nodes` (ascending) around T0 and the weight of the upper one, linear in log T0
ElectronPenetration::Bracket BracketIn(const double* nodes, int count, double T0) {
  const int last = count - 1;
  if (!(T0 > nodes[0])) return {0, 0, 0.0};
  if (!(T0 < nodes[last])) return {last, last, 0.0};
  int upper = 1;
  while (nodes[upper] < T0) ++upper;
  const double w = std::log(T0 / nodes[upper - 1]) / std::log(nodes[upper] / nodes[upper - 1]);
  return {upper - 1, upper, w};
}

}  // namespace

ElectronPenetration::ElectronPenetration(TargetMaterial target) {
  using namespace penetration_layout;
  const bool tungsten = TableElementOf(target) == TargetMaterial::Tungsten;
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
  nodes_.assign(kNodeVoltages.begin(), kNodeVoltages.end());
  if (tungsten) {
    const std::vector<double> high(embedded::kElectronPenetrationTungstenHigh,
                                   embedded::kElectronPenetrationTungstenHigh + embedded::kElectronPenetrationTungstenHighCount);
    JoinAbove(high.data(), high.size());
  }
}

void ElectronPenetration::JoinAbove(const double* data, std::size_t count) {
  using namespace penetration_layout;
  if (count < 5 || !(data[0] >= 1) || data[0] != std::floor(data[0]) || data[1] != kDepthBins ||
      data[2] != kEnergyBins || data[3] != kDirectionBins || std::abs(data[4] - kMaximumScaledDepth) > 1e-6) {
    throw std::logic_error("electron penetration table above 300 keV: layout differs from the program's");
  }
  const std::size_t nodes = static_cast<std::size_t>(data[0]);
  const std::size_t header = 5 + nodes;
  if (count != header + nodes * kCellsPerNode) {
    throw std::logic_error("electron penetration table above 300 keV: layout differs from the program's");
  }
  const double* energies = data + 5;
  const double* values = data + header;
  std::size_t join = nodes;
  for (std::size_t n = 0; n < nodes; ++n) {
    if (n > 0 && !(energies[n] > energies[n - 1])) {
      throw std::logic_error("electron penetration table above 300 keV: node energies not ascending");
    }
    if (energies[n] == kJoinVoltage) join = n;
  }
  if (join == nodes || nodes_.back() != kJoinVoltage) {
    throw std::logic_error("electron penetration table above 300 keV: no node at the joining energy of 300 keV");
  }
  for (std::size_t k = 0; k < nodes * kCellsPerNode; ++k) {
    if (!(values[k] >= 0) || !std::isfinite(values[k])) {
      throw std::logic_error("electron penetration table above 300 keV: a negative or non-finite track");
    }
  }
  // PENELOPE's table at the joining energy (the last node so far) and the own Monte Carlo's there
  const std::vector<double> penelope(track_.end() - kCellsPerNode, track_.end());
  const double* ownAtJoin = values + join * kCellsPerNode;
  for (std::size_t n = join + 1; n < nodes; ++n) {
    const double* own = values + n * kCellsPerNode;
    for (int k = 0; k < kCellsPerNode; ++k) {
      track_.push_back(std::max(0.0, penelope[k] + (own[k] - ownAtJoin[k])));
    }
    nodes_.push_back(energies[n]);
  }
}

ElectronPenetration::Bracket ElectronPenetration::BracketOf(double T0) {
  using namespace penetration_layout;
  return BracketIn(kNodeVoltages.data(), static_cast<int>(kNodeVoltages.size()), T0);
}

ElectronPenetration::Bracket ElectronPenetration::NodesAround(double T0) const {
  return BracketIn(nodes_.data(), static_cast<int>(nodes_.size()), T0);
}

TargetMaterial TableElementOf(TargetMaterial target) {
  switch (target) {
    case TargetMaterial::Tungsten:
    case TargetMaterial::Gold: return TargetMaterial::Tungsten;
    default: return TargetMaterial::Molybdenum;
  }
}

const ElectronPenetration& TungstenElectronPenetration() { return ElectronPenetrationOf(TargetMaterial::Tungsten); }

const ElectronPenetration& ElectronPenetrationOf(TargetMaterial target) {
  static const ElectronPenetration tungstenTable(TargetMaterial::Tungsten);
  if (TableElementOf(target) == TargetMaterial::Tungsten) return tungstenTable;  // gold too
  static const ElectronPenetration molybdenum(TargetMaterial::Molybdenum);
  return molybdenum;  // rhodium and silver too, each in units of its own range
}

}  // namespace kestrix
