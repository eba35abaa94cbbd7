#pragma once
// Electrons in the target: how much track the electrons of one incident energy leave at each depth,
// energy and direction (compiled in from data/physics/electron_penetration_W.txt, PENELOPE's
// simulations as SpekPy tabulates them, 10 to 300 keV; and for tungsten above 300 keV from
// data/physics/electron_penetration_W_high.txt, the project's own electron Monte Carlo,
// tools/physics/electron_transport.cpp). Backscattered electrons leave the target and so leave no
// further track: the table holds the backscatter losses.
//
// The two sources are joined at their shared incident energy T_J = 300 keV in scaled variables:
// above it, each cell of an own-Monte-Carlo node T0 is PENELOPE's value at T_J plus the own Monte
// Carlo's change from T_J to T0 in that cell (never below zero),
//     track(T0) = max(0, track_PENELOPE(T_J) + track_MC(T0) - track_MC(T_J)),
// so PENELOPE's table stays the table at T_J and every node above carries PENELOPE's difference
// from the own Monte Carlo at T_J. (The ratio track_PENELOPE(T_J) / track_MC(T_J) carried instead
// would multiply the statistical noise of the many sparsely filled cells; docs/physics.md.)
// Up to 300 keV nothing of the second file is used.
//
// Between the incident energies of the table the values are blended linearly in log T0 in scaled
// variables (depth over the CSDA range, energy over T0), in which the table changes slowly; below
// the lowest node the lowest node's scaled table is used, above the highest the highest's.

#include <array>
#include <cstddef>
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
  /// the delivered table of the target's TableElementOf (tungsten by default); throws
  /// std::logic_error when its layout differs from penetration_layout
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
  /// over the PENELOPE nodes kNodeVoltages alone
  static Bracket BracketOf(double T0);
  /// over this table's nodes (for tungsten the PENELOPE nodes and the joined nodes above 300 keV);
  /// the same bracket as BracketOf up to 300 keV
  Bracket NodesAround(double T0) const;

  /// incident energies of this table's nodes [keV], ascending: kNodeVoltages, then for tungsten the
  /// own Monte Carlo's nodes above 300 keV
  const std::vector<double>& NodeVoltages() const { return nodes_; }

  /// appends the joined nodes above 300 keV built from a table in the delivered layout (node count, J,
  /// M, C, largest scaled depth, node energies, values) whose nodes include the joining energy 300 keV:
  /// exposed so that the join can be tested on a small table; throws std::logic_error on another
  /// layout, a missing 300 keV node or a negative or non-finite value
  void JoinAbove(const double* data, std::size_t count);

 private:
  std::vector<double> nodes_;
  std::vector<double> track_;
};

/// incident energy at which the PENELOPE table and the own Monte Carlo's are joined [keV]
constexpr double kJoinVoltage = 300;

/// the element whose PENELOPE table stands for the target's, in units of the target's own CSDA
/// range (as Omar et al. do for rhodium): the nearest atomic number with a delivered table. Tungsten
/// and molybdenum are their own; rhodium (Z 45) and silver (47) take molybdenum's (42), gold (79)
/// tungsten's (74)
TargetMaterial TableElementOf(TargetMaterial target);

/// the delivered table, built once
const ElectronPenetration& TungstenElectronPenetration();

/// the delivered table of a target, built once
const ElectronPenetration& ElectronPenetrationOf(TargetMaterial target);

}  // namespace kestrix
