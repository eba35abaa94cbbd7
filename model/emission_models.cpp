#include "emission_models.h"

#include <stdexcept>
#include <thread>

#include "bremsstrahlung_kernel.h"
#include "calculation_run.h"
#include "physics_emission.h"
#include "transmission_emission.h"

namespace kestrix {
namespace {

/// Tucker's and Birch's formulas: relative emissions, 30 to 300 kV, computed by the fast kernel.
class FormulaEmissionModel final : public EmissionModel {
 public:
  FormulaEmissionModel(SpectrumModel model, const char* keyword) : model_(model), keyword_(keyword) {}

  const char* Keyword() const override { return keyword_; }
  double MinimumVoltage() const override { return kMinimumTubeVoltage; }
  double MaximumVoltage() const override { return kMaximumTubeVoltage; }
  bool IsAbsolute() const override { return false; }

  void SampleEmissions(const std::vector<double>& sampleVoltages, double cosecTheta, const AttenuationTable& table,
                       std::vector<GridArray>& emissions) const override {
    // all samples at once, on every core
    ComputeSampleEmissions(model_, sampleVoltages, cosecTheta, table, emissions, std::thread::hardware_concurrency());
  }

 private:
  SpectrumModel model_;
  const char* keyword_;
};

}  // namespace

const std::vector<SpectrumModel>& SpectrumModels() {
  static const std::vector<SpectrumModel> models{SpectrumModel::Tucker, SpectrumModel::Birch, SpectrumModel::Physics};
  return models;
}

const EmissionModel& EmissionModelFor(SpectrumModel model) {
  static const FormulaEmissionModel tucker(SpectrumModel::Tucker, "tucker");
  static const FormulaEmissionModel birch(SpectrumModel::Birch, "birch");
  switch (model) {
    case SpectrumModel::Tucker: return tucker;
    case SpectrumModel::Physics: {
      static const PhysicsEmissionModel physics;  // its tables are built on first use
      return physics;
    }
    default: return birch;  // any other code runs Birch's formula
  }
}

const EmissionModel& EmissionModelFor(SpectrumModel model, TargetMaterial target, bool characteristicLines) {
  if (const std::optional<std::string> refusal = TubeRefusal(model, target, characteristicLines)) {
    throw std::invalid_argument(*refusal);
  }
  if (model != SpectrumModel::Physics) return EmissionModelFor(model);
  if (target == TargetMaterial::Tungsten && characteristicLines) return EmissionModelFor(model);
  // each tube's tables are built on its first use
  static const PhysicsEmissionModel tungstenAlone(TargetMaterial::Tungsten, false);
  static const PhysicsEmissionModel molybdenum(TargetMaterial::Molybdenum, true);
  static const PhysicsEmissionModel molybdenumAlone(TargetMaterial::Molybdenum, false);
  static const PhysicsEmissionModel rhodium(TargetMaterial::Rhodium, true);
  static const PhysicsEmissionModel rhodiumAlone(TargetMaterial::Rhodium, false);
  static const PhysicsEmissionModel silver(TargetMaterial::Silver, true);
  static const PhysicsEmissionModel silverAlone(TargetMaterial::Silver, false);
  static const PhysicsEmissionModel gold(TargetMaterial::Gold, true);
  static const PhysicsEmissionModel goldAlone(TargetMaterial::Gold, false);
  switch (target) {
    case TargetMaterial::Molybdenum: return characteristicLines ? molybdenum : molybdenumAlone;
    case TargetMaterial::Rhodium: return characteristicLines ? rhodium : rhodiumAlone;
    case TargetMaterial::Silver: return characteristicLines ? silver : silverAlone;
    case TargetMaterial::Gold: return characteristicLines ? gold : goldAlone;
    default: return tungstenAlone;
  }
}

std::optional<std::string> TubeRefusal(SpectrumModel model, TargetMaterial target, bool characteristicLines) {
  if (model == SpectrumModel::Physics) return std::nullopt;
  const std::string name = EmissionModelFor(model).Keyword();
  if (target != TargetMaterial::Tungsten) {
    return "the " + name + " model computes a tungsten target only (the physics model also " +
           TargetSymbol(target) + ")";
  }
  if (!characteristicLines) {
    return "the " + name + " model has no spectrum without its lines (the physics model has)";
  }
  return std::nullopt;
}

std::vector<TargetMaterial> ModelTargets(SpectrumModel model) {
  if (model == SpectrumModel::Physics) return TargetMaterials();
  return {TargetMaterial::Tungsten};
}

VoltageRange ModelVoltageRange(SpectrumModel model, TargetMaterial target) {
  const EmissionModel& emission =
      TubeRefusal(model, target, true) ? EmissionModelFor(model) : EmissionModelFor(model, target, true);
  return {emission.MinimumVoltage(), emission.MaximumVoltage()};
}

VoltageRange ModelVoltageRange(SpectrumModel model, TargetMaterial target, const TransmissionTarget& transmission) {
  if (transmission.IsTransmission() && model == SpectrumModel::Physics) {
    return {kTransmissionMinimumVoltage, kTransmissionMaximumVoltage};
  }
  return ModelVoltageRange(model, target);
}

}  // namespace kestrix
