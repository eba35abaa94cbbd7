// The emission models behind their interface: the list the front ends show, and the formula models'
// emissions exactly as the kernel computes them.

#include "emission_models.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "bremsstrahlung_kernel.h"
#include "synthetic_table.h"

namespace kestrix {
namespace {

TEST(EmissionModels, EveryListedModelHasItsOwnKeywordAndAVoltageRange) {
  std::set<std::string> keywords;
  for (const SpectrumModel code : SpectrumModels()) {
    const EmissionModel& model = EmissionModelFor(code);
    keywords.insert(model.Keyword());
    EXPECT_GT(model.MaximumVoltage(), model.MinimumVoltage()) << model.Keyword();
  }
  EXPECT_EQ(keywords.size(), SpectrumModels().size());
  EXPECT_STREQ(EmissionModelFor(SpectrumModel::Tucker).Keyword(), "tucker");
  EXPECT_STREQ(EmissionModelFor(SpectrumModel::Birch).Keyword(), "birch");
  EXPECT_STREQ(EmissionModelFor(SpectrumModel::Physics).Keyword(), "physics");
  EXPECT_FALSE(EmissionModelFor(SpectrumModel::Tucker).IsAbsolute());
  EXPECT_TRUE(EmissionModelFor(SpectrumModel::Physics).IsAbsolute());
  EXPECT_EQ(SpectrumModels().back(), SpectrumModel::Physics);  // the third model, after the formulas
  EXPECT_EQ(EmissionModelFor(SpectrumModel::Birch).MinimumVoltage(), 30);
  EXPECT_EQ(EmissionModelFor(SpectrumModel::Birch).MaximumVoltage(), 300);
}

TEST(EmissionModels, FormulaModelsGiveTheKernelsEmissionOfEverySample) {
  const AttenuationTable table = test::PlausibleTable();
  const std::vector<double> voltages{150.0, 72.5, 30.0};
  for (const SpectrumModel code : {SpectrumModel::Tucker, SpectrumModel::Birch}) {
    std::vector<GridArray> emissions;
    EmissionModelFor(code).SampleEmissions(voltages, 2.0, table, emissions);
    ASSERT_EQ(emissions.size(), voltages.size());
    for (std::size_t k = 0; k < voltages.size(); ++k) {
      GridArray alone{};
      ComputeSampleEmission(code, voltages[k], 2.0, table, alone);
      EXPECT_EQ(emissions[k], alone) << EmissionModelFor(code).Keyword() << " at " << voltages[k] << " kV";
    }
  }
}

}  // namespace
}  // namespace kestrix

namespace kestrix {
namespace {

TEST(EmissionModels, ATransmissionTargetHasItsOwnVoltageRangeInThePhysicsModelOnly) {
  const TransmissionTarget layer{1, TransmissionWindow::Beryllium, 1};
  const VoltageRange transmission = ModelVoltageRange(SpectrumModel::Physics, TargetMaterial::Tungsten, layer);
  EXPECT_EQ(transmission.lowest, 20);
  EXPECT_EQ(transmission.highest, 300);
  const VoltageRange reflection = ModelVoltageRange(SpectrumModel::Physics, TargetMaterial::Tungsten, TransmissionTarget{});
  EXPECT_EQ(reflection.highest, ModelVoltageRange(SpectrumModel::Physics).highest);
  EXPECT_EQ(ModelVoltageRange(SpectrumModel::Tucker, TargetMaterial::Tungsten, layer).lowest,
            ModelVoltageRange(SpectrumModel::Tucker).lowest);
}

}  // namespace
}  // namespace kestrix
