// Commissioning fits: the measurement file, the least-squares fit on a smooth stand-in for the
// beam, its bounds and its refusals. The fit on real beams is tested with the batch run.

#include "tube_fit.h"

#include <cmath>
#include <sstream>

#include <gtest/gtest.h>

namespace kestrix {
namespace {

std::string ReadError(const std::string& text) {
  std::istringstream in(text);
  try {
    ReadTubeMeasurements(in, "m.csv");
  } catch (const TubeFitError& error) {
    return error.what();
  }
  return "(accepted)";
}

constexpr std::size_t kAlEq = static_cast<std::size_t>(TubeInput::InherentAluminiumEquivalent);
constexpr std::size_t kCu = static_cast<std::size_t>(TubeInput::AddedCopper);
constexpr std::size_t kAngle = static_cast<std::size_t>(TubeInput::TargetAngle);

/// Layers that grow smoothly with the filtration and the voltage, and differently with the angle
/// than with the aluminium, so that both are fixed by HVL1 and HVL2 at several voltages.
std::optional<ExtendedBeamQuality> StandIn(const TubeInputValues& x, double kV) {
  ExtendedBeamQuality q;
  const double hardening = 1 + 0.25 * x[kAlEq] + 2 * x[kCu];
  q.values[kHvl1Al] = 0.03 * kV * hardening * (1 + 0.004 * (20 - x[kAngle]));
  q.values[kHvl2Al] = 0.05 * kV * std::sqrt(hardening) * (1 + 0.0005 * kV * (20 - x[kAngle]) / 20);
  q.values[kHvl1Cu] = 0.001 * kV * hardening;
  q.missing[kHvl2Cu] = "a layer beyond 100 mm";
  return q;
}

std::vector<TubeMeasurement> MeasuredWith(const TubeInputValues& truth) {
  std::vector<TubeMeasurement> measurements;
  for (const double kV : {60.0, 80.0, 100.0}) {
    const ExtendedBeamQuality q = *StandIn(truth, kV);
    TubeMeasurement m;
    m.tubeVoltageKV = kV;
    m.layersMm[0] = q.values[kHvl1Al];
    m.layersMm[1] = q.values[kHvl2Al];
    measurements.push_back(m);
  }
  return measurements;
}

TEST(TubeFit, MeasurementFileNamesItsColumnsAndLeavesGapsForLayersNotMeasured) {
  std::istringstream in("# measured 2026-12-01\r\nhvl2_al_mm, kv ,hvl1_al_mm,hvl1_cu_mm\r\n3.0,60,2.2,\r\n\r\n4.2,80,2.85,0.1\r\n");
  const std::vector<TubeMeasurement> read = ReadTubeMeasurements(in, "m.csv");
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].tubeVoltageKV, 60);
  EXPECT_EQ(read[0].layersMm[0], 2.2);
  EXPECT_EQ(read[0].layersMm[1], 3.0);
  EXPECT_FALSE(read[0].layersMm[2]);
  EXPECT_FALSE(read[0].layersMm[3]);
  EXPECT_EQ(read[1].layersMm[2], 0.1);

  EXPECT_EQ(ReadError(""), "m.csv: no measurements");
  EXPECT_EQ(ReadError("kv,hvl1_al_mm\n"), "m.csv: no measurements");
  EXPECT_EQ(ReadError("kv,hvl_al\n"),
            "m.csv, line 1: column \"hvl_al\" is not one of kv, hvl1_al_mm, hvl2_al_mm, hvl1_cu_mm, hvl2_cu_mm");
  EXPECT_EQ(ReadError("hvl1_al_mm\n2\n"), "m.csv, line 1: the header has no kv column");
  EXPECT_EQ(ReadError("kv,kv\n"), "m.csv, line 1: column kv again");
  EXPECT_EQ(ReadError("kv,hvl1_al_mm\n60\n"), "m.csv, line 2: 1 fields instead of 2");
  EXPECT_EQ(ReadError("kv,hvl1_al_mm\n60,-2\n"), "m.csv, line 2: hvl1_al_mm \"-2\" is not a positive number");
  EXPECT_EQ(ReadError("kv,hvl1_al_mm\n,2\n"), "m.csv, line 2: kv \"\" is not a positive number");
  EXPECT_EQ(ReadError("kv,hvl1_al_mm\n60,2mm\n"), "m.csv, line 2: hvl1_al_mm \"2mm\" is not a positive number");
  EXPECT_EQ(ReadError("kv,hvl1_al_mm\n60,\n"), "m.csv, line 2: no layer measured at this voltage");
  // fields are quoted cut at 80 bytes with their length
  const std::string huge(100000, 'y');
  EXPECT_EQ(ReadError("kv,hvl1_al_mm\n60," + huge + "\n"),
            "m.csv, line 2: hvl1_al_mm \"" + std::string(80, 'y') + "... (100000 bytes)\" is not a positive number");
  EXPECT_EQ(ReadError("kv," + huge + "\n")
                .rfind("m.csv, line 1: column \"" + std::string(80, 'y') + "... (100000 bytes)\" is not", 0),
            0u);
  EXPECT_LT(ReadError("kv," + huge + "," + huge + "\n").size(), 300u);
  EXPECT_EQ(ReadError("kv,hvl1_al_mm\n80,1e-300\n"),
            "m.csv, line 2: hvl1_al_mm 1e-300 mm is thinner than 0.0001 mm, thinner than any beam's half-value layer");
  EXPECT_EQ(ReadError("kv,hvl1_cu_mm\n80,250\n"), "m.csv, line 2: hvl1_cu_mm 250 mm is beyond the 100 mm searched for a layer");
  EXPECT_EQ(ReadError("KV,Hvl_Al\n"),
            "m.csv, line 1: column \"Hvl_Al\" is not one of kv, hvl1_al_mm, hvl2_al_mm, hvl1_cu_mm, hvl2_cu_mm");
}

