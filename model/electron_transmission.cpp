#include "electron_transmission.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace kestrix {

namespace embedded {
extern const std::uint16_t kElectronTransmissionDiamond[];
extern const std::size_t kElectronTransmissionDiamondCount;
extern const std::uint16_t kElectronTransmissionBeryllium[];
extern const std::size_t kElectronTransmissionBerylliumCount;
extern const std::uint16_t kElectronTransmissionAluminium[];
extern const std::size_t kElectronTransmissionAluminiumCount;
}  // namespace embedded

using namespace transmission_layout;

namespace {

constexpr int kTauCount = static_cast<int>(kTauNodes.size());
constexpr int kNodeCount = static_cast<int>(kNodeVoltages.size());

/// the two nodes of `nodes` (ascending) around x and the weight of the upper one, linear in log x;
/// held to the ends
struct LogBracket {
  int lower;
  int upper;
  double upperWeight;
};

template <std::size_t N>
LogBracket BracketIn(const std::array<double, N>& nodes, double x) {
  const int last = static_cast<int>(N) - 1;
  if (!(x > nodes[0])) return {0, 0, 0.0};
  if (!(x < nodes[last])) return {last, last, 0.0};
  int upper = 1;
  while (nodes[upper] < x) ++upper;
  if (nodes[upper] == x) return {upper, upper, 0.0};  // a node is the table itself
  return {upper - 1, upper, std::log(x / nodes[upper - 1]) / std::log(nodes[upper] / nodes[upper - 1])};
}

bool Near(double value, double expected, double tolerance) {
  return std::abs(value - expected) <= tolerance * std::abs(expected);
}

/// a + w (b - a) for every value
template <std::size_t N>
void Blend(const std::array<double, N>& a, const std::array<double, N>& b, double w, std::array<double, N>& out) {
  for (std::size_t k = 0; k < N; ++k) out[k] = a[k] + w * (b[k] - a[k]);
}

template <std::size_t N>
double Total(const std::array<double, N>& cells) {
  double sum = 0;
  for (const double value : cells) sum += value;
  return sum;
}

/// the cells between two tau nodes: the total linear in log tau of its logarithm (linear in log tau
/// when either total is zero), the shares over the cells linear in log tau
template <std::size_t N>
void BlendInTau(const std::array<double, N>& lower, const std::array<double, N>& upper, double w,
                std::array<double, N>& out) {
  const double lowerTotal = Total(lower), upperTotal = Total(upper);
  if (!(lowerTotal > 0) || !(upperTotal > 0)) {
    Blend(lower, upper, w, out);
    return;
  }
  const double total = std::exp(std::log(lowerTotal) + w * (std::log(upperTotal) - std::log(lowerTotal)));
  for (std::size_t k = 0; k < N; ++k) {
    out[k] = total * ((1.0 - w) * lower[k] / lowerTotal + w * upper[k] / upperTotal);
  }
}

}  // namespace

double HalfPrecisionValue(std::uint16_t code) {
  const int exponent = (code >> 10) & 0x1f;
  const int fraction = code & 0x3ff;
  if (exponent == 0) return std::ldexp(static_cast<double>(fraction), -24);  // subnormal
  if (exponent == 0x1f) return fraction ? std::nan("") : HUGE_VAL;          // refused by the layout check
  return std::ldexp(static_cast<double>(fraction | 0x400), exponent - 25);
}

std::vector<double> ExpandCompactTable(const std::uint16_t* codes, std::size_t count) {
  std::vector<double> numbers;
  numbers.reserve(kTableNumbers);
  for (std::size_t k = 0; k < count; ++k) {
    if (codes[k] >= 0x8000) {
      numbers.insert(numbers.end(), codes[k] - 0x8000u, 0.0);
    } else {
      numbers.push_back(HalfPrecisionValue(codes[k]));
    }
  }
  return numbers;
}

ElectronTransmission::ElectronTransmission(TransmissionWindow window) : ElectronTransmission([window] {
      switch (window) {
        case TransmissionWindow::Beryllium:
          return ExpandCompactTable(embedded::kElectronTransmissionBeryllium, embedded::kElectronTransmissionBerylliumCount);
        case TransmissionWindow::Aluminium:
          return ExpandCompactTable(embedded::kElectronTransmissionAluminium, embedded::kElectronTransmissionAluminiumCount);
        default:
          return ExpandCompactTable(embedded::kElectronTransmissionDiamond, embedded::kElectronTransmissionDiamondCount);
      }
    }(), 4e-3) {}  // the node values as the compact form rounds them (8 bits: 2^-9 and half precision's 2^-11)

ElectronTransmission::ElectronTransmission(const std::vector<double>& numbers, double tolerance) {
  const auto refuse = [](const std::string& what) {
    throw std::logic_error("transmission electron table: " + what);
  };
  if (numbers.size() < static_cast<std::size_t>(kHeaderNumbers)) refuse("too short for its header");
  const double* header = numbers.data();
  if (header[0] != kNodeCount || header[1] != kTauCount || header[2] != kLayerDepthBins || header[3] != kEnergyBins ||
      header[4] != kDirectionBins || header[5] != kWindowDepthBins || !Near(header[6], kWindowDepthMax, tolerance)) {
    refuse("layout differs from the program's (node counts, cells or window depth)");
  }
  for (int n = 0; n < kNodeCount; ++n) {
    if (!Near(header[7 + n], kNodeVoltages[n], tolerance)) refuse("other incident energies");
  }
  for (int s = 0; s < kTauCount; ++s) {
    if (!Near(header[7 + kNodeCount + s], kTauNodes[s], tolerance)) refuse("other layer thicknesses");
  }
  if (numbers.size() != kTableNumbers) {
    refuse(std::to_string(numbers.size()) + " numbers instead of " + std::to_string(kTableNumbers));
  }
  for (std::size_t k = kHeaderNumbers; k < numbers.size(); ++k) {
    if (!(numbers[k] >= 0) || !std::isfinite(numbers[k])) refuse("a negative or non-finite value");
  }
  blocks_.assign(numbers.begin() + kHeaderNumbers, numbers.end());
}

