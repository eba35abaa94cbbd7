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

/// The tube in words, as the "# tube:" line and a spectrum's description name it: "Mo target",
/// "W target, bremsstrahlung alone (no characteristic lines)"
std::string TubeDescription(TargetMaterial target, bool characteristicLines);
/// The transmission target in words: "W transmission target, 1 um on 0.3 mm diamond" (the layer
/// [um] on its window [mm]); empty for the reflection target
std::string TransmissionDescription(TargetMaterial target, const TransmissionTarget& transmission);
/// The tube of a run's entries in words: TubeDescription above for a reflection target; a transmission
/// target as TransmissionDescription, then ", bremsstrahlung alone ..." without the lines
std::string TubeDescription(TargetMaterial target, const RunEntries& entries);
/// true when the "# tube:" line and the model's brackets name the tube: not tungsten, without its
/// lines, or a transmission target
bool TubeIsNamed(TargetMaterial target, const RunEntries& entries);
/// true for a point off the central ray (either angle not 0)
bool IsOffAxis(const RunEntries& entries);
/// The point in words, as the "# point:" line names it: "off axis 5 degrees along (towards the
/// cathode), 0 degrees across"
std::string OffAxisDescription(const RunEntries& entries);
/// What a written spectrum's "# model:" line says, the same from every front end: the model's keyword,
/// then in brackets the tube unless it is the tungsten reflection target with its lines, then the point when it lies off the
/// central ray; `target` is the run's (a quality may have set it)
std::string ModelDescription(SpectrumModel model, TargetMaterial target, const RunEntries& entries);

}  // namespace kestrix
