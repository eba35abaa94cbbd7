#include "beam_inputs.h"

#include <cmath>

#include "beam_settings.h"
#include "decimal_text.h"
#include "emission_models.h"
#include "transmission_emission.h"

namespace kestrix {
namespace {

std::optional<std::string> ThicknessProblem(double mm) {
  if (mm < 0) return ShortestDecimal(mm) + " mm is a negative thickness (0 mm or more)";
  return std::nullopt;
}

std::optional<std::string> ValueProblem(BeamInput input, double value, SpectrumModel model, TargetMaterial target) {
  switch (input) {
    case BeamInput::TubeVoltage: return VoltageRefusal(value, model, target);
    case BeamInput::TargetAngle: return std::nullopt;  // the run judges the angle with its own message
    default: return ThicknessProblem(value);
  }
}

/// A swept window or aluminium equivalent that leaves Tucker's model without inherent filtration:
/// a single run replaces it (and says so), a sweep refuses it rather than give the replacement's
/// beam as a row of its own.
std::optional<std::string> ReplacementProblem(const RunSettings& settings, BeamInput input, double value) {
  if (input != BeamInput::Beryllium && input != BeamInput::AluminiumEquivalent) return std::nullopt;
  RunEntries entries = settings.entries;
  EntryValue(entries, input) = value;
  if (!CorrectRunEntries(entries, settings.model).inherentFiltrationReplaced) return std::nullopt;
  return ShortestDecimal(value) + " mm leaves no inherent filtration (" + ShortestDecimal(entries.berylliumMm) +
         " mm Be + " + ShortestDecimal(entries.aluminiumEquivalentMm) + " mm Al eq.), which the " +
         ModelKeyword(settings.model) + " model needs; a sweep does not replace it";
}

/// "30 kV", "12 degrees", "0.5 mm"
std::string ValueText(BeamInput input, double value) {
  const char* unit = input == BeamInput::TubeVoltage ? " kV" : input == BeamInput::TargetAngle ? " degrees" : " mm";
  return ShortestDecimal(value) + unit;
}

}  // namespace

std::optional<std::string> VoltageRefusal(double kiloVolts, SpectrumModel model, TargetMaterial target) {
  const VoltageRange range = ModelVoltageRange(model, target);
  if (range.Contains(kiloVolts)) return std::nullopt;
  return ShortestDecimal(kiloVolts) + " kV is outside the " + ModelKeyword(model) + " model's range of " +
         ShortestDecimal(range.lowest) + " to " + ShortestDecimal(range.highest) + " kV" +
         (target == TargetMaterial::Tungsten ? "" : std::string(" for ") + TargetSymbol(target));
}

std::optional<std::string> TransmissionTubeRefusal(SpectrumModel model, const RunEntries& entries, double kiloVolts) {
  // a layer below zero or not a number is no target at all, not the reflection target of a zero layer
  const double layerUm = entries.transmission.layerUm;
  if (layerUm != 0 && !entries.transmission.IsTransmission()) {
    return "a transmission target's tungsten layer must be thicker than 0 um, not " + ShortestDecimal(layerUm) + " um";
  }
  return TransmissionRefusal(model, entries.target, entries.transmission, kiloVolts);
}

VoltageRange RunVoltageRange(SpectrumModel model, const RunEntries& entries) {
  return ModelVoltageRange(model, entries.target, entries.transmission);
}

std::optional<std::string> TransmissionVoltageRefusal(double kiloVolts, SpectrumModel model, const RunEntries& entries) {
  if (!entries.transmission.IsTransmission()) return std::nullopt;
  const VoltageRange range = RunVoltageRange(model, entries);
  if (range.Contains(kiloVolts)) return std::nullopt;
  return ShortestDecimal(kiloVolts) + " kV is outside the transmission target's range of " +
         ShortestDecimal(range.lowest) + " to " + ShortestDecimal(range.highest) + " kV";
}

std::optional<std::string> TransmissionInputRefusal(SpectrumModel model, const RunEntries& entries, double kiloVolts) {
  if (std::optional<std::string> refusal = TransmissionVoltageRefusal(kiloVolts, model, entries)) return refusal;
  return TransmissionTubeRefusal(model, entries, kiloVolts);
}

double& EntryValue(RunEntries& entries, BeamInput input) {
  switch (input) {
    case BeamInput::TubeVoltage: return entries.tubeVoltageKV;
    case BeamInput::TargetAngle: return entries.targetAngleDegrees;
    case BeamInput::Beryllium: return entries.berylliumMm;
    case BeamInput::AluminiumEquivalent: return entries.aluminiumEquivalentMm;
    case BeamInput::AddedAluminium: return entries.addedAluminiumMm;
    case BeamInput::AddedCopper: return entries.addedCopperMm;
    default: throw std::logic_error("a material filter's thickness is not one of the entries");
  }
}

std::optional<InputRefusal> StrictInputRefusal(const RunSettings& settings, const std::vector<FilterRequest>& filters) {
  RunEntries entries = settings.entries;
  for (const BeamInput input : {BeamInput::TubeVoltage, BeamInput::Beryllium, BeamInput::AluminiumEquivalent,
                                BeamInput::AddedAluminium, BeamInput::AddedCopper}) {
    if (std::optional<std::string> problem =
            ValueProblem(input, EntryValue(entries, input), settings.model, settings.entries.target)) {
      return InputRefusal{input, 0, *problem};
    }
  }
  if (std::optional<std::string> problem =
          TransmissionInputRefusal(settings.model, settings.entries, settings.entries.tubeVoltageKV)) {
    return InputRefusal{BeamInput::TubeVoltage, 0, *problem};
  }
  for (std::size_t k = 0; k < filters.size(); ++k) {
    if (std::optional<std::string> problem = ThicknessProblem(filters[k].thicknessMm)) {
      return InputRefusal{BeamInput::FilterThickness, k, *problem};
    }
  }
  return std::nullopt;
}

std::vector<RunOutcome> SweepInput(BatchRun& batch, const RunSettings& settings, BeamInput input, std::size_t filter,
                                   const std::vector<double>& values) {
  if (input == BeamInput::FilterThickness && filter >= batch.Filters().size()) {
    throw std::invalid_argument("there is no material filter " + std::to_string(filter + 1) + " to sweep");
  }
  for (const double value : values) {
    std::optional<std::string> problem = ValueProblem(input, value, settings.model, settings.entries.target);
    if (!problem) problem = ReplacementProblem(settings, input, value);
    if (!problem && input == BeamInput::TubeVoltage) problem = TransmissionInputRefusal(settings.model, settings.entries, value);
    if (problem) throw InputRefusalError(InputRefusal{input, filter, *problem});
  }
  std::vector<RunOutcome> outcomes;
  outcomes.reserve(values.size());
  RunSettings swept = settings;
  const double given = input == BeamInput::FilterThickness ? batch.Filters()[filter].thicknessMm : 0;
  try {
    for (const double value : values) {
      if (input == BeamInput::FilterThickness) {
        batch.SetFilterThickness(filter, value);
      } else {
        EntryValue(swept.entries, input) = value;
      }
      try {
        outcomes.push_back(batch.Run(swept));
      } catch (const RunError& error) {
        throw RunError(error.Reason(), error.Value(), "at " + ValueText(input, value) + ": " + error.what());
      }
    }
  } catch (...) {
    if (input == BeamInput::FilterThickness) batch.SetFilterThickness(filter, given);
    throw;
  }
  if (input == BeamInput::FilterThickness) batch.SetFilterThickness(filter, given);
  return outcomes;
}

}  // namespace kestrix