TransmissionTracks ElectronTransmission::Node(int n, int s) const {
  const double* block = blocks_.data() + (static_cast<std::size_t>(n) * kTauCount + s) * kBlockNumbers;
  TransmissionTracks tracks;
  tracks.layerDepth = kTauNodes[s];
  tracks.backscattered = block[0];
  tracks.enteringWindow = block[1];
  tracks.deposited = block[2];
  std::copy(block + kSummaryNumbers, block + kSummaryNumbers + kLayerCells, tracks.layer.begin());
  std::copy(block + kSummaryNumbers + kLayerCells, block + kBlockNumbers, tracks.window.begin());
  return tracks;
}

TransmissionTracks ElectronTransmission::At(double T0, double tau) const {
  const LogBracket energy = BracketIn(kNodeVoltages, T0);
  // the tracks at tau node s, linear in log T0
  const auto atNode = [&](int s) {
    TransmissionTracks lower = Node(energy.lower, s);
    if (energy.upper == energy.lower) return lower;
    const TransmissionTracks upper = Node(energy.upper, s);
    const double w = energy.upperWeight;
    Blend(lower.layer, upper.layer, w, lower.layer);
    Blend(lower.window, upper.window, w, lower.window);
    lower.backscattered += w * (upper.backscattered - lower.backscattered);
    lower.enteringWindow += w * (upper.enteringWindow - lower.enteringWindow);
    lower.deposited += w * (upper.deposited - lower.deposited);
    return lower;
  };
  if (!(tau < kTauNodes.back())) {
    // a thick layer: the electrons stop within 0.8 R_W; none reaches the window
    TransmissionTracks tracks = atNode(kTauCount - 1);
    tracks.window.fill(0.0);
    tracks.enteringWindow = 0;
    return tracks;
  }
  if (!(tau > kTauNodes.front())) {
    // the thin-layer limit: the first node's cells in proportion to the thickness, each direction's
    // track per unit thickness carried on linearly in tau through the first two nodes (the detours of
    // the multiple scattering grow in proportion to the depth crossed), never below zero
    TransmissionTracks tracks = atNode(0);
    const TransmissionTracks second = atNode(1);
    const double tau0 = kTauNodes[0], tau1 = kTauNodes[1];
    const double thickness = std::max(0.0, tau);
    std::array<double, kDirectionBins> first{}, next{};  // track per unit tau by direction [1]
    for (int j = 0; j < kLayerDepthBins; ++j) {
      for (int m = 0; m < kEnergyBins; ++m) {
        for (int c = 0; c < kDirectionBins; ++c) {
          first[c] += tracks.layer[CellIndex(j, m, c)] / tau0;
          next[c] += second.layer[CellIndex(j, m, c)] / tau1;
        }
      }
    }
    std::array<double, kDirectionBins> scale{};
    for (int c = 0; c < kDirectionBins; ++c) {
      const double perTau = std::max(0.0, first[c] + (first[c] - next[c]) * (tau0 - thickness) / (tau1 - tau0));
      scale[c] = thickness / tau0 * (first[c] > 0 ? perTau / first[c] : 1.0);
    }
    for (int j = 0; j < kLayerDepthBins; ++j) {
      for (int m = 0; m < kEnergyBins; ++m) {
        for (int c = 0; c < kDirectionBins; ++c) tracks.layer[CellIndex(j, m, c)] *= scale[c];
      }
    }
    tracks.layerDepth = thickness;
    return tracks;
  }
  const LogBracket thickness = BracketIn(kTauNodes, tau);
  TransmissionTracks tracks = atNode(thickness.lower);
  tracks.layerDepth = tau;
  if (thickness.upper == thickness.lower) return tracks;
  const TransmissionTracks upper = atNode(thickness.upper);
  const double w = thickness.upperWeight;
  BlendInTau(tracks.layer, upper.layer, w, tracks.layer);
  BlendInTau(tracks.window, upper.window, w, tracks.window);
  tracks.backscattered += w * (upper.backscattered - tracks.backscattered);
  tracks.enteringWindow += w * (upper.enteringWindow - tracks.enteringWindow);
  tracks.deposited += w * (upper.deposited - tracks.deposited);
  tracks.layerDepth = tau;
  return tracks;
}

const ElectronTransmission& ElectronTransmissionOf(TransmissionWindow window) {
  switch (window) {
    case TransmissionWindow::Beryllium: {
      static const ElectronTransmission beryllium(TransmissionWindow::Beryllium);
      return beryllium;
    }
    case TransmissionWindow::Aluminium: {
      static const ElectronTransmission aluminium(TransmissionWindow::Aluminium);
      return aluminium;
    }
    default: {
      static const ElectronTransmission diamond(TransmissionWindow::Diamond);
      return diamond;
    }
  }
}

}  // namespace kestrix
