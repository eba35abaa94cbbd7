#pragma once
// Program-wide state of Kestrix: lives as long as the program, survives hiding the windows
// and is never saved to disk.

#include <optional>

#include "calculation_state.h"
#include "engine_table.h"
#include "model_codes.h"
#include "palette_color.h"
#include "run_figures.h"

namespace kestrix {

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
  /// the figures of the last run whose curve is on the graph; none after Clear Graph, a model
  /// choice or a refused run
  std::optional<RunFigures> lastRun;
  /// the engine's copy of the attenuation table, read at the first run after a model choice
  std::optional<EngineTable> engineTable;
};

}  // namespace kestrix
