#pragma once
// All program-wide calculation state: one object that lives as long as the program.

#include <string>

#include "arbitrary_filter_set.h"
#include "attenuation_table.h"
#include "energy_grid.h"

namespace kestrix {

struct CalculationState {
  /// the attenuation table in use; meaningful only when tableLoaded
  AttenuationTable table;
  bool tableLoaded = false;
  /// last computed spectrum: the displayed quantity in bins 2..floor(2 kVp), 0 elsewhere [relative]
  GridArray SpectrumBins{};
  /// scratch emission of the last waveform sample, bins 2..floor(2 T0) of that sample [relative]
  GridArray PhaseEmission{};
  /// largest value of SpectrumBins over the spectrum's bins; 0 before the first run [relative]
  double SpectrumPeak = 0;
  /// the arbitrary-material filters
  ArbitraryFilterSet filters;

  /// Reads the table from `path` into a fresh table and takes it over only when the whole
  /// table was read; otherwise throws TableLoadError naming the file (and the row) and the
  /// table in use stays as it was.
  void LoadAttenuationTable(const std::string& path = kAttenuationTableFile);
};

}  // namespace kestrix
