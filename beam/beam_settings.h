#pragma once
// What one calculation is asked for, in numbers and choices: the model, the entries, the waveform,
// the displayed quantity and the material filters; and the words every front end uses for the choices.

#include <optional>
#include <string>

#include "calculation_run.h"
#include "filtration_fit.h"
#include "model_codes.h"

namespace kestrix {

/// A material filter to load: a .ele or .mix file and its thickness.
struct FilterRequest {
  std::string path;
  double thicknessMm = 0;  /// filter thickness [mm]
};

/// A material filter as loaded for the run.
struct LoadedFilter {
  std::string path;
  std::string description;  /// first line of the material file
  double thicknessMm = 0;   /// [mm]
};

/// The inputs of one calculation.
struct RunSettings {
  SpectrumModel model = SpectrumModel::Tucker;
  RunEntries entries;
  RectificationType waveform = RectificationType::ConstantPotential;
  DisplayQuantity quantity = DisplayQuantity::PhotonNumber;
  double distanceMm = 1000;  /// distance from the focal spot of the absolute output [mm]
};

/// The words for a choice, as kestrix-cli's options and the Python package accept them
/// ("tucker", "12-peak", "photon").
const char* ModelKeyword(SpectrumModel model);
const char* WaveformKeyword(RectificationType type);
const char* QuantityKeyword(DisplayQuantity quantity);
/// "al-eq", "al" or "cu"
const char* FittedEntryKeyword(FittedEntry entry);

/// The choice a word names, compared without regard to case; nullopt for any other word.
std::optional<SpectrumModel> ModelOfKeyword(const std::string& word);
std::optional<RectificationType> WaveformOfKeyword(const std::string& word);
std::optional<DisplayQuantity> QuantityOfKeyword(const std::string& word);

/// "tucker | birch", the words of every model for a message
std::string ModelKeywordList();

}  // namespace kestrix