TEST(TubeFit, MeasurementFileTakesColumnNamesInAnyCaseAndSkipsAByteOrderMark) {
  std::istringstream in("\xEF\xBB\xBFkV,HVL1_Al_mm,hvl2_AL_mm\r\n60,2.2,3.0\r\n");
  const std::vector<TubeMeasurement> read = ReadTubeMeasurements(in, "m.csv");
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].tubeVoltageKV, 60);
  EXPECT_EQ(read[0].layersMm[0], 2.2);
  EXPECT_EQ(read[0].layersMm[1], 3.0);
  EXPECT_EQ(ReadError("kv,KV\n"), "m.csv, line 1: column kv again");
}

TEST(TubeFit, RecoversTheInputsTheLayersWereMadeWith) {
  TubeInputValues truth{2.7, 0, 0, 12};
  TubeFitRequest request{MeasuredWith(truth), {TubeInput::InherentAluminiumEquivalent, TubeInput::TargetAngle},
                         {5, 0, 0, 20}, std::nullopt};
  const TubeFit fit = FitTube(request, StandIn);
  EXPECT_NEAR(fit.inputs[kAlEq], 2.7, 1e-5);
  EXPECT_NEAR(fit.inputs[kAngle], 12, 1e-4);
  EXPECT_EQ(fit.inputs[kCu], 0);  // not varied: as given
  ASSERT_EQ(fit.residuals.size(), 6u);
  EXPECT_EQ(fit.residuals[1].tubeVoltageKV, 60);
  EXPECT_EQ(fit.residuals[1].figure, kHvl2Al);
  EXPECT_EQ(fit.residuals[1].measuredMm, *request.measurements[0].layersMm[1]);
  for (const TubeResidual& r : fit.residuals) EXPECT_LT(std::fabs(r.deviationPercent), 1e-4);
  EXPECT_LT(fit.rmsDeviationPercent, 1e-4);
  EXPECT_FALSE(fit.atBound);
  EXPECT_TRUE(fit.converged);
  EXPECT_TRUE(fit.warnings.empty());
  EXPECT_EQ(fit.inputAtBound, std::vector<bool>({false, false}));
  // the fitted values are whole millionths
  EXPECT_EQ(fit.inputs[kAlEq], std::round(fit.inputs[kAlEq] * 1e6) / 1e6);

  // deviations are relative: a layer 1 % off shows as +1 % (one input, one layer)
  TubeFitRequest one{{request.measurements[0]}, {TubeInput::InherentAluminiumEquivalent}, {5, 0, 0, 12}, std::nullopt};
  one.measurements[0].layersMm[1].reset();
  const TubeFit exact = FitTube(one, StandIn);
  EXPECT_NEAR(exact.inputs[kAlEq], 2.7, 1e-5);
}

TEST(TubeFit, StaysInsideTheBoundsAndSaysWhenItEndsOnOne) {
  // layers softer than any filtration gives: al_eq ends at 0
  TubeFitRequest request{MeasuredWith({0, 0, 0, 20}), {TubeInput::InherentAluminiumEquivalent}, {3, 0, 0, 20}, std::nullopt};
  for (TubeMeasurement& m : request.measurements) *m.layersMm[0] *= 0.8;
  const TubeFit fit = FitTube(request, StandIn);
  EXPECT_EQ(fit.inputs[kAlEq], 0);
  EXPECT_TRUE(fit.atBound);
  EXPECT_EQ(fit.inputAtBound, std::vector<bool>({true}));
  EXPECT_GT(fit.rmsDeviationPercent, 1);
  ASSERT_EQ(fit.warnings.size(), 1u);
  EXPECT_EQ(fit.warnings[0].rfind("al_eq ended on the bound 0 of its range", 0), 0u) << fit.warnings[0];
}

