#pragma once
// Program-wide state of Kestrix: lives as long as the program, survives hiding the windows
// and is never saved to disk.

#include <QString>
#include <optional>
#include <vector>

#include "beam_settings.h"
#include "calculation_state.h"
#include "model_codes.h"
#include "palette_color.h"

namespace kestrix {

/// What the last drawn run computed, enough for the beam library to compute it again with
/// every figure.
struct DrawnRun {
  /// model, entries as numbers before the run's corrections, waveform; photon number
  RunSettings settings;
  /// the material files and thicknesses of the arbitrary filters, in slot order
  std::vector<FilterRequest> filters;
  /// why the engine gave no figures for this run (Japanese), empty while it may give them
  QString engineFailure;
};

struct ProgramState {
  /// attenuation table, spectrum, peak and arbitrary filters
  CalculationState calculation;
  /// the model chosen on the start screen
  SpectrumModel spectrumModel = SpectrumModel::Tucker;
  /// tube waveform of the waveform options
  RectificationType rectification = RectificationType::ConstantPotential;
  /// quantity of the display options, used by the run and by the graph's labels
  DisplayQuantity displayQuantity = DisplayQuantity::PhotonNumber;
  /// palette index of the last curve drawn; the results are written in this colour
  int curveColorIndex = kPaletteBlack;
  /// the material files of the arbitrary filters that are set, in slot order
  std::vector<FilterRequest> filterFiles;
  /// the last run whose curve is on the graph; none after Clear Graph, a model choice or a
  /// refused run
  std::optional<DrawnRun> lastRun;
};

}  // namespace kestrix
