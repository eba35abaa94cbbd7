// Inputs one by one: what a strict front end refuses, and a sweep over any one input.

#include "beam_inputs.h"

#include <cmath>

#include <gtest/gtest.h>

#include "cli_test_files.h"

namespace kestrix {
namespace {

RunSettings At(double kV) {
  RunSettings settings;
  settings.entries.tubeVoltageKV = kV;
  return settings;
}

TEST(BeamInputs, StrictRefusalNamesTheFirstInputNotAsGiven) {
  EXPECT_FALSE(StrictInputRefusal(At(80), {}));
  EXPECT_FALSE(StrictInputRefusal(At(30), {}));  // the ends of the range are inside it
  EXPECT_FALSE(StrictInputRefusal(At(300), {}));

  const std::optional<InputRefusal> low = StrictInputRefusal(At(20), {});
  ASSERT_TRUE(low);
  EXPECT_EQ(low->input, BeamInput::TubeVoltage);
  EXPECT_EQ(low->reason, "20 kV is outside the tucker model's range of 30 to 300 kV");

  RunSettings negative = At(80);
  negative.entries.addedAluminiumMm = -4.9;
  const std::optional<InputRefusal> al = StrictInputRefusal(negative, {});
  ASSERT_TRUE(al);
  EXPECT_EQ(al->input, BeamInput::AddedAluminium);
  EXPECT_EQ(al->reason, "-4.9 mm is a negative thickness (0 mm or more)");

  const std::optional<InputRefusal> filter =
      StrictInputRefusal(At(80), {FilterRequest{"a.ele", 1}, FilterRequest{"b.ele", -0.1}});
  ASSERT_TRUE(filter);
  EXPECT_EQ(filter->input, BeamInput::FilterThickness);
  EXPECT_EQ(filter->filter, 1u);

  RunSettings window = At(80);
  window.entries.berylliumMm = -2;
  EXPECT_EQ(StrictInputRefusal(window, {})->input, BeamInput::Beryllium);
}

TEST(BeamInputs, SweepOfAnyInputGivesTheRunsOfEachValue) {
  BatchRun batch(test::DeliveredTable(), {FilterRequest{test::DeliveredTin(), 0.2}});
  const RunSettings base = At(100);
  const std::vector<RunOutcome> aluminium = SweepInput(batch, base, BeamInput::AddedAluminium, 0, {0, 2.5});
  ASSERT_EQ(aluminium.size(), 2u);
  RunSettings two = base;
  two.entries.addedAluminiumMm = 2.5;
  EXPECT_EQ(aluminium[1].extended.values, batch.Run(two).extended.values);
  EXPECT_EQ(aluminium[1].used.addedAluminiumMm, 2.5);

  // a filter's thickness: each run with that thickness, and the filter as it was afterwards
  const std::vector<RunOutcome> tin = SweepInput(batch, base, BeamInput::FilterThickness, 0, {0.1, 0.5});
  BatchRun thick(test::DeliveredTable(), {FilterRequest{test::DeliveredTin(), 0.5}});
  EXPECT_EQ(tin[1].extended.values, thick.Run(base).extended.values);
  EXPECT_EQ(batch.Filters()[0].thicknessMm, 0.2);
  BatchRun given(test::DeliveredTable(), {FilterRequest{test::DeliveredTin(), 0.2}});
  EXPECT_EQ(batch.Run(base).extended.values, given.Run(base).extended.values);
}

TEST(BeamInputs, SweepRefusesAValueBeforeAnyRun) {
  BatchRun batch(test::DeliveredTable(), {});
  try {
    SweepInput(batch, At(100), BeamInput::TubeVoltage, 0, {40, 20, 30});
    FAIL() << "a sweep through 20 kV ran";
  } catch (const InputRefusalError& error) {
    EXPECT_EQ(error.refusal.input, BeamInput::TubeVoltage);
    EXPECT_EQ(std::string(error.what()), "20 kV is outside the tucker model's range of 30 to 300 kV");
  }
  EXPECT_THROW(SweepInput(batch, At(100), BeamInput::AddedCopper, 0, {0.1, -0.1}), InputRefusalError);
  EXPECT_THROW(SweepInput(batch, At(100), BeamInput::FilterThickness, 0, {1}), std::invalid_argument);
}

TEST(BeamInputs, SweepRefusesAnInherentFiltrationTheRunWouldReplace) {
  BatchRun batch(test::DeliveredTable(), {});
  RunSettings bare = At(80);
  bare.entries.berylliumMm = 0;
  try {
    SweepInput(batch, bare, BeamInput::AluminiumEquivalent, 0, {0.5, 0, 1});
    FAIL() << "a sweep through no inherent filtration ran";
  } catch (const InputRefusalError& error) {
    EXPECT_EQ(error.refusal.input, BeamInput::AluminiumEquivalent);
    EXPECT_EQ(std::string(error.what()),
              "0 mm leaves no inherent filtration (0 mm Be + 0 mm Al eq.), which the tucker model needs; a sweep "
              "does not replace it");
  }
  // Birch's model computes a beam without inherent filtration as it is
  bare.model = SpectrumModel::Birch;
  EXPECT_EQ(SweepInput(batch, bare, BeamInput::AluminiumEquivalent, 0, {0, 1}).front().corrections.size(), 0u);
}

RunSettings Transmission(SpectrumModel model, double kV) {
  RunSettings settings = At(kV);
  settings.model = model;
  settings.entries.transmission = {1, TransmissionWindow::Diamond, 0.3};
  return settings;
}

TEST(BeamInputs, ATransmissionTargetNeedsThePhysicsModelATungstenLayerAndItsVoltages) {
  EXPECT_FALSE(StrictInputRefusal(Transmission(SpectrumModel::Physics, 100), {}));
  EXPECT_FALSE(StrictInputRefusal(Transmission(SpectrumModel::Physics, 300), {}));
  const auto reason = [](const RunSettings& settings) {
    const std::optional<InputRefusal> refusal = StrictInputRefusal(settings, {});
    return refusal ? refusal->reason : std::string("(accepted)");
  };
  EXPECT_EQ(reason(Transmission(SpectrumModel::Tucker, 100)), "a transmission target is computed by the physics model only");
  EXPECT_EQ(reason(Transmission(SpectrumModel::Physics, 301)),
            "301 kV is outside the transmission target's range of 20 to 300 kV");
  RunSettings molybdenum = Transmission(SpectrumModel::Physics, 30);
  molybdenum.entries.target = TargetMaterial::Molybdenum;
  EXPECT_EQ(reason(molybdenum), "a transmission target has a tungsten layer only, not Mo");
  // a layer below zero or not a number is refused, never taken for the reflection target
  for (const double bad : {-1.0, -HUGE_VAL, std::nan("")}) {
    RunSettings layer = Transmission(SpectrumModel::Physics, 100);
    layer.entries.transmission.layerUm = bad;
    EXPECT_EQ(reason(layer).rfind("a transmission target's tungsten layer must be thicker than 0 um, not ", 0), 0u) << bad;
  }
  RunSettings thick = Transmission(SpectrumModel::Physics, 100);
  thick.entries.transmission.layerUm = HUGE_VAL;
  EXPECT_NE(reason(thick).find("tungsten layer must be"), std::string::npos) << reason(thick);
  for (const double bad : {-1.0, 0.0, std::nan(""), HUGE_VAL}) {
    RunSettings window = Transmission(SpectrumModel::Physics, 100);
    window.entries.transmission.windowMm = bad;
    EXPECT_NE(reason(window), "(accepted)") << bad;
  }
  // a window thinner than the electrons' range in it at the voltage: accepted at a lower one
  RunSettings thin = Transmission(SpectrumModel::Physics, 100);
  thin.entries.transmission = {1, TransmissionWindow::Beryllium, 0.05};
  EXPECT_NE(reason(thin).find("thinner than the electrons' range"), std::string::npos) << reason(thin);
  thin.entries.tubeVoltageKV = 40;
  EXPECT_EQ(reason(thin), "(accepted)");
  // the reflection target keeps its model's range
  EXPECT_EQ(RunVoltageRange(SpectrumModel::Physics, RunEntries{}).highest, 500);
  EXPECT_EQ(RunVoltageRange(SpectrumModel::Physics, Transmission(SpectrumModel::Physics, 100).entries).highest, 300);
  EXPECT_FALSE(TransmissionVoltageRefusal(400, SpectrumModel::Physics, RunEntries{}));
}

TEST(BeamInputs, ASweepOfATransmissionTargetStaysInsideItsVoltages) {
  BatchRun batch(test::DeliveredTable(), {});
  try {
    SweepInput(batch, Transmission(SpectrumModel::Physics, 100), BeamInput::TubeVoltage, 0, {100, 350});
    FAIL() << "a sweep through 350 kV ran";
  } catch (const InputRefusalError& error) {
    EXPECT_EQ(std::string(error.what()), "350 kV is outside the transmission target's range of 20 to 300 kV");
  }
}

}  // namespace
}  // namespace kestrix
