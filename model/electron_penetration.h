#pragma once
// Electrons in the target: how much track the electrons of one incident energy leave at each depth,
// energy and direction, from the electron Monte Carlo of tools/physics/electron_transport.cpp
// (compiled in from data/physics/electron_penetration_W.txt). Backscattered electrons leave the
// target and so leave no further track: the table holds the backscatter losses.
//
// Between the incident energies of the table the values are blended linearly in log T0 in scaled
// variables (depth over the CSDA range, energy over T0), in which the table changes slowly; below
// the lowest node the lowest node's scaled table is used.

#include <array>
#include <vector>

#include "target_material.h"

namespace kestrix {

namespace penetration_layout {
/// incident electron energies of the table [keV]
constexpr std::array<double, 14> kNodeVoltages{10, 15, 20, 30, 40, 50, 60, 80, 100, 120, 150, 200, 250, 300};
/// cells of scaled depth z / R(T0) [1], each kMaximumScaledDepth / kDepthBins deep
constexpr int kDepthBins = 24;
constexpr double kMaximumScaledDepth = 0.6;
/// cells of reduced energy T / T0, each 1 / kEnergyBins wide
constexpr int kEnergyBins = 32;
/// cells of the direction cosine to the inward normal, each 2 / kDirectionBins wide
constexpr int kDirectionBins = 8;
constexpr int kCellsPerNode = kDepthBins * kEnergyBins * kDirectionBins;
}  // namespace penetration_layout

class ElectronPenetration {
 public:
  /// the delivered table of the target (tungsten by default; rhodium is molybdenum's table, which in
  /// units of the CSDA range stands for rhodium's); throws std::logic_error when its layout differs
  /// from penetration_layout
  explicit ElectronPenetration(TargetMaterial target = TargetMaterial::Tungsten);

  /// track length in cell (depth j, energy m, direction c) of node n, in units of R(T0) [1]
  double Track(int node, int j, int m, int c) const {
    using namespace penetration_layout;
    return track_[static_cast<std::size_t>(node) * kCellsPerNode + (j * kEnergyBins + m) * kDirectionBins + c];
  }

  /// the two nodes around T0 [keV] and the weight of the upper one (linear in log T0)
  struct Bracket {
    int lower;
    int upper;
    double upperWeight;
  };
  static Bracket BracketOf(double T0);

 private:
  std::vector<double> track_;
};

/// the delivered table, built once
const ElectronPenetration& TungstenElectronPenetration();

/// the delivered table of a target, built once
const ElectronPenetration& ElectronPenetrationOf(TargetMaterial target);

}  // namespace kestrix
