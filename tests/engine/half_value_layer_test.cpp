// The half-value-layer computation: the search rules on crafted curves, the weights, the effective
// energy search, the fluence, the open cases and the monoenergetic identity.

#include "half_value_layer.h"

#include <cmath>
#include <fstream>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

#include "engine_test_files.h"
#include "fixed_format.h"
#include "tolerance.h"

namespace kestrix {
namespace {

constexpr LayerStepping kShortAluminium{0.01f, 300};

EngineTable SyntheticTable() {
  std::istringstream in(test::TableText());
  return ReadEngineTable(in, "synthetic table");
}

/// A table whose aluminium and copper coefficients are the same constant at every index [1/cm].
EngineTable ConstantTable(float mu) {
  EngineTable table = SyntheticTable();
  table.muAl.fill(mu);
  table.muCu.fill(mu);
  return table;
}

EngineArray Spectrum(const ExchangeSpectrum& relative) { return ToEngineSpectrum(relative); }

std::function<float(int)> Curve(std::vector<float> percents) {
  return [percents](int j) {
    EXPECT_LE(static_cast<std::size_t>(j), percents.size()) << "search read past the crafted curve";
    return percents.at(static_cast<std::size_t>(j - 1));
  };
}

// ---- search on crafted transmission curves ----

TEST(SearchHalfValueLayer, ExactlyFiftyPercentDoesNotStopTheSearch) {
  const auto layer = SearchHalfValueLayer(Curve({90.0f, 70.0f, 50.0f, 40.0f}), kShortAluminium);
  ASSERT_TRUE(layer);
  EXPECT_EQ(*layer, 3.0f * 0.01f);  // f = 0: exactly three steps
}

TEST(SearchHalfValueLayer, InterpolatesLogarithmicallyBetweenTheBracketingSteps) {
  std::vector<float> curve;
  for (int j = 1; j <= 20; ++j) curve.push_back(100.0f * std::exp(-0.1f * static_cast<float>(j)));
  const auto layer = SearchHalfValueLayer(Curve(curve), kShortAluminium);
  ASSERT_TRUE(layer);
  EXPECT_REL_NEAR(*layer, std::log(2.0) / 0.1 * 0.01, 1e-5);
}

TEST(SearchHalfValueLayer, ExtrapolatesBelowTheFirstStep) {
  const auto layer = SearchHalfValueLayer(Curve({40.0f, 20.0f}), kShortAluminium);
  ASSERT_TRUE(layer);
  EXPECT_REL_NEAR(*layer, (1.0 + std::log(50.0 / 40.0) / std::log(20.0 / 40.0)) * 0.01, 1e-5);
}

TEST(SearchHalfValueLayer, ExtrapolationBeyondZeroThicknessGivesNoLayer) {
  EXPECT_FALSE(SearchHalfValueLayer(Curve({10.0f, 9.0f}), kShortAluminium));
}

TEST(SearchHalfValueLayer, KeepsSteppingPastTheOrdinaryRange) {
  std::vector<float> curve(450, 60.0f);
  curve.push_back(40.0f);
  const auto layer = SearchHalfValueLayer(Curve(curve), kAluminiumStepping);
  ASSERT_TRUE(layer);
  EXPECT_REL_NEAR(*layer, (450.0 + std::log(50.0 / 60.0) / std::log(40.0 / 60.0)) * 0.01, 1e-5);
}

TEST(SearchHalfValueLayer, GivesUpAtTheLastStepWithoutReadingFurther) {
  int highestStep = 0;
  const auto flat = [&highestStep](int j) {
    highestStep = std::max(highestStep, j);
    return 50.0f;
  };
  EXPECT_FALSE(SearchHalfValueLayer(flat, kAluminiumStepping));
  EXPECT_EQ(highestStep, 1000);
  EXPECT_FALSE(SearchHalfValueLayer(flat, kCopperStepping));
  EXPECT_EQ(highestStep, 10000);
  // Both ranges end where the layer no longer fits the six characters "99.999" of the result file.
  EXPECT_LT((kAluminiumStepping.lastStep - 1) * 0.1, 99.9995);
  EXPECT_GE(kAluminiumStepping.lastStep * 0.1, 99.9995);
  EXPECT_LT((kCopperStepping.lastStep - 1) * 0.01, 99.9995);
  EXPECT_GE(kCopperStepping.lastStep * 0.01, 99.9995);
}

// ---- weights and transmission ----

TEST(ComputeKermaWeights, UpperIndexIsTheLastNonZeroRow) {
  const EngineTable table = SyntheticTable();
  ExchangeSpectrum spectrum = test::SmoothSpectrum(100.0);
  EXPECT_EQ(ComputeKermaWeights(table, Spectrum(spectrum)).lastIndex, 199);
  spectrum[600] = 0.00001;
  const KermaWeights full = ComputeKermaWeights(table, Spectrum(spectrum));
  EXPECT_EQ(full.lastIndex, 600);
  EXPECT_GT(full.d[600], 0.0f);
  EXPECT_NEAR(full.sum, 1.0f, 1e-5);
  for (int i = 1; i < kFirstKermaIndex; ++i) EXPECT_EQ(full.d[i], 0.0f) << i;
}

TEST(ComputeKermaWeights, SpectrumWithoutWeightIsRefused) {
  const EngineTable table = SyntheticTable();
  ExchangeSpectrum spectrum{};
  EXPECT_THROW(ComputeKermaWeights(table, Spectrum(spectrum)), EngineInputError);
  spectrum[10] = 1.0;  // 5.0 keV: below the weighted range
  try {
    ComputeKermaWeights(table, Spectrum(spectrum));
    ADD_FAILURE() << "accepted a spectrum that ends below 5.5 keV";
  } catch (const EngineInputError& error) {
    EXPECT_NE(std::string(error.what()).find("5.5 keV"), std::string::npos) << error.what();
  }
  EngineTable noAir = table;
  noAir.muEnAir.fill(0.0f);
  EXPECT_THROW(ComputeKermaWeights(noAir, Spectrum(test::SingleLine(100))), EngineInputError);
}

TEST(TransmissionCurve, IsBuiltByRepeatedMultiplicationOfSinglePrecisionFactors) {
  const EngineTable table = SyntheticTable();
  const KermaWeights weights = ComputeKermaWeights(table, Spectrum(test::SingleLine(120)));
  TransmissionCurve curve(weights, table.muAl, 0.01f);
  const float factor = std::exp(-table.muAl[120] * 0.01f);
  float weight = 1.0f;
  for (int j = 1; j <= 300; ++j) {
    weight = weight * factor;
    EXPECT_EQ(curve.NextStep(), weight / weights.sum * 100.0f) << j;
  }
}

// ---- effective energy ----

TEST(EffectiveEnergy, InterpolatesLogLogOnAPowerLaw) {
  EngineArray mu{};
  for (int i = 1; i <= 600; ++i) mu[i] = static_cast<float>(1e5 * std::pow(0.5 * i, -3.0));
  const float layer = 0.693147f / 1.0f;  // mu_eff = 1/cm
  const auto energy = EffectiveEnergy(mu, layer);
  ASSERT_TRUE(energy);
  EXPECT_REL_NEAR(*energy, std::cbrt(1e5), 1e-5);
}

TEST(EffectiveEnergy, CoefficientEqualToTheEffectiveOneDoesNotStopTheSearch) {
  const float layer = 0.5f;
  const float muEffective = 0.693147f / layer;
  EngineArray mu{};
  mu.fill(2.0f * muEffective);
  mu[5] = muEffective;         // equal: the search goes on
  mu[6] = 1.5f * muEffective;  // above again, as behind an absorption edge
  mu[7] = 0.5f * muEffective;  // first one below
  const auto energy = EffectiveEnergy(mu, layer);
  ASSERT_TRUE(energy);
  // g = ln 2 / ln 3 between 3.0 keV (index 6) and 3.5 keV (index 7).
  const double g = std::log(2.0) / std::log(3.0);
  EXPECT_REL_NEAR(*energy, std::exp(std::log(3.5) - g * (std::log(3.5) - std::log(3.0))), 1e-5);
}

/// Coefficients 10/cm everywhere but a dip below mu_eff = 1/cm at index 20 and 0.1/cm from index 300:
/// two crossings, 10 keV and 150 keV, with a rise (an edge) at index 21 between them.
EngineArray TwoCrossings() {
  EngineArray mu{};
  mu.fill(10.0f);
  mu[20] = 0.1f;
  mu[21] = 10.0f;
  for (int i = 300; i <= 600; ++i) mu[i] = 0.1f;
  return mu;
}

TEST(EffectiveEnergy, AnEdgeAboveTheBeamsMaximumEnergyLeavesTheFirstCrossing) {
  const auto energy = EffectiveEnergy(TwoCrossings(), 0.693147f, BeamSpan{20, 9.0f});
  ASSERT_TRUE(energy);
  EXPECT_GT(*energy, 9.5f);
  EXPECT_LE(*energy, 10.0f);
}

TEST(EffectiveEnergy, BehindAnEdgeWithinTheBeamTheCrossingAboveItIsTaken) {
  for (float mean : {8.0f, 60.0f}) {  // the only edge is the nearest whichever side the mean lies
    const auto energy = EffectiveEnergy(TwoCrossings(), 0.693147f, BeamSpan{400, mean});
    ASSERT_TRUE(energy);
    EXPECT_GT(*energy, 149.5f) << mean;
    EXPECT_LE(*energy, 150.0f) << mean;
  }
}

TEST(EffectiveEnergy, TheEdgeNearestTheMeanEnergyChoosesTheCrossing) {
  EngineArray mu = TwoCrossings();  // edges at 10.5 and 100 keV, crossings at 10, 75 and 150 keV
  mu[150] = 0.1f;
  for (int i = 151; i < 200; ++i) mu[i] = 0.1f;
  const auto low = EffectiveEnergy(mu, 0.693147f, BeamSpan{400, 30.0f});
  const auto high = EffectiveEnergy(mu, 0.693147f, BeamSpan{400, 140.0f});
  ASSERT_TRUE(low && high);
  EXPECT_NEAR(*low, 75.0f, 0.5f);
  EXPECT_NEAR(*high, 150.0f, 0.5f);
}

TEST(EffectiveEnergy, SpanIsTheLastIndexAndTheKermaWeightedMean) {
  KermaWeights weights;
  weights.d[20] = 0.25f;  // 10 keV
  weights.d[40] = 0.75f;  // 20 keV
  weights.lastIndex = 41;
  weights.sum = 1.0f;
  const BeamSpan span = SpanOf(weights);
  EXPECT_EQ(span.lastIndex, 41);
  EXPECT_FLOAT_EQ(span.kermaMeanKeV, 17.5f);
}

TEST(EffectiveEnergy, AboveThreeHundredKeVThereIsNoValue) {
  EngineArray mu{};
  mu.fill(1.0f);
  EXPECT_FALSE(EffectiveEnergy(mu, 1.0f));  // mu_eff 0.69/cm lies below every coefficient up to 600
}

// ---- fluence per exposure ----

TEST(PhotonsPerMm2PerCkg, MatchesTheExposureOfTheSpectrum) {
  const EngineTable table = SyntheticTable();
  const ExchangeSpectrum relative = test::SmoothSpectrum(120.0);
  const EngineArray spectrum = Spectrum(relative);
  double photons = 0, ergPerGram = 0;
  for (int i = 2; i <= 239; ++i) {
    photons += spectrum[i];
    ergPerGram += spectrum[i] * table.muEnAir[i] * 0.5 * i * 1.602e-9;
  }
  const double expected = 3876.0 / (ergPerGram / 86.9) * photons * 0.01;
  EXPECT_REL_NEAR(PhotonsPerMm2PerCkg(table, spectrum, 239), expected, 2e-5);
}

TEST(PhotonsPerMm2PerCkg, MonoenergeticBeamGivesTheTextbookValue) {
  // 60 keV photons: 1 C/kg = 3876 R, 86.9 erg/g per R, muEn/rho of air in cm2/g.
  const EngineTable table = SyntheticTable();
  const double ergPerPhoton = 60.0 * 1.602e-9;
  const double expected = 3876.0 * 86.9 / (table.muEnAir[120] * ergPerPhoton) * 0.01;
  EXPECT_REL_NEAR(PhotonsPerMm2PerCkg(table, Spectrum(test::SingleLine(120)), 120), expected, 1e-5);
}

// ---- the whole computation ----

// How far a single-precision layer [mm] may stray from ln 2 / mu: repeated multiplication lets ln R drift
// by about 2^-24 per step, and the rounded step factor carries 2^-24 / (mu step) relative into the layer.
double RepeatedMultiplicationDrift(double layerMm, float mu, float stepCm) {
  const double steps = layerMm / 10.0 / stepCm;
  return layerMm * (steps + 1.0 / (mu * stepCm)) * std::ldexp(1.0, -24);
}

void ExpectSameResults(const EngineResults& a, const EngineResults& b, double relTol) {
  const std::optional<double> EngineResults::*fields[] = {
      &EngineResults::hvlAlMm, &EngineResults::effectiveEnergyAlKeV, &EngineResults::hvlCuMm,
      &EngineResults::effectiveEnergyCuKeV, &EngineResults::photonsPerMm2PerCkg};
  for (const auto field : fields) {
    ASSERT_EQ((a.*field).has_value(), (b.*field).has_value());
    if (a.*field) {
      EXPECT_REL_NEAR(*(a.*field), *(b.*field), relTol);
    }
  }
}

TEST(ComputeBeamQuality, GridIndexOneNeverCounts) {
  const EngineTable table = SyntheticTable();
  ExchangeSpectrum spectrum = test::SmoothSpectrum(80.0);
  const EngineResults plain = ComputeBeamQuality(table, Spectrum(spectrum));
  spectrum[1] = 1.0;
  ExpectSameResults(ComputeBeamQuality(table, Spectrum(spectrum)), plain, 0.0);
}

TEST(ComputeBeamQuality, PhotonsBelowFiveAndAHalfKeVCountOnlyInTheFluence) {
  const EngineTable table = SyntheticTable();
  ExchangeSpectrum spectrum = test::SmoothSpectrum(80.0);
  const EngineResults plain = ComputeBeamQuality(table, Spectrum(spectrum));
  spectrum[2] = 0.5;
  spectrum[10] = 0.5;
  const EngineResults soft = ComputeBeamQuality(table, Spectrum(spectrum));
  EXPECT_EQ(soft.hvlAlMm, plain.hvlAlMm);
  EXPECT_EQ(soft.effectiveEnergyAlKeV, plain.effectiveEnergyAlKeV);
  EXPECT_EQ(soft.hvlCuMm, plain.hvlCuMm);
  EXPECT_EQ(soft.effectiveEnergyCuKeV, plain.effectiveEnergyCuKeV);
  EXPECT_NE(soft.photonsPerMm2PerCkg, plain.photonsPerMm2PerCkg);
}

TEST(ComputeBeamQuality, ScalingThePhotonNumbersChangesNothing) {
  const EngineTable table = SyntheticTable();
  const ExchangeSpectrum spectrum = test::SmoothSpectrum(150.0);
  ExchangeSpectrum scaled = spectrum;
  for (double& value : scaled) value *= 0.37;
  ExpectSameResults(ComputeBeamQuality(table, Spectrum(scaled)), ComputeBeamQuality(table, Spectrum(spectrum)), 2e-5);
}

// Single precision holds nothing below about 1e-38 (1e-45 only as a denormal): the shape alone,
// not the size of the values, must set the layers, and a power-of-two scale changes no bit.
TEST(ComputeBeamQuality, TinyPhotonNumbersGiveTheLayersOfTheirShape) {
  const EngineTable table = SyntheticTable();
  ExchangeSpectrum flat{}, tiny{}, halved{};
  for (int i = 1; i <= 300; ++i) {
    flat[i] = 1.0;
    tiny[i] = 1.0e-45;
    halved[i] = 0.5;
  }
  const EngineResults ones = ComputeBeamQuality(table, ToEngineSpectrum(flat));
  ExpectSameResults(ComputeBeamQuality(table, ToEngineSpectrum(tiny)), ones, 1e-5);
  const EngineResults half = ComputeBeamQuality(table, ToEngineSpectrum(halved));
  EXPECT_EQ(half.hvlAlMm, ones.hvlAlMm);
  EXPECT_EQ(half.hvlCuMm, ones.hvlCuMm);
  EXPECT_EQ(half.photonsPerMm2PerCkg, ones.photonsPerMm2PerCkg);
  EngineArray denormal{};
  for (int i = 1; i <= 300; ++i) denormal[i] = 1.0e-38f;
  ExpectSameResults(ComputeBeamQuality(table, denormal), ones, 1e-5);
}

TEST(ComputeBeamQuality, ThreeHundredKeVSpectrumUsesEveryRow) {
  const EngineTable table = SyntheticTable();
  ExchangeSpectrum spectrum = test::SmoothSpectrum(300.0);
  spectrum[600] = 0.001;
  const EngineResults full = ComputeBeamQuality(table, Spectrum(spectrum));
  spectrum[600] = 0.0;
  const EngineResults shorter = ComputeBeamQuality(table, Spectrum(spectrum));
  ASSERT_TRUE(full.photonsPerMm2PerCkg && shorter.photonsPerMm2PerCkg);
  EXPECT_NE(*full.photonsPerMm2PerCkg, *shorter.photonsPerMm2PerCkg);
}

TEST(ComputeBeamQuality, ThirtyKilovoltSpectrumEndsAtSixtyAndGivesSoftBeamValues) {
  const EngineTable table = SyntheticTable();
  const EngineArray spectrum = Spectrum(test::SmoothSpectrum(30.0));
  EXPECT_LE(ComputeKermaWeights(table, spectrum).lastIndex, 60);
  const EngineResults results = ComputeBeamQuality(table, spectrum);
  ASSERT_TRUE(results.hvlAlMm && results.effectiveEnergyAlKeV && results.hvlCuMm && results.effectiveEnergyCuKeV &&
              results.photonsPerMm2PerCkg);
  EXPECT_GT(*results.hvlAlMm, 0.1);
  EXPECT_LT(*results.hvlAlMm, 2.0);
  EXPECT_GT(*results.effectiveEnergyAlKeV, 5.5);
  EXPECT_LT(*results.effectiveEnergyAlKeV, 30.0);
  EXPECT_LT(*results.hvlCuMm, *results.hvlAlMm);
}

TEST(ComputeBeamQuality, OrdinaryResultsDoNotDependOnTheLongerSearch) {
  const EngineTable table = SyntheticTable();
  const KermaWeights weights = ComputeKermaWeights(table, Spectrum(test::SmoothSpectrum(200.0)));
  EXPECT_EQ(HalfValueLayer(weights, table.muAl, kAluminiumStepping), HalfValueLayer(weights, table.muAl, kShortAluminium));
  EXPECT_EQ(HalfValueLayer(weights, table.muCu, kCopperStepping),
            HalfValueLayer(weights, table.muCu, LayerStepping{0.001f, 600}));
}

TEST(ComputeBeamQuality, LayerBeyondThirtyMillimetresIsStillFound) {
  // ln 2 / 0.138629 = 5.0 cm: past the 300 aluminium steps and the 600 copper steps.
  const EngineResults results = ComputeBeamQuality(ConstantTable(0.138629f), Spectrum(test::SingleLine(200)));
  ASSERT_TRUE(results.hvlAlMm && results.hvlCuMm);
  EXPECT_NEAR(*results.hvlAlMm, 50.0, 0.0005 + RepeatedMultiplicationDrift(50.0, 0.138629f, 0.01f));
  EXPECT_NEAR(*results.hvlCuMm, 50.0, 0.0005 + RepeatedMultiplicationDrift(50.0, 0.138629f, 0.001f));
}

TEST(ComputeBeamQuality, LayerBeyondWhatTheFieldShowsIsMissing) {
  // ln 2 / 0.05 = 13.9 cm: more than "99.999" mm.
  const EngineResults results = ComputeBeamQuality(ConstantTable(0.05f), Spectrum(test::SingleLine(200)));
  EXPECT_FALSE(results.hvlAlMm);
  EXPECT_FALSE(results.effectiveEnergyAlKeV);
  EXPECT_FALSE(results.hvlCuMm);
  EXPECT_FALSE(results.effectiveEnergyCuKeV);
  EXPECT_TRUE(results.photonsPerMm2PerCkg);
}

// A beam of one energy: the layer is ln 2 / mu to the printed digits, the effective energy that energy.
void ExpectMonoenergeticIdentity(const EngineTable& table, int index) {
  SCOPED_TRACE("grid index " + std::to_string(index));
  const EngineResults results = ComputeBeamQuality(table, Spectrum(test::SingleLine(index)));
  const struct {
    std::optional<double> layerMm, energyKeV;
    float mu, stepCm;
  } materials[] = {{results.hvlAlMm, results.effectiveEnergyAlKeV, table.muAl[index], 0.01f},
                   {results.hvlCuMm, results.effectiveEnergyCuKeV, table.muCu[index], 0.001f}};
  for (const auto& material : materials) {
    ASSERT_TRUE(material.layerMm && material.energyKeV);
    const double layerMm = 10.0 * 0.693147 / material.mu;
    const double drift = RepeatedMultiplicationDrift(layerMm, material.mu, material.stepCm);
    const double printed = std::stod(WriteFixed(*material.layerMm, 6, 3));
    EXPECT_NEAR(printed, layerMm, 0.0005 + drift);
    EXPECT_NEAR(*material.energyKeV, 0.5 * index, 0.25);
  }
}

TEST(ComputeBeamQuality, MonoenergeticBeamOnTheSyntheticTable) {
  const EngineTable table = SyntheticTable();
  for (const int index : {30, 60, 100, 200, 300, 400, 500, 598}) ExpectMonoenergeticIdentity(table, index);
}

TEST(ComputeBeamQuality, MonoenergeticBeamOnTheDeliveredTable) {
  std::ifstream in(std::string(KESTRIX_DELIVERED_DATA) + "/MUs_202202.data", std::ios::binary);
  if (!in) GTEST_SKIP() << "the delivered table is not there";
  const EngineTable table = ReadEngineTable(in, "MUs_202202.data");
  // From 20 keV up no lower energy of either metal has a smaller coefficient (the copper K edge lies at
  // 9 keV), so the first crossing of the effective-energy search is the line itself.
  for (const int index : {40, 60, 100, 120, 160, 200, 300, 400, 500, 590}) ExpectMonoenergeticIdentity(table, index);
}

}  // namespace
}  // namespace kestrix
