#pragma once
// Electrons in a transmission target: a tungsten layer 0 <= z < t on a window that fills z >= t,
// electrons of T0 falling along the normal (+z). For each incident energy T0 and scaled layer
// thickness tau = t / R_W(T0) (R_W tungsten's CSDA range, electron_stopping_power.h) the own electron
// Monte Carlo (tools/physics/electron_transport.cpp) tabulates the track the electrons leave
//  - in the layer, by depth z / t, energy T / T0 and direction cosine to +z, in units of R_W(T0);
//  - in the window, by depth (z - t) / R_win(T0), the same energy and direction cells, in units of
//    R_win(T0), the window material's CSDA range;
// with the backscattered electrons (leaving through z < 0) lost. Compiled in from
// data/physics/electron_transmission_W_<window>.compact.txt, the half-precision form of
// electron_transmission_W_<window>.txt rounded to 8 bits of the fraction (2^-9 relative at most, far
// below the Monte Carlo's noise; tools/physics/compact_electron_transmission.py), 0.2 MB each in the
// program and 0.17 MB in the web page.
//
// Between the table's nodes (T0 and tau) the values are interpolated in scaled variables, as
// electron_penetration.h does: first linearly in log T0 at each tau node, then in log tau. In tau
// the layer's and the window's total track are interpolated linearly in log tau of their logarithm
// (exact for a total that grows as a power of tau, as it does in thin layers, and for one that has
// saturated), their shares over the cells linearly in log tau.
// Outside the tau nodes:
//  - above the last node (0.8) the last node's layer table is used with its depth cells over
//    0.8 R_W, where the electrons stop; the rest of the layer only attenuates; the last node's
//    window track (the few electrons that cross 0.8 R_W of tungsten) is left out, they would run on
//    in tungsten instead;
//  - below the first node (0.005) the thin-layer limit: the incident electrons cross the layer nearly
//    straight and unslowed, and those the window backscatters cross it once more, both in proportion
//    to t; the detours of the multiple scattering grow in proportion to the depth crossed. So the
//    first node's layer cells are scaled by tau / 0.005, and each direction cell's track per unit tau
//    is carried on linearly in tau through the first two nodes (0.005, 0.01), never below zero; the
//    window's table is the first node's. Sound the better the thinner the layer: at 0.005 the
//    delivered tables hold 0.98 tau of track in the forward direction cell, 75-91 % of the layer's
//    track within 3 % of T0.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "transmission_target.h"

namespace kestrix {

namespace transmission_layout {
/// incident electron energies of the table [keV]
constexpr std::array<double, 7> kNodeVoltages{20, 30, 50, 80, 130, 200, 300};
/// scaled layer thicknesses tau = t / R_W(T0) of the table [1]
constexpr std::array<double, 8> kTauNodes{0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.4, 0.8};
/// cells of depth z / t in the layer, each 1 / kLayerDepthBins deep
constexpr int kLayerDepthBins = 6;
/// cells of reduced energy T / T0, each 1 / kEnergyBins wide
constexpr int kEnergyBins = 32;
/// cells of the direction cosine to +z, each 2 / kDirectionBins wide, from -1
constexpr int kDirectionBins = 8;
/// cells of depth (z - t) / R_win(T0) in the window, each kWindowDepthMax / kWindowDepthBins deep (the
/// last holds everything deeper)
constexpr int kWindowDepthBins = 2;
constexpr double kWindowDepthMax = 1.0;
constexpr int kLayerCells = kLayerDepthBins * kEnergyBins * kDirectionBins;
constexpr int kWindowCells = kWindowDepthBins * kEnergyBins * kDirectionBins;
/// numbers per block: backscattered fraction, fraction entering the window, mean energy deposited in
/// the layer over T0, then the layer's and the window's cells
constexpr int kSummaryNumbers = 3;
constexpr int kBlockNumbers = kSummaryNumbers + kLayerCells + kWindowCells;
/// numbers before the first block: the 7 sizes, the T0 nodes, the tau nodes
constexpr int kHeaderNumbers = 7 + static_cast<int>(kNodeVoltages.size()) + static_cast<int>(kTauNodes.size());
constexpr std::size_t kTableNumbers =
    kHeaderNumbers + kNodeVoltages.size() * kTauNodes.size() * static_cast<std::size_t>(kBlockNumbers);

/// index of cell (depth j, energy m, direction c) in a block's layer or window cells
constexpr int CellIndex(int j, int m, int c) { return (j * kEnergyBins + m) * kDirectionBins + c; }
}  // namespace transmission_layout

/// the electrons of one incident energy in one layer, interpolated from the table
struct TransmissionTracks {
  /// depth of the layer over which its cells spread, in units of R_W(T0): tau, at most 0.8 [1]
  double layerDepth = 0;
  /// track by cell (transmission_layout::CellIndex) in units of R_W(T0) [1]
  std::array<double, transmission_layout::kLayerCells> layer{};
  /// track in the window by cell in units of R_win(T0) [1]
  std::array<double, transmission_layout::kWindowCells> window{};
  double backscattered = 0;  /// share of the electrons that leave through the front [1]
  double enteringWindow = 0;  /// share of the electrons that enter the window [1]
  double deposited = 0;       /// mean energy deposited in the layer over T0 [1]
};

class ElectronTransmission {
 public:
  /// the delivered table of a window material; throws std::logic_error when its layout differs from
  /// transmission_layout
  explicit ElectronTransmission(TransmissionWindow window);
  /// a table in the agreed layout (the numbers of the text file in their order); throws
  /// std::logic_error on another layout or a negative or non-finite value; `tolerance` is the
  /// relative deviation the node values may have (the compact form's rounding: 4e-3) [1]
  explicit ElectronTransmission(const std::vector<double>& numbers, double tolerance = 1e-6);

  /// the tracks of incident energy T0 [keV] (held to 20..300 keV) in a layer of scaled thickness
  /// tau = t / R_W(T0) > 0 [1]
  TransmissionTracks At(double T0, double tau) const;

  /// the block of node (T0 node n, tau node s) as it is tabulated
  TransmissionTracks Node(int n, int s) const;

 private:
  std::vector<double> blocks_;  // every block in the table's order, kBlockNumbers each
};

/// Expands the 16-bit codes of a compact table (tools/physics/compact_electron_transmission.py): a
/// code below 32768 is the half-precision bit pattern of a value, 32768 + n a run of n zeros.
std::vector<double> ExpandCompactTable(const std::uint16_t* codes, std::size_t count);

/// the value of an IEEE 754 half-precision bit pattern (no sign: codes below 32768)
double HalfPrecisionValue(std::uint16_t code);

/// the delivered table of a window material, built once
const ElectronTransmission& ElectronTransmissionOf(TransmissionWindow window);

}  // namespace kestrix
