#include "electron_transmission.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <stdexcept>
#include <vector>

#include "synthetic_transmission.h"

namespace kestrix::embedded {
// the text tables themselves, compiled into the tests only, to check their compact form
extern const float kElectronTransmissionTextDiamond[];
extern const std::size_t kElectronTransmissionTextDiamondCount;
extern const float kElectronTransmissionTextBeryllium[];
extern const std::size_t kElectronTransmissionTextBerylliumCount;
extern const float kElectronTransmissionTextAluminium[];
extern const std::size_t kElectronTransmissionTextAluminiumCount;
extern const std::uint16_t kElectronTransmissionDiamond[];
extern const std::size_t kElectronTransmissionDiamondCount;
extern const std::uint16_t kElectronTransmissionBeryllium[];
extern const std::size_t kElectronTransmissionBerylliumCount;
extern const std::uint16_t kElectronTransmissionAluminium[];
extern const std::size_t kElectronTransmissionAluminiumCount;
}  // namespace kestrix::embedded

namespace kestrix {
namespace {

using namespace transmission_layout;

template <std::size_t N>
double Sum(const std::array<double, N>& cells) {
  return std::accumulate(cells.begin(), cells.end(), 0.0);
}

const ElectronTransmission& Synthetic() {
  static const ElectronTransmission table(test::SyntheticTransmissionNumbers());
  return table;
}

// --- half precision and the compact codes ---

TEST(HalfPrecision, KnownBitPatterns) {
  EXPECT_EQ(HalfPrecisionValue(0x3C00), 1.0);
  EXPECT_EQ(HalfPrecisionValue(0x3800), 0.5);
  EXPECT_EQ(HalfPrecisionValue(0x4D00), 20.0);
  EXPECT_EQ(HalfPrecisionValue(0x5CB0), 300.0);
  EXPECT_EQ(HalfPrecisionValue(0x7BFF), 65504.0);
  EXPECT_EQ(HalfPrecisionValue(0x0400), std::ldexp(1.0, -14));  // smallest normal
  EXPECT_EQ(HalfPrecisionValue(0x0001), std::ldexp(1.0, -24));  // smallest subnormal
  EXPECT_EQ(HalfPrecisionValue(0x0000), 0.0);
  EXPECT_FALSE(std::isfinite(HalfPrecisionValue(0x7C00)));
}

TEST(CompactTable, ExpandsValuesAndRunsOfZeros) {
  const std::uint16_t codes[] = {0x3C00, 0x8003, 0x4000, 0x8001};
  EXPECT_EQ(ExpandCompactTable(codes, 4), (std::vector<double>{1, 0, 0, 0, 2, 0}));
  EXPECT_TRUE(ExpandCompactTable(codes, 0).empty());
}

// --- layout checks ---

TEST(TransmissionLayout, AcceptsTheAgreedLayout) {
  EXPECT_EQ(test::SyntheticTransmissionNumbers().size(), kTableNumbers);
  EXPECT_NO_THROW(ElectronTransmission{test::SyntheticTransmissionNumbers()});
}

TEST(TransmissionLayout, RefusesAMissingNumber) {
  std::vector<double> numbers = test::SyntheticTransmissionNumbers();
  numbers.pop_back();
  EXPECT_THROW(ElectronTransmission{numbers}, std::logic_error);
}

TEST(TransmissionLayout, RefusesOtherCellsOrNodes) {
  for (const std::size_t at : {std::size_t{0}, std::size_t{2}, std::size_t{3}, std::size_t{6}, std::size_t{9},
                               std::size_t{7 + 7 + 3}}) {
    std::vector<double> numbers = test::SyntheticTransmissionNumbers();
    numbers[at] *= 1.5;
    EXPECT_THROW(ElectronTransmission{numbers}, std::logic_error) << "number " << at;
  }
}

TEST(TransmissionLayout, RefusesNegativeOrNonFiniteValues) {
  for (const double bad : {-1e-6, std::nan(""), HUGE_VAL}) {
    std::vector<double> numbers = test::SyntheticTransmissionNumbers();
    numbers[kHeaderNumbers + 100] = bad;
    EXPECT_THROW(ElectronTransmission{numbers}, std::logic_error) << bad;
  }
}

TEST(TransmissionLayout, NodeValuesWithinTheTolerance) {
  std::vector<double> numbers = test::SyntheticTransmissionNumbers();
  numbers[7 + 7] = 0.005 * (1 + 4e-4);  // the first tau node as half precision rounds it
  EXPECT_THROW(ElectronTransmission{numbers}, std::logic_error);
  EXPECT_NO_THROW(ElectronTransmission(numbers, 1e-3));
}

// --- interpolation ---

TEST(TransmissionInterpolation, NodesAreTheTable) {
  const TransmissionTracks node = Synthetic().Node(2, 3);  // 50 keV, tau 0.05
  const TransmissionTracks at = Synthetic().At(50, 0.05);
  EXPECT_EQ(at.layer, node.layer);
  EXPECT_EQ(at.window, node.window);
  EXPECT_EQ(at.layerDepth, 0.05);
}

TEST(TransmissionInterpolation, LinearInLogT0) {
  const double T0 = std::sqrt(30.0 * 50.0);  // half-way in log T0
  const TransmissionTracks at = Synthetic().At(T0, 0.1);
  const TransmissionTracks low = Synthetic().Node(1, 4), high = Synthetic().Node(2, 4);
  for (int k = 0; k < kLayerCells; k += 37) EXPECT_NEAR(at.layer[k], 0.5 * (low.layer[k] + high.layer[k]), 1e-15);
  EXPECT_NEAR(at.enteringWindow, 0.5 * (low.enteringWindow + high.enteringWindow), 1e-15);
}

TEST(TransmissionInterpolation, TotalTrackGeometricInLogTau) {
  const double tau = std::sqrt(0.01 * 0.02);
  const TransmissionTracks at = Synthetic().At(80, tau);
  const double low = Sum(Synthetic().Node(3, 1).layer), high = Sum(Synthetic().Node(3, 2).layer);
  EXPECT_NEAR(Sum(at.layer), std::sqrt(low * high), 1e-12 * high);
  // a track that grows in proportion to tau is exact: in the synthetic table it nearly does
  EXPECT_NEAR(Sum(at.layer) / tau, low / 0.01, 0.05 * low / 0.01);
  EXPECT_EQ(at.layerDepth, tau);
}

/// track per unit tau by direction cell of a block's layer [1]
std::array<double, kDirectionBins> PerTauByDirection(const TransmissionTracks& tracks, double tau) {
  std::array<double, kDirectionBins> sums{};
  for (int j = 0; j < kLayerDepthBins; ++j) {
    for (int m = 0; m < kEnergyBins; ++m) {
      for (int c = 0; c < kDirectionBins; ++c) sums[c] += tracks.layer[CellIndex(j, m, c)] / tau;
    }
  }
  return sums;
}

TEST(TransmissionInterpolation, ThinLayersCarryTheFirstNodesOnLinearlyInTau) {
  const TransmissionTracks first = Synthetic().Node(4, 0), second = Synthetic().Node(4, 1);
  const std::array<double, kDirectionBins> a = PerTauByDirection(first, 0.005), b = PerTauByDirection(second, 0.01);
  for (const double tau : {0.001, 0.003}) {
    const TransmissionTracks thin = Synthetic().At(130, tau);
    const std::array<double, kDirectionBins> at = PerTauByDirection(thin, tau);
    for (int c = 0; c < kDirectionBins; ++c) {
      // the straight line through the two nodes, at tau, never below zero
      const double expected = std::max(0.0, a[c] + (a[c] - b[c]) * (0.005 - tau) / 0.005);
      EXPECT_NEAR(at[c], expected, 1e-12 * (a[c] + b[c]) + 1e-300) << tau << " " << c;
    }
    // within each direction the first node's cells, in their proportions
    for (int k = 0; k < kLayerCells; k += 29) {
      const int c = k % kDirectionBins;
      if (a[c] > 0) EXPECT_NEAR(thin.layer[k], first.layer[k] * at[c] / a[c] * tau / 0.005, 1e-12 * first.layer[k]);
    }
    EXPECT_EQ(thin.window, first.window);
    EXPECT_EQ(thin.layerDepth, tau);
  }
  // continuous at the first node
  const TransmissionTracks justBelow = Synthetic().At(130, 0.005 * (1 - 1e-9));
  for (int k = 0; k < kLayerCells; k += 31) EXPECT_NEAR(justBelow.layer[k], first.layer[k], 1e-8 * first.layer[k] + 1e-300);
}

TEST(DeliveredTransmissionTables, TheThinLimitTendsToTheStraightPassage) {
  // as the layer vanishes its track per unit thickness tends to that of a straight crossing (1) plus
  // the window's backscattered electrons crossing back: between 1 and 1.6 for every window
  for (const TransmissionWindow window : TransmissionWindows()) {
    for (const double T0 : {20.0, 100.0, 300.0}) {
      const double tau = 1e-4;
      const TransmissionTracks thin = ElectronTransmissionOf(window).At(T0, tau);
      const double perTau = Sum(thin.layer) / tau;
      EXPECT_GT(perTau, 1.0) << TransmissionWindowName(window) << " " << T0;
      EXPECT_LT(perTau, 1.6) << TransmissionWindowName(window) << " " << T0;
      EXPECT_LT(perTau, Sum(ElectronTransmissionOf(window).At(T0, 0.005).layer) / 0.005 + 1e-12);
    }
  }
}

TEST(TransmissionInterpolation, ThickLayerStopsTheElectronsWithin08) {
  const TransmissionTracks node = Synthetic().Node(6, 7);
  for (const double tau : {0.8, 1.0, 5.0}) {
    const TransmissionTracks thick = Synthetic().At(300, tau);
    EXPECT_EQ(thick.layer, node.layer);
    EXPECT_EQ(Sum(thick.window), 0.0);
    EXPECT_EQ(thick.enteringWindow, 0.0);
    EXPECT_EQ(thick.layerDepth, 0.8);
  }
}

TEST(TransmissionInterpolation, IncidentEnergyHeldToTheTable) {
  EXPECT_EQ(Synthetic().At(10, 0.1).layer, Synthetic().Node(0, 4).layer);
  EXPECT_EQ(Synthetic().At(500, 0.1).layer, Synthetic().Node(6, 4).layer);
}

TEST(TransmissionInterpolation, NeverNegativeOrNonFinite) {
  for (double T0 = 15; T0 <= 320; T0 *= 1.13) {
    for (double tau = 1e-4; tau < 3; tau *= 1.37) {
      const TransmissionTracks at = Synthetic().At(T0, tau);
      for (const double v : at.layer) ASSERT_TRUE(v >= 0 && std::isfinite(v)) << T0 << " " << tau;
      for (const double v : at.window) ASSERT_TRUE(v >= 0 && std::isfinite(v)) << T0 << " " << tau;
    }
  }
}

// --- the delivered tables ---

struct Delivered {
  TransmissionWindow window;
  const float* text;
  std::size_t textCount;
  const std::uint16_t* codes;
  std::size_t codeCount;
};

std::vector<Delivered> DeliveredTables() {
  using namespace embedded;
  return {{TransmissionWindow::Diamond, kElectronTransmissionTextDiamond, kElectronTransmissionTextDiamondCount,
           kElectronTransmissionDiamond, kElectronTransmissionDiamondCount},
          {TransmissionWindow::Beryllium, kElectronTransmissionTextBeryllium, kElectronTransmissionTextBerylliumCount,
           kElectronTransmissionBeryllium, kElectronTransmissionBerylliumCount},
          {TransmissionWindow::Aluminium, kElectronTransmissionTextAluminium, kElectronTransmissionTextAluminiumCount,
           kElectronTransmissionAluminium, kElectronTransmissionAluminiumCount}};
}

/// bits of the fraction the delivered compact tables keep (tools/physics/compact_electron_transmission.py
/// ... 8): 2^-9 relative at most, far below the Monte Carlo's noise of 1.4 % and more per cell
constexpr int kDeliveredFractionBits = 8;

TEST(DeliveredTransmissionTables, CompactFormIsTheTextWithinItsPrecision) {
  // half precision rounds to 2^-11, the fewer bits to 2^-(bits + 1); below 2^-14 the steps are absolute
  const double relative = std::ldexp(1.0, -11) + std::ldexp(1.0, -(kDeliveredFractionBits + 1));
  const double absolute = std::ldexp(1.0, -24 + (10 - kDeliveredFractionBits));
  for (const Delivered& table : DeliveredTables()) {
    const std::vector<double> expanded = ExpandCompactTable(table.codes, table.codeCount);
    ASSERT_EQ(expanded.size(), table.textCount) << TransmissionWindowName(table.window);
    double largest = 0;
    for (std::size_t k = 0; k < expanded.size(); ++k) {
      const double text = table.text[k];
      ASSERT_NEAR(expanded[k], text, relative * text + absolute) << TransmissionWindowName(table.window) << " " << k;
      if (text > 1e-3) largest = std::max(largest, std::abs(expanded[k] / text - 1));
    }
    // and the rounding is really that coarse, not finer: the tables are what the header says
    EXPECT_GT(largest, std::ldexp(1.0, -(kDeliveredFractionBits + 2))) << TransmissionWindowName(table.window);
  }
}

TEST(DeliveredTransmissionTables, LoadInTheAgreedLayout) {
  for (const TransmissionWindow window : TransmissionWindows()) {
    EXPECT_NO_THROW(ElectronTransmissionOf(window)) << TransmissionWindowName(window);
  }
}

TEST(DeliveredTransmissionTables, SharesAreShares) {
  for (const TransmissionWindow window : TransmissionWindows()) {
    const ElectronTransmission& table = ElectronTransmissionOf(window);
    for (int n = 0; n < static_cast<int>(kNodeVoltages.size()); ++n) {
      for (int s = 0; s < static_cast<int>(kTauNodes.size()); ++s) {
        const TransmissionTracks node = table.Node(n, s);
        EXPECT_LE(node.backscattered, 1.0);
        EXPECT_LE(node.enteringWindow, 1.0);
        EXPECT_LE(node.deposited, 1.0);
        // the track in the layer no longer than its electrons' whole range
        EXPECT_LE(Sum(node.layer), 1.0) << n << " " << s;
      }
    }
  }
}

TEST(DeliveredTransmissionTables, ThickerLayersLetFewerElectronsThrough) {
  for (const TransmissionWindow window : TransmissionWindows()) {
    const ElectronTransmission& table = ElectronTransmissionOf(window);
    for (int n = 0; n < static_cast<int>(kNodeVoltages.size()); ++n) {
      for (int s = 1; s < static_cast<int>(kTauNodes.size()); ++s) {
        // within the Monte Carlo's noise (the track saturates above 0.2 R_W, where it may dip by a few per cent)
        EXPECT_LE(table.Node(n, s).enteringWindow, table.Node(n, s - 1).enteringWindow + 0.01) << n << " " << s;
        EXPECT_GE(Sum(table.Node(n, s).layer), 0.95 * Sum(table.Node(n, s - 1).layer)) << n << " " << s;
        if (kTauNodes[s] <= 0.1) EXPECT_GT(Sum(table.Node(n, s).layer), Sum(table.Node(n, s - 1).layer)) << n << " " << s;
      }
    }
  }
}

}  // namespace
}  // namespace kestrix
