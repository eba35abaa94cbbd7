// The five figures: result-file texts, asterisks and the reasons given for missing values.

#include "beam_figures.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

TEST(BeamFigures, FieldsFollowTheResultFileLines) {
  const std::vector<FigureField>& fields = FigureFields();
  ASSERT_EQ(fields.size(), 5u);
  const int widths[] = {6, 6, 6, 6, 15};
  const int decimals[] = {3, 2, 3, 2, 0};
  for (std::size_t k = 0; k < fields.size(); ++k) {
    EXPECT_EQ(fields[k].width, widths[k]);
    EXPECT_EQ(fields[k].decimals, decimals[k]);
  }
  EXPECT_STREQ(fields[0].key, "hvl_al_mm");
  EXPECT_STREQ(fields[4].label, "photons per mm2 per C/kg");
}

TEST(BeamFigures, TextsAreTheResultFileDigitsOrAsterisks) {
  const std::vector<FigureField>& f = FigureFields();
  EXPECT_EQ(FigureText(0.947, f[0]), "0.947");
  EXPECT_EQ(FigureText(12.0, f[0]), "12.000");
  EXPECT_EQ(FigureText(30.1, f[1]), "30.10");
  EXPECT_EQ(FigureText(1234567890123.0, f[4]), "1234567890123");
  EXPECT_EQ(FigureText(std::nullopt, f[0]), "******");
  EXPECT_EQ(FigureText(std::nullopt, f[4]), "***************");
}

TEST(BeamFigures, MissingValuesSayWhy) {
  RunOutcome outcome;
  outcome.results = EngineResults{std::nullopt, std::nullopt, 0.5, std::nullopt, std::nullopt};
  EXPECT_EQ(FigureValue(outcome, 2), 0.5);
  EXPECT_FALSE(FigureValue(outcome, 0));
  EXPECT_EQ(MissingFigureReason(outcome, 0),
            "the air-kerma transmission stays at or above 50 % through 100 mm of aluminium");
  EXPECT_EQ(MissingFigureReason(outcome, 1), "there is no aluminium half-value layer");
  EXPECT_EQ(MissingFigureReason(outcome, 3), "the copper coefficient stays at or above ln 2 / HVL up to 300 keV");
  EXPECT_EQ(MissingFigureReason(outcome, 4),
            "the value has more than 14 integer digits, too wide for the result file's field");

  RunOutcome unweighed;
  unweighed.engineError = "the spectrum holds no non-zero photon number";
  for (std::size_t k = 0; k < 5; ++k) {
    EXPECT_FALSE(FigureValue(unweighed, k));
    EXPECT_EQ(MissingFigureReason(unweighed, k),
              "the engine cannot weigh this spectrum: the spectrum holds no non-zero photon number");
  }
}

TEST(BeamFigures, QualityDeviationsSetEveryPublishedFigureBesideTheBeams) {
  RadiationQuality quality;
  quality.name = "Q";
  quality.nominalHvl1AlMm = 2.5;
  quality.nominalFigures = {NominalFigure{kHvl2Cu, 0.2}, NominalFigure{kMeanEnergy, 40}};
  RunOutcome outcome;
  outcome.extended.values[kHvl1Al] = 2.6;
  outcome.extended.values[kMeanEnergy] = 38;
  outcome.extended.missing[kHvl2Cu] = "no copper layer";
  const std::vector<QualityDeviation> deviations = QualityDeviations(quality, outcome);
  ASSERT_EQ(deviations.size(), 3u);  // the nominal HVL1 first, then the figures in the table's order
  EXPECT_EQ(deviations[0].figure, kHvl1Al);
  EXPECT_NEAR(*deviations[0].deviationPercent, 4, 1e-12);
  EXPECT_EQ(deviations[1].figure, kHvl2Cu);
  EXPECT_FALSE(deviations[1].reached);
  EXPECT_FALSE(deviations[1].deviationPercent);
  EXPECT_NEAR(*deviations[2].deviationPercent, -5, 1e-12);
  EXPECT_EQ(DeviationDescription(deviations[0]), "HVL1 Al: 2.6000 mm Al, nominal 2.5 mm Al (+4.0 %)");
  EXPECT_EQ(DeviationDescription(deviations[1]), "HVL2 Cu: none (no copper layer), nominal 0.2 mm Cu");
  EXPECT_EQ(DeviationDescription(deviations[2]), "mean energy: 38.00 keV, nominal 40 keV (-5.0 %)");
  EXPECT_TRUE(QualityDeviations(RadiationQuality{}, outcome).empty());  // a quality without figures
}

TEST(BeamFigures, DeviationTextsAreTheNumbersOfTheDescription) {
  const QualityDeviation copper{kHvl2Cu, 0.271, 0.271234567, "", -0.04};
  const DeviationTexts texts = DeviationTextsOf(copper);
  EXPECT_EQ(texts.reached, "0.27123");  // the five decimals of a copper layer
  EXPECT_EQ(texts.nominal, "0.271");
  EXPECT_EQ(texts.percent, "-0.0");     // the sign of a deviation that rounds to nothing stays
  EXPECT_EQ(DeviationDescription(copper), "HVL2 Cu: 0.27123 mm Cu, nominal 0.271 mm Cu (-0.0 %)");
  const DeviationTexts energy = DeviationTextsOf(QualityDeviation{kMeanEnergy, 47.9, 47.5149, "", 0.05});
  EXPECT_EQ(energy.reached, "47.51");
  EXPECT_EQ(energy.percent, "+0.1");  // 0.05 is a little above its double: rounded up
  const DeviationTexts none = DeviationTextsOf(QualityDeviation{kHvl1Al, 2.5, std::nullopt, "no layer", std::nullopt});
  EXPECT_TRUE(none.reached.empty() && none.percent.empty());
  EXPECT_EQ(none.nominal, "2.5");
}

}  // namespace
}  // namespace kestrix
