#include "waveform_synthesis.h"

#include <cmath>

#include <gtest/gtest.h>

#include "calculation_run.h"
#include "emission_models.h"
#include "physics_emission.h"
#include "synthetic_table.h"
#include "tolerance.h"
#include "tucker_model.h"

namespace kestrix {
namespace {

TEST(WaveformSamples, PhasesAndWeightsOfTheThreeWaveforms) {
  const auto constant = WaveformSamples(RectificationType::ConstantPotential);
  ASSERT_EQ(constant.size(), 1u);
  EXPECT_EQ(constant[0].phaseDegrees, 90);
  EXPECT_EQ(constant[0].weight, 1.0);

  const auto twelvePeak = WaveformSamples(RectificationType::ThreePhase12Peak);
  ASSERT_EQ(twelvePeak.size(), 16u);
  for (std::size_t k = 0; k < twelvePeak.size(); ++k) {
    EXPECT_EQ(twelvePeak[k].phaseDegrees, 75 + static_cast<int>(k));
    EXPECT_EQ(twelvePeak[k].weight, 1.0);
  }

  const auto fullWave = WaveformSamples(RectificationType::SinglePhaseFullWave);
  ASSERT_EQ(fullWave.size(), 45u);
  EXPECT_EQ(fullWave.front().phaseDegrees, 2);
  EXPECT_EQ(fullWave.back().phaseDegrees, 90);
  EXPECT_REL_NEAR(fullWave[0].weight, 0.0100377, 1e-5);
  EXPECT_REL_NEAR(fullWave[23].weight, 0.98632, 1e-5);
  EXPECT_EQ(fullWave[23].phaseDegrees, 48);
  for (std::size_t k = 24; k < fullWave.size(); ++k) EXPECT_EQ(fullWave[k].weight, 1.0) << fullWave[k].phaseDegrees;
}

TEST(SamplesPerCurrentWeight, IsOneForUnitWeightsAndTheWeightsMeanForFullWave) {
  EXPECT_EQ(SamplesPerCurrentWeight(RectificationType::ConstantPotential), 1.0);
  EXPECT_EQ(SamplesPerCurrentWeight(RectificationType::ThreePhase12Peak), 1.0);
  double weights = 0;
  for (const WaveformSample& sample : WaveformSamples(RectificationType::SinglePhaseFullWave)) weights += sample.weight;
  EXPECT_DOUBLE_EQ(SamplesPerCurrentWeight(RectificationType::SinglePhaseFullWave), 45.0 / weights);
  EXPECT_GT(SamplesPerCurrentWeight(RectificationType::SinglePhaseFullWave), 1.0);  // low-voltage samples carry less current
}

TEST(SampleVoltage, UsesTheCalculationsOwnPi) {
  EXPECT_REL_NEAR(SampleVoltage(100, 90), 99.99999999991198, 1e-15);
  EXPECT_REL_NEAR(SampleVoltage(100, 75), 96.59255401219878, 1e-14);
  EXPECT_EQ(TopBinFor(SampleVoltage(100, 90)), 199);
}

TEST(AverageWaveformSamples, TwelvePeakAveragingDividesByTheSampleCount) {
  GridArray phaseEmission{}, bins{};
  const SampleEmission unitEmission = [](std::size_t, double T0, GridArray& emission) {
    for (int i = 2; i <= TopBinFor(T0); ++i) emission[i] = 1.0;
  };
  AverageWaveformSamples(100, WaveformSamples(RectificationType::ThreePhase12Peak), unitEmission, phaseEmission, bins);
  for (int i = 2; i <= 193; ++i) ASSERT_EQ(bins[i], 1.0) << "bin " << i;
  EXPECT_EQ(bins[194], 0.9375);
  EXPECT_EQ(bins[195], 0.8125);
  EXPECT_EQ(bins[196], 0.75);
  EXPECT_EQ(bins[197], 0.625);
  EXPECT_EQ(bins[198], 0.5625);
  EXPECT_EQ(bins[199], 0.375);  // six samples reach it, from 85 degrees on
  EXPECT_EQ(bins[200], 0.0);
}

TEST(AverageWaveformSamples, FullWaveSumsWeightedSamplesAndDividesBy45) {
  GridArray phaseEmission{}, bins{};
  const auto samples = WaveformSamples(RectificationType::SinglePhaseFullWave);
  AverageWaveformSamples(
      300, samples, [](std::size_t, double T0, GridArray& e) { for (int i = 2; i <= TopBinFor(T0); ++i) e[i] = 1.0; },
      phaseEmission, bins);
  double allWeights = 0;
  for (const auto& s : samples) allWeights += s.weight;
  EXPECT_REL_NEAR(bins[2], allWeights / 45, 1e-14);  // every sample reaches 1 keV
  EXPECT_REL_NEAR(bins[599], 2.0 / 45, 1e-14);       // only the 88 and 90 degree samples reach 299.5 keV
  EXPECT_EQ(bins[600], 0.0);                         // none reaches 300 keV
}

class SynthesizeSpectrumTest : public ::testing::Test {
 protected:
  SynthesizeSpectrumTest() { state.table = test::PlausibleTable(); }
  GridArray Spectrum(double kVp, const FilterSet& filters, RectificationType type = RectificationType::ConstantPotential,
                     SpectrumModel model = SpectrumModel::Tucker) {
    state.SpectrumBins.fill(0.0);
    SynthesizeSpectrum(model, kVp, CosecantOfTargetAngle(20), type, filters, state);
    return state.SpectrumBins;
  }
  CalculationState state;
  FilterSet defaults{0.3, 0.5, 0, 0};
};

TEST_F(SynthesizeSpectrumTest, ConstantPotential100kVFillsBins2To199) {
  const GridArray bins = Spectrum(100, FilterSet{});
  EXPECT_EQ(bins[1], 0.0);
  for (int i = 2; i <= 199; ++i) ASSERT_GT(bins[i], 0.0) << "bin " << i;
  for (int i = 200; i <= kGridLast; ++i) ASSERT_EQ(bins[i], 0.0) << "bin " << i;
}

TEST_F(SynthesizeSpectrumTest, WithoutFiltersTheSpectrumIsTheEmissionOverTheEnergy) {
  const GridArray bins = Spectrum(100, FilterSet{});
  GridArray emission{};
  TuckerEmission(SampleVoltage(100, 90), CosecantOfTargetAngle(20), state.table, emission);
  for (int i = 2; i <= 199; ++i) ASSERT_REL_NEAR(bins[i], emission[i] / (0.5 * i), 1e-15) << "bin " << i;
  EXPECT_EQ(state.PhaseEmission, emission);  // the last sample's emission stays behind
}

TEST_F(SynthesizeSpectrumTest, NoPhotonsAboveThePeakVoltage) {
  for (const double kVp : {30.0, 70.3, 155.7, 300.0}) {
    for (const auto type : {RectificationType::ConstantPotential, RectificationType::ThreePhase12Peak,
                            RectificationType::SinglePhaseFullWave}) {
      for (const auto model : {SpectrumModel::Tucker, SpectrumModel::Birch}) {
        const GridArray bins = Spectrum(kVp, defaults, type, model);
        for (int i = 2; i <= kGridLast; ++i) {
          if (PhotonEnergy(i) > kVp) {
            ASSERT_EQ(bins[i], 0.0) << kVp << " kV, bin " << i;
          }
          ASSERT_TRUE(std::isfinite(bins[i]));
        }
      }
    }
  }
}

TEST_F(SynthesizeSpectrumTest, MoreFiltrationNeverRaisesAnyBin) {
  const GridArray base = Spectrum(150, defaults, RectificationType::ThreePhase12Peak);
  FilterSet more = defaults;
  more.tAlAdd = 0.2;
  const GridArray moreAl = Spectrum(150, more, RectificationType::ThreePhase12Peak);
  more.tCu = 0.05;
  const GridArray moreCu = Spectrum(150, more, RectificationType::ThreePhase12Peak);
  state.filters.count = 1;
  state.filters.coefficients[2].fill(3.0);  // every slot is applied, whichever holds a filter
  state.filters.thickness[2] = 0.1;
  const GridArray moreArbitrary = Spectrum(150, more, RectificationType::ThreePhase12Peak);
  for (int i = 2; i <= 300; ++i) {
    ASSERT_LE(moreAl[i], base[i]) << "bin " << i;
    ASSERT_LE(moreCu[i], moreAl[i]) << "bin " << i;
    ASSERT_REL_NEAR(moreArbitrary[i], moreCu[i] * std::exp(-0.3), 1e-13) << "bin " << i;
  }
}

TEST_F(SynthesizeSpectrumTest, InherentAndAddedAluminiumActAsOneLayer) {
  const GridArray split = Spectrum(120, FilterSet{0.1, 0.2, 0.3, 0.0});
  const GridArray joined = Spectrum(120, FilterSet{0.1, 0.0, 0.5, 0.0});
  for (int i = 2; i <= 240; ++i) ASSERT_REL_NEAR(split[i], joined[i], 1e-13) << "bin " << i;
}

TEST_F(SynthesizeSpectrumTest, AThickCopperFilterUnderflowsToZeroWithoutError) {
  FilterSet thick = defaults;
  thick.tCu = 10.0;  // 10 cm of copper
  const GridArray bins = Spectrum(300, thick, RectificationType::SinglePhaseFullWave);
  int absorbed = 0;
  for (int i = 2; i <= 600; ++i) {
    if (state.table.muCu[i] * thick.tCu > 800) {  // transmission below the smallest double
      ASSERT_EQ(bins[i], 0.0) << "bin " << i;
      ++absorbed;
    }
  }
  EXPECT_GT(absorbed, 10);
  bool anyLeft = false;
  for (int i = 2; i <= 600; ++i) {
    ASSERT_TRUE(std::isfinite(bins[i])) << "bin " << i;
    ASSERT_GE(bins[i], 0.0);
    anyLeft = anyLeft || bins[i] > 0;
  }
  EXPECT_TRUE(anyLeft);  // the hardest photons still pass
}

TEST_F(SynthesizeSpectrumTest, BinsBetweenTheLastSampleAndThePeakVoltagePassAsZero) {
  // kVp 100: the 90 degree sample stops at bin 199, the filtration runs to bin 200
  const GridArray bins = Spectrum(100, FilterSet{0, 0, 0, -0.1});  // a negative thickness amplifies
  EXPECT_EQ(bins[200], 0.0);
  EXPECT_GT(bins[199], 0.0);
}

/// The physics model's spectrum from every sample computed alone, averaged and filtered as
/// SynthesizeSpectrum does.
GridArray PhysicsSamplesAlone(double kVp, RectificationType type, const FilterSet& filters, CalculationState& state) {
  const std::vector<WaveformSample> samples = WaveformSamples(type);
  std::vector<double> voltages;
  for (const WaveformSample& sample : samples) voltages.push_back(SampleVoltage(kVp, sample.phaseDegrees));
  std::vector<GridArray> emissions;
  EmissionModelFor(SpectrumModel::Physics).SampleEmissions(voltages, CosecantOfTargetAngle(20), state.table, emissions);
  GridArray phase{}, bins{};
  AverageWaveformSamples(
      kVp, samples, [&](std::size_t k, double, GridArray& out) { out = emissions[k]; }, phase, bins);
  ApplyFiltration(kVp, filters, state.table, state.filters, bins);
  return bins;
}

TEST_F(SynthesizeSpectrumTest, PhysicsTwelvePeakSharesItsSamplesWorkWithin1e4AndSinglePhaseComputesEach) {
  // 12-peak: the nodes of WaveformEmissions; the air-kerma-like sum of the spectrum within 1e-4 of
  // every sample computed alone, bin by bin within 1e-3 where the bin carries the beam
  for (const double kVp : {45.0, 72.0, 150.0}) {
    const GridArray shared = Spectrum(kVp, defaults, RectificationType::ThreePhase12Peak, SpectrumModel::Physics);
    const GridArray alone = PhysicsSamplesAlone(kVp, RectificationType::ThreePhase12Peak, defaults, state);
    double sharedSum = 0, aloneSum = 0, peak = 0;
    for (int i = 2; i <= TopBinFor(kVp); ++i) peak = std::max(peak, alone[i]);
    for (int i = 2; i <= TopBinFor(kVp); ++i) {
      sharedSum += shared[i] * PhotonEnergy(i);
      aloneSum += alone[i] * PhotonEnergy(i);
      if (alone[i] > 0.01 * peak) EXPECT_REL_NEAR(shared[i], alone[i], 1e-3) << kVp << " kV, bin " << i;
    }
    EXPECT_REL_NEAR(sharedSum, aloneSum, 1e-4) << kVp << " kV";
  }
  // single-phase: every sample alone, to the last digit
  const GridArray fullWave = Spectrum(90, defaults, RectificationType::SinglePhaseFullWave, SpectrumModel::Physics);
  EXPECT_EQ(fullWave, PhysicsSamplesAlone(90, RectificationType::SinglePhaseFullWave, defaults, state));
}

}  // namespace
}  // namespace kestrix
