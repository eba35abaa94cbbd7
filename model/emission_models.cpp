#include "emission_models.h"

#include <thread>

#include "bremsstrahlung_kernel.h"
#include "calculation_run.h"
#include "physics_emission.h"

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

}  // namespace kestrix
