#pragma once
// The beam-quality figures of one calculation run as the quality window shows them: the engine's
// five figures, computed in process on the exchange file's text exactly as Quillon computes them
// from the file, and the eight extended figures of the full-precision spectrum.

#include <optional>
#include <string>

#include "beam_quality.h"
#include "calculation_run.h"
#include "engine_table.h"
#include "exchange_files.h"
#include "model_codes.h"

namespace kestrix {

struct RunFigures {
  SpectrumModel model = SpectrumModel::Tucker;
  RectificationType waveform = RectificationType::ConstantPotential;
  /// the entries as typed, and as the run computed with them after its corrections
  RunInputTexts texts;
  RunInputs inputs;
  /// number of arbitrary-material filters in the beam
  int materialFilters = 0;
  /// the engine's figures as HVL_S2.temp holds them; nullopt when the engine cannot weigh the
  /// spectrum or its table cannot be read
  std::optional<EngineResults> engine;
  /// why there are no engine figures (English, from the engine; empty when there are)
  std::string engineError;
  /// second layers, homogeneity and mean energies of the full-precision photon spectrum
  ExtendedBeamQuality extended;
};

/// The engine's five figures for the exchange file text `exchangeText` with `table`, rounded as
/// the result file writes them. Throws EngineInputError when the spectrum cannot be weighed.
EngineResults EngineFiguresOf(const std::string& exchangeText, const EngineTable& table);

/// Reads the engine's copy of the attenuation table at `path`; throws EngineInputError naming
/// the file and the reason.
EngineTable LoadEngineTable(const std::string& path);

}  // namespace kestrix
