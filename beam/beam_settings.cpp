#include "beam_settings.h"

#include <algorithm>
#include <cctype>

#include "decimal_text.h"
#include "emission_models.h"
#include "target_material.h"

namespace kestrix {
namespace {

std::string Lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

template <typename Choice, typename Choices>
std::optional<Choice> ChoiceOf(const std::string& word, const Choices& choices, const char* (*keyword)(Choice)) {
  for (const Choice choice : choices) {
    if (Lowercase(word) == keyword(choice)) return choice;
  }
  return std::nullopt;
}

}  // namespace

const char* ModelKeyword(SpectrumModel model) { return EmissionModelFor(model).Keyword(); }

const char* WaveformKeyword(RectificationType type) {
  switch (type) {
    case RectificationType::ThreePhase12Peak: return "12-peak";
    case RectificationType::SinglePhaseFullWave: return "single-phase";
    default: return "constant";
  }
}

const char* QuantityKeyword(DisplayQuantity quantity) {
  switch (quantity) {
    case DisplayQuantity::Exposure: return "exposure";
    case DisplayQuantity::Energy: return "energy";
    default: return "photon";
  }
}

const char* FittedEntryKeyword(FittedEntry entry) {
  switch (entry) {
    case FittedEntry::InherentAluminiumEquivalent: return "al-eq";
    case FittedEntry::AddedCopper: return "cu";
    default: return "al";
  }
}

std::optional<SpectrumModel> ModelOfKeyword(const std::string& word) {
  return ChoiceOf(word, SpectrumModels(), &ModelKeyword);
}

std::optional<RectificationType> WaveformOfKeyword(const std::string& word) {
  const RectificationType types[] = {RectificationType::ConstantPotential, RectificationType::ThreePhase12Peak,
                                     RectificationType::SinglePhaseFullWave};
  return ChoiceOf(word, types, &WaveformKeyword);
}

std::optional<DisplayQuantity> QuantityOfKeyword(const std::string& word) {
  const DisplayQuantity quantities[] = {DisplayQuantity::PhotonNumber, DisplayQuantity::Exposure,
                                        DisplayQuantity::Energy};
  return ChoiceOf(word, quantities, &QuantityKeyword);
}

std::string ModelKeywordList() {
  std::string list;
  for (const SpectrumModel model : SpectrumModels()) list += (list.empty() ? "" : " | ") + std::string(ModelKeyword(model));
  return list;
}

std::string TubeDescription(TargetMaterial target, bool characteristicLines) {
  return std::string(TargetSymbol(target)) + " target" +
         (characteristicLines ? "" : ", bremsstrahlung alone (no characteristic lines)");
}

std::string TransmissionDescription(TargetMaterial target, const TransmissionTarget& transmission) {
  if (!transmission.IsTransmission()) return std::string();
  return std::string(TargetSymbol(target)) + " transmission target, " + ShortestDecimal(transmission.layerUm) + " um on " +
         ShortestDecimal(transmission.windowMm) + " mm " + TransmissionWindowName(transmission.window);
}

std::string TubeDescription(TargetMaterial target, const RunEntries& entries) {
  if (!entries.transmission.IsTransmission()) return TubeDescription(target, entries.characteristicLines);
  return TransmissionDescription(target, entries.transmission) +
         (entries.characteristicLines ? "" : ", bremsstrahlung alone (no characteristic lines)");
}

bool TubeIsNamed(TargetMaterial target, const RunEntries& entries) {
  return target != TargetMaterial::Tungsten || !entries.characteristicLines || entries.transmission.IsTransmission();
}

bool IsOffAxis(const RunEntries& entries) { return entries.offAxisAlongDegrees != 0 || entries.offAxisAcrossDegrees != 0; }

std::string OffAxisDescription(const RunEntries& entries) {
  return "off axis " + ShortestDecimal(entries.offAxisAlongDegrees) + " degrees along (positive towards the cathode), " +
         ShortestDecimal(entries.offAxisAcrossDegrees) + " degrees across";
}

std::string ModelDescription(SpectrumModel model, TargetMaterial target, const RunEntries& entries) {
  std::string text = ModelKeyword(model);
  if (TubeIsNamed(target, entries)) text += " (" + TubeDescription(target, entries) + ")";
  if (IsOffAxis(entries)) text += " (" + OffAxisDescription(entries) + ")";
  return text;
}

}  // namespace kestrix
