#pragma once
// Every emission model the program offers, by its code: the one list a front end shows and reads.

#include <optional>
#include <string>
#include <vector>

#include "emission_model.h"
#include "model_codes.h"
#include "target_material.h"
#include "transmission_target.h"

namespace kestrix {

/// the models in the order the front ends list them
const std::vector<SpectrumModel>& SpectrumModels();

/// the emission model behind a model code (tungsten target, lines included)
const EmissionModel& EmissionModelFor(SpectrumModel model);

/// the emission model of `model` for `target`, with or without its characteristic lines; throws
/// std::invalid_argument for a tube the model does not compute (TubeRefusal)
const EmissionModel& EmissionModelFor(SpectrumModel model, TargetMaterial target, bool characteristicLines);

/// Why `model` cannot compute this tube ("the tucker model computes a tungsten target only"),
/// nullopt when it can: the formula models have a tungsten target with its K lines; the physics
/// model every target, with or without lines.
std::optional<std::string> TubeRefusal(SpectrumModel model, TargetMaterial target, bool characteristicLines);

/// The peak tube voltages a model computes for a target [kV], ends included.
struct VoltageRange {
  double lowest = 0;   /// [kV]
  double highest = 0;  /// [kV]
  bool Contains(double kiloVolts) const { return kiloVolts >= lowest && kiloVolts <= highest; }
};

/// the targets `model` computes, tungsten first
std::vector<TargetMaterial> ModelTargets(SpectrumModel model);

/// The tube voltages `model` computes with `target`: the one range every front end refuses by
/// (kestrix-cli, Python, sweeps) or corrects into (the desktop).
VoltageRange ModelVoltageRange(SpectrumModel model, TargetMaterial target = TargetMaterial::Tungsten);

/// The same for a run with this transmission target: for a layer above 0 and the physics model the
/// transmission target's 20 to 300 kV (transmission_emission.h), otherwise ModelVoltageRange(model, target).
VoltageRange ModelVoltageRange(SpectrumModel model, TargetMaterial target, const TransmissionTarget& transmission);

}  // namespace kestrix