TEST(TubeFit, UncertaintiesGrowWithTheScatterOfTheLayers) {
  const auto scattered = [](double share) {
    std::vector<TubeMeasurement> measured = MeasuredWith({2.7, 0, 0, 12});
    int sign = 1;
    for (TubeMeasurement& m : measured) {
      for (std::optional<double>& layer : m.layersMm) {
        if (layer) *layer *= 1 + share * sign;
        sign = -sign;
      }
    }
    return FitTube(TubeFitRequest{measured, {TubeInput::InherentAluminiumEquivalent, TubeInput::TargetAngle},
                                  {5, 0, 0, 20}, std::nullopt},
                   StandIn);
  };
  const TubeFit small = scattered(0.001);
  const TubeFit large = scattered(0.004);
  ASSERT_TRUE(small.uncertainties[0] && small.uncertainties[1] && large.uncertainties[0]);
  EXPECT_GT(*small.uncertainties[0], 0);
  // four times the scatter, about four times the uncertainty
  EXPECT_NEAR(*large.uncertainties[0] / *small.uncertainties[0], 4, 0.4);
  EXPECT_NEAR(large.inputs[kAlEq], 2.7, 3 * *large.uncertainties[0]);

  // as many layers as inputs leave nothing to estimate it from
  TubeFitRequest one{{MeasuredWith({2.7, 0, 0, 12})[0]}, {TubeInput::InherentAluminiumEquivalent}, {5, 0, 0, 12}, std::nullopt};
  one.measurements[0].layersMm[1].reset();
  const TubeFit exact = FitTube(one, StandIn);
  EXPECT_FALSE(exact.uncertainties[0]);
  EXPECT_FALSE(exact.uncertaintyMissing.empty());
}

TEST(TubeFit, StopsAfterItsEvaluationLimitAndSaysItDidNotConverge) {
  // a beam that comes a little closer to the measurements with every evaluation never lets the fit settle
  int calls = 0;
  const TubeFigures restless = [&calls](const TubeInputValues& x, double kV) {
    std::optional<ExtendedBeamQuality> q = StandIn(x, kV);
    for (std::optional<double>& value : q->values) {
      if (value) *value *= 1 + 1.0 / ++calls;
    }
    return q;
  };
  const TubeFit fit = FitTube(TubeFitRequest{MeasuredWith({2.7, 0, 0, 12}),
                                             {TubeInput::InherentAluminiumEquivalent, TubeInput::TargetAngle},
                                             {5, 0, 0, 20}, std::nullopt},
                              restless);
  EXPECT_LE(fit.evaluations, kMaximumTubeFitEvaluations);
  EXPECT_FALSE(fit.converged);
  ASSERT_FALSE(fit.warnings.empty());
  EXPECT_EQ(fit.warnings[0].rfind("the fit did not converge within 60 evaluations", 0), 0u) << fit.warnings[0];
}

TEST(TubeFit, RefusesWhatCannotBeFitted) {
  const std::vector<TubeMeasurement> measured = MeasuredWith({2.7, 0, 0, 12});
  const auto message = [&measured](std::vector<TubeInput> varied, TubeInputValues start,
                                   std::vector<TubeMeasurement> measurements) {
    try {
      FitTube(TubeFitRequest{measurements, varied, start, std::nullopt}, StandIn);
    } catch (const TubeFitError& error) {
      return std::string(error.what());
    }
    return std::string("(fitted)");
  };
  const TubeInputValues start{5, 0, 0, 20};
  EXPECT_EQ(message({}, start, measured), "no input to fit: name one to three of al_eq, al, cu, angle, kv_offset");
  EXPECT_EQ(message({TubeInput::AddedAluminium, TubeInput::AddedCopper, TubeInput::TargetAngle,
                     TubeInput::InherentAluminiumEquivalent},
                    start, measured),
            "at most three inputs can be fitted at once");
  EXPECT_EQ(message({TubeInput::AddedCopper, TubeInput::AddedCopper}, start, measured), "input cu is named twice");
  EXPECT_EQ(message({TubeInput::TargetAngle}, {5, 0, 0, 0.5}, measured),
            "the start of angle, 0.5, is outside its range 1 to 90");
  std::vector<TubeMeasurement> single{measured[0]};
  single[0].layersMm[1].reset();
  EXPECT_EQ(message({TubeInput::InherentAluminiumEquivalent, TubeInput::TargetAngle}, start, single),
            "1 measured layer(s) cannot fix 2 inputs: measure at least as many layers as inputs are fitted");
  std::vector<TubeMeasurement> copper = measured;
  copper[1].layersMm[3] = 0.5;  // HVL2 Cu, which the stand-in cannot give
  EXPECT_EQ(message({TubeInput::InherentAluminiumEquivalent}, start, copper),
            "the starting beam has no hvl2_cu_mm at 80 kV: a layer beyond 100 mm");
  EXPECT_EQ(TubeInputNamed("al-eq"), TubeInput::InherentAluminiumEquivalent);
  EXPECT_EQ(TubeInputNamed("angle"), TubeInput::TargetAngle);
  EXPECT_EQ(TubeInputNamed("kv-offset"), TubeInput::KvOffset);
  EXPECT_EQ(TubeInputNamed("kv_offset"), TubeInput::KvOffset);
  std::vector<TubeMeasurement> tiny = measured;
  tiny[2].layersMm[0] = 1e-300;
  EXPECT_EQ(message({TubeInput::InherentAluminiumEquivalent}, start, tiny),
            "hvl1_al_mm at 100 kV: 1e-300 mm is thinner than 0.0001 mm, thinner than any beam's half-value layer");
  EXPECT_FALSE(TubeInputNamed("be"));
}

}  // namespace
}  // namespace kestrix
