#pragma once
// The inputs of a beam one by one: the front ends that refuse rather than correct (Python) check
// them here, and a sweep varies one of them over a list of values.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "batch_run.h"
#include "emission_models.h"

namespace kestrix {

/// One input of a beam.
enum class BeamInput {
  TubeVoltage,          /// [kV]
  TargetAngle,          /// [degrees]
  Beryllium,            /// [mm]
  AluminiumEquivalent,  /// [mm]
  AddedAluminium,       /// [mm]
  AddedCopper,          /// [mm]
  FilterThickness,      /// of one material filter [mm]
};

/// The value of a main-window input in entries (not for FilterThickness).
double& EntryValue(RunEntries& entries, BeamInput input);

/// An input that a strict front end refuses, and why ("-2 mm is a negative thickness").
struct InputRefusal {
  BeamInput input = BeamInput::TubeVoltage;
  std::size_t filter = 0;  /// which material filter, for FilterThickness
  std::string reason;
};

/// Why a tube voltage [kV] is refused with `model` and `target` ("350 kV is outside the tucker model's
/// range of 30 to 300 kV", "60 kV is outside the physics model's range of 20 to 50 kV for Mo", by
/// ModelVoltageRange); nullopt inside the range.
std::optional<std::string> VoltageRefusal(double kiloVolts, SpectrumModel model,
                                          TargetMaterial target = TargetMaterial::Tungsten);

/// Why the transmission target of `entries` cannot be computed with `model` at `kiloVolts` [kV]
/// (TransmissionRefusal of transmission_emission.h: the physics model and a tungsten layer only, the
/// layer's thickness range, a window at least the electrons' range in it, the voltages; and a layer
/// below 0 um or not a number, which would otherwise be taken for the reflection target); nullopt for
/// the reflection target and for a transmission target that can be computed.
std::optional<std::string> TransmissionTubeRefusal(SpectrumModel model, const RunEntries& entries, double kiloVolts);

/// The tube voltages a run with these entries computes [kV]: ModelVoltageRange for the model, target
/// and transmission target.
VoltageRange RunVoltageRange(SpectrumModel model, const RunEntries& entries);

/// Why a transmission target is refused at `kiloVolts` [kV] for its range ("350 kV is outside the
/// transmission target's range of 20 to 300 kV"); nullopt for the reflection target or inside the range.
std::optional<std::string> TransmissionVoltageRefusal(double kiloVolts, SpectrumModel model, const RunEntries& entries);

/// TransmissionVoltageRefusal, then TransmissionTubeRefusal
std::optional<std::string> TransmissionInputRefusal(SpectrumModel model, const RunEntries& entries, double kiloVolts);

/// The first input of settings and filters that is not what it says, instead of being corrected:
/// a negative thickness (window, aluminium equivalent, added aluminium or copper, a material
/// filter), a tube voltage outside the model's range for the target, or a transmission target
/// refused by TransmissionInputRefusal (reported as the tube voltage's). nullopt when every input
/// stands as given. (A target or lines the model lacks: TubeRefusal of emission_models.h.)
std::optional<InputRefusal> StrictInputRefusal(const RunSettings& settings, const std::vector<FilterRequest>& filters);

/// One calculation per value of input, the other inputs as in settings and the filters batch
/// holds (FilterThickness: filter number `filter`). Every value is checked as StrictInputRefusal
/// checks it before any run, and a swept window or aluminium equivalent that would leave Tucker's
/// model without inherent filtration is refused rather than replaced; throws InputRefusalError
/// naming the value, RunError as Run does with
/// "at 30 kV: " (the value and its unit) before its message.
std::vector<RunOutcome> SweepInput(BatchRun& batch, const RunSettings& settings, BeamInput input, std::size_t filter,
                                   const std::vector<double>& values);

/// A refused input, with the refusal's parts.
class InputRefusalError : public std::runtime_error {
 public:
  explicit InputRefusalError(InputRefusal refusal) : std::runtime_error(refusal.reason), refusal(std::move(refusal)) {}
  InputRefusal refusal;
};

}  // namespace kestrix
