// Sampling the inputs' uncertainties: the means agree with the unsampled figures within their standard
// error, the widths scale with the input uncertainty, a seed repeats, and the models' spread.

#include "uncertainty_run.h"

#include <cmath>

#include <gtest/gtest.h>

#include "beam_figures.h"
#include "cli_test_files.h"

namespace kestrix {
namespace {

RunSettings Tucker80() {
  return RunSettings{SpectrumModel::Tucker, RunEntries{80, 20, 1, 2.5, 0, 0}, RectificationType::ConstantPotential,
                     DisplayQuantity::PhotonNumber};
}

const FigureSpread& Figure(const UncertaintyOutcome& outcome, const std::string& key) {
  for (const FigureSpread& figure : outcome.figures) {
    if (figure.key == key) return figure;
  }
  throw std::out_of_range(key);
}

TEST(UncertaintyRun, MeansLieWithinTheirStandardErrorOfTheUnsampledFigures) {
  BatchRun batch(test::DeliveredTable(), {});
  const RunOutcome nominal = batch.Run(Tucker80());
  const UncertaintyOutcome sampled = SampleUncertainty(batch, Tucker80(), UncertaintyRequest{1.5, 0.1, 1, 400, 3});
  for (const char* key : {"hvl1_al_mm", "hvl2_al_mm", "hvl1_cu_mm", "mean_energy_keV", "kerma_mean_energy_keV"}) {
    const FigureSpread& figure = Figure(sampled, key);
    std::optional<double> unsampled;
    for (std::size_t f = 0; f < kExtendedFigureCount; ++f) {
      if (ExtendedFigureFields()[f].key == std::string(key)) unsampled = nominal.extended.values[f];
    }
    ASSERT_TRUE(figure.mean && figure.std && unsampled) << key;
    const double standardError = *figure.std / std::sqrt(400.0);
    // three standard errors: a seed's draws are one realisation, and the figures bend a little
    EXPECT_NEAR(*figure.mean, *unsampled, 3 * standardError) << key;
    EXPECT_GT(*figure.std, 0) << key;
    EXPECT_LT(*figure.p2_5, *figure.mean);
    EXPECT_GT(*figure.p97_5, *figure.mean);
    EXPECT_EQ(figure.given, 400);
  }
  // the engine's layer too, and a relative model has no output to sample
  EXPECT_NEAR(*Figure(sampled, "hvl_al_mm").mean, *nominal.results->hvlAlMm, 3 * *Figure(sampled, "hvl_al_mm").std / 20);
  EXPECT_FALSE(Figure(sampled, "air_kerma_uGy_per_mAs").mean);
  EXPECT_NE(Figure(sampled, "air_kerma_uGy_per_mAs").missing.find("400 of 400 samples give none"), std::string::npos);
}

TEST(UncertaintyRun, WidthScalesWithTheInputUncertaintyAndASeedRepeats) {
  BatchRun batch(test::DeliveredTable(), {});
  // the same seed draws the same deviates, scaled: twice the uncertainty, twice the width (the formula
  // models' layers step at every 0.5 kV, so the voltage's uncertainty is kept well above that)
  const UncertaintyOutcome narrow = SampleUncertainty(batch, Tucker80(), UncertaintyRequest{1.0, 0, 0, 200, 11});
  const UncertaintyOutcome wide = SampleUncertainty(batch, Tucker80(), UncertaintyRequest{2.0, 0, 0, 200, 11});
  const double ratio = *Figure(wide, "hvl1_al_mm").std / *Figure(narrow, "hvl1_al_mm").std;
  EXPECT_NEAR(ratio, 2, 0.1);
  const double widths = (*Figure(wide, "mean_energy_keV").p97_5 - *Figure(wide, "mean_energy_keV").p2_5) /
                        (*Figure(narrow, "mean_energy_keV").p97_5 - *Figure(narrow, "mean_energy_keV").p2_5);
  EXPECT_NEAR(widths, 2, 0.1);
  // an aluminium equivalent's uncertainty widens the layers too
  const UncertaintyOutcome filtration = SampleUncertainty(batch, Tucker80(), UncertaintyRequest{0, 0.2, 0, 200, 11});
  const UncertaintyOutcome filtration2 = SampleUncertainty(batch, Tucker80(), UncertaintyRequest{0, 0.4, 0, 200, 11});
  EXPECT_NEAR(*Figure(filtration2, "hvl1_al_mm").std / *Figure(filtration, "hvl1_al_mm").std, 2, 0.1);
  const UncertaintyOutcome again = SampleUncertainty(batch, Tucker80(), UncertaintyRequest{2.0, 0, 0, 200, 11});
  EXPECT_EQ(*Figure(again, "hvl1_al_mm").mean, *Figure(wide, "hvl1_al_mm").mean);
  EXPECT_EQ(*Figure(again, "hvl1_al_mm").p97_5, *Figure(wide, "hvl1_al_mm").p97_5);
  const UncertaintyOutcome reseeded = SampleUncertainty(batch, Tucker80(), UncertaintyRequest{2.0, 0, 0, 200, 12});
  EXPECT_NE(*Figure(reseeded, "hvl1_al_mm").mean, *Figure(wide, "hvl1_al_mm").mean);
  // no uncertainty, no spread
  const UncertaintyOutcome none = SampleUncertainty(batch, Tucker80(), UncertaintyRequest{0, 0, 0, 5, 1});
  EXPECT_EQ(*Figure(none, "hvl1_al_mm").std, 0);
}

TEST(UncertaintyRun, ModelSpreadGivesEachModelAtTheInputsAsGivenAndRefusalsNameTheInput) {
  BatchRun batch(test::DeliveredTable(), {});
  const UncertaintyOutcome outcome = SampleUncertainty(batch, Tucker80(), UncertaintyRequest{0.5, 0, 0, 2, 1});
  for (const ModelFigure& figure : outcome.modelSpread) {
    if (figure.key != "hvl1_al_mm") continue;
    ASSERT_EQ(figure.values.size(), 3u);
    RunSettings birch = Tucker80();
    birch.model = SpectrumModel::Birch;
    EXPECT_EQ(figure.values[1].first, "birch");
    EXPECT_EQ(*figure.values[1].second, *batch.Run(birch).extended.values[kHvl1Al]);
    double lowest = 1e9, highest = 0;
    for (const auto& [model, value] : figure.values) {
      lowest = std::min(lowest, *value);
      highest = std::max(highest, *value);
    }
    EXPECT_NEAR(*figure.range, highest - lowest, 1e-8);
  }
  EXPECT_THROW(SampleUncertainty(batch, Tucker80(), UncertaintyRequest{-1, 0, 0, 10, 1}), std::invalid_argument);
  EXPECT_THROW(SampleUncertainty(batch, Tucker80(), UncertaintyRequest{1, 0, 0, 1, 1}), std::invalid_argument);
  // an uncertainty far beyond the range: most draws fall outside it
  EXPECT_THROW(SampleUncertainty(batch, Tucker80(), UncertaintyRequest{0, 0, 500, 10, 1}), std::invalid_argument);
}

TEST(UncertaintyRun, AModelThatDoesNotComputeTheTubeHasNoFiguresInTheSpread) {
  BatchRun batch(test::DeliveredTable(), {});
  RunSettings gold = Tucker80();
  gold.model = SpectrumModel::Physics;
  gold.entries.tubeVoltageKV = 40;
  gold.entries.target = TargetMaterial::Gold;
  RunSettings noLines = Tucker80();
  noLines.model = SpectrumModel::Physics;
  noLines.entries.characteristicLines = false;
  for (const RunSettings& settings : {gold, noLines}) {
    const UncertaintyOutcome outcome = SampleUncertainty(batch, settings, UncertaintyRequest{0.5, 0, 0, 2, 1});
    for (const ModelFigure& figure : outcome.modelSpread) {
      ASSERT_EQ(figure.values.size(), 3u);
      EXPECT_FALSE(figure.values[0].second) << figure.key;  // tucker: tungsten with its lines only
      EXPECT_FALSE(figure.values[1].second) << figure.key;  // birch
      EXPECT_FALSE(figure.range) << figure.key;             // one model alone has no range
    }
  }
}

TEST(UncertaintyRun, ATransmissionTargetHasNoAngleToSampleAndOnlyThePhysicsModelInTheSpread) {
  BatchRun batch(test::DeliveredTable(), {});
  RunSettings transmission = Tucker80();
  transmission.model = SpectrumModel::Physics;
  transmission.entries.transmission = {1, TransmissionWindow::Diamond, 0.3};
  try {
    SampleUncertainty(batch, transmission, UncertaintyRequest{0.5, 0, 1, 2, 1});
    FAIL() << "an angle was sampled";
  } catch (const std::invalid_argument& refusal) {
    EXPECT_EQ(std::string(refusal.what()), "angle: a transmission target has no target angle to sample");
  }
  const UncertaintyOutcome outcome = SampleUncertainty(batch, transmission, UncertaintyRequest{0.5, 0, 0, 2, 1});
  for (const ModelFigure& figure : outcome.modelSpread) {
    ASSERT_EQ(figure.values.size(), 3u);
    EXPECT_FALSE(figure.values[0].second) << figure.key;  // tucker has no transmission target
    EXPECT_FALSE(figure.values[1].second) << figure.key;  // nor has birch
  }
  // at the end of the transmission target's voltages (the physics model's reach 500 kV) the draws above it are drawn again
  transmission.entries.tubeVoltageKV = 300;
  EXPECT_GT(SampleUncertainty(batch, transmission, UncertaintyRequest{0.5, 0, 0, 8, 1}).redrawn, 0);
  transmission.entries.transmission = TransmissionTarget{};
  EXPECT_EQ(SampleUncertainty(batch, transmission, UncertaintyRequest{0.5, 0, 0, 8, 1}).redrawn, 0);
}

}  // namespace
}  // namespace kestrix
