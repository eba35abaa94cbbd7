#pragma once
// A transmission electron table in the agreed layout for the model tests, built from the thick
// target's PENELOPE table: the layer's cells take the thick target's track between the depths they
// cover, the window's first depth cell the track beyond the layer (in units of R_W, not R_win). Not
// physics: a table of the right shape and size whose values the tests can predict.

#include <algorithm>
#include <vector>

#include "electron_penetration.h"
#include "electron_transmission.h"

namespace kestrix::test {

/// the numbers of a synthetic table, header first; `windowScale` multiplies the window's cells
inline std::vector<double> SyntheticTransmissionNumbers(double windowScale = 1.0) {
  using namespace transmission_layout;
  namespace reflection = penetration_layout;
  const ElectronPenetration& thick = TungstenElectronPenetration();
  std::vector<double> numbers{static_cast<double>(kNodeVoltages.size()), static_cast<double>(kTauNodes.size()),
                              kLayerDepthBins, kEnergyBins, kDirectionBins, kWindowDepthBins, kWindowDepthMax};
  numbers.insert(numbers.end(), kNodeVoltages.begin(), kNodeVoltages.end());
  numbers.insert(numbers.end(), kTauNodes.begin(), kTauNodes.end());
  const double cell = reflection::kMaximumScaledDepth / reflection::kDepthBins;
  for (const double T0 : kNodeVoltages) {
    const ElectronPenetration::Bracket bracket = thick.NodesAround(T0);
    const auto track = [&](int r, int m, int c) {
      return (1.0 - bracket.upperWeight) * thick.Track(bracket.lower, r, m, c) +
             bracket.upperWeight * thick.Track(bracket.upper, r, m, c);
    };
    for (const double tau : kTauNodes) {
      std::vector<double> layer(kLayerCells, 0.0), window(kWindowCells, 0.0);
      double inWindow = 0;
      for (int r = 0; r < reflection::kDepthBins; ++r) {
        const double low = r * cell, high = (r + 1) * cell;
        for (int j = 0; j < kLayerDepthBins; ++j) {
          const double overlap = std::max(0.0, std::min(high, (j + 1) * tau / kLayerDepthBins) -
                                                   std::max(low, j * tau / kLayerDepthBins)) / cell;
          if (overlap <= 0) continue;
          for (int m = 0; m < kEnergyBins; ++m) {
            for (int c = 0; c < kDirectionBins; ++c) layer[CellIndex(j, m, c)] += overlap * track(r, m, c);
          }
        }
        const double beyond = std::max(0.0, high - std::max(low, tau)) / cell;
        for (int m = 0; m < kEnergyBins; ++m) {
          for (int c = 0; c < kDirectionBins; ++c) {
            window[CellIndex(0, m, c)] += windowScale * beyond * track(r, m, c);
            inWindow += beyond * track(r, m, c);
          }
        }
      }
      numbers.push_back(0.4);
      numbers.push_back(std::min(1.0, inWindow));
      numbers.push_back(0.5);
      numbers.insert(numbers.end(), layer.begin(), layer.end());
      numbers.insert(numbers.end(), window.begin(), window.end());
    }
  }
  return numbers;
}

}  // namespace kestrix::test
