#include "bremsstrahlung_kernel.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "birch_model.h"
#include "calculation_run.h"
#include "reference_emission.h"
#include "synthetic_table.h"
#include "tucker_model.h"
#include "waveform_synthesis.h"

namespace kestrix {
namespace {

/// Every bin of `fast` within 1e-12 relative of `reference`, or within 1e-300 where the
/// reference has underflowed.
::testing::AssertionResult SameBins(const GridArray& fast, const GridArray& reference) {
  for (int i = 0; i <= kGridLast; ++i) {
    const double difference = std::fabs(fast[i] - reference[i]);
    if (!(difference <= 1e-12 * std::fabs(reference[i]) || difference <= 1e-300)) {
      return ::testing::AssertionFailure() << "bin " << i << ": " << fast[i] << " instead of " << reference[i]
                                           << " (relative difference " << difference / std::fabs(reference[i]) << ")";
    }
  }
  return ::testing::AssertionSuccess();
}

AttenuationTable DeliveredTable() {
  CalculationState state;
  state.LoadAttenuationTable(std::string(KESTRIX_DELIVERED_DATA) + "/" + kAttenuationTableFile);
  return state.table;
}

const char* Name(SpectrumModel model) { return model == SpectrumModel::Tucker ? "Tucker" : "Birch"; }

TEST(FastSpectrum, MatchesTheTermByTermSumsOnEveryBin) {
  CalculationState fast, reference;
  fast.table = reference.table = DeliveredTable();
  const FilterSet defaults{0.3, 0.5, 0.0, 0.0};
  for (const auto model : {SpectrumModel::Tucker, SpectrumModel::Birch}) {
    for (const auto type : {RectificationType::ConstantPotential, RectificationType::ThreePhase12Peak,
                            RectificationType::SinglePhaseFullWave}) {
      for (const double kVp : {30.0, 70.5, 100.0, 200.5, 300.0}) {
        for (const double angle : {20.0, 6.0, 45.0}) {
          const double cosecTheta = CosecantOfTargetAngle(angle);
          fast.SpectrumBins.fill(0.0);
          reference.SpectrumBins.fill(0.0);
          SynthesizeSpectrum(model, kVp, cosecTheta, type, defaults, fast);
          reference::SynthesizeSpectrum(model, kVp, cosecTheta, type, defaults, reference);
          ASSERT_TRUE(SameBins(fast.SpectrumBins, reference.SpectrumBins))
              << Name(model) << " waveform " << static_cast<int>(type) << " " << kVp << " kV " << angle << " deg";
          ASSERT_TRUE(SameBins(fast.PhaseEmission, reference.PhaseEmission)) << Name(model) << " " << kVp << " kV";
        }
      }
    }
  }
}

TEST(FastSpectrum, SingleSamplesMatchAtSteepAndShallowAngles) {
  const AttenuationTable tables[] = {DeliveredTable(), test::PlausibleTable(), test::ConstantTable(0.0)};
  for (const AttenuationTable& table : tables) {
    for (const double angle : {0.5, 3.0, 20.0, 90.0, 179.5}) {
      for (const double T0 : {1.0469840, 35.25, 70.5, 100.0, 199.99, 299.9999999997}) {
        const double cosecTheta = CosecantOfTargetAngle(angle);
        GridArray tucker{}, tuckerReference{}, birch{}, birchReference{};
        TuckerEmission(T0, cosecTheta, table, tucker);
        reference::TuckerEmission(T0, cosecTheta, table, tuckerReference);
        BirchEmission(T0, cosecTheta, table, birch);
        reference::BirchEmission(T0, cosecTheta, table, birchReference);
        ASSERT_TRUE(SameBins(tucker, tuckerReference)) << "Tucker " << T0 << " kV " << angle << " deg";
        ASSERT_TRUE(SameBins(birch, birchReference)) << "Birch " << T0 << " kV " << angle << " deg";
      }
    }
  }
}

TEST(FastSpectrum, ResultsDoNotDependOnTheNumberOfThreads) {
  const AttenuationTable table = DeliveredTable();
  std::vector<double> voltages;
  for (const auto& sample : WaveformSamples(RectificationType::SinglePhaseFullWave)) {
    voltages.push_back(SampleVoltage(250, sample.phaseDegrees));
  }
  std::vector<GridArray> one, two, five;
  ComputeSampleEmissions(SpectrumModel::Tucker, voltages, 3.0, table, one, 1);
  ComputeSampleEmissions(SpectrumModel::Tucker, voltages, 3.0, table, two, 2);
  ComputeSampleEmissions(SpectrumModel::Tucker, voltages, 3.0, table, five, 5);
  ASSERT_EQ(one.size(), voltages.size());
  for (std::size_t k = 0; k < voltages.size(); ++k) {
    EXPECT_EQ(one[k], two[k]) << "sample " << k;
    EXPECT_EQ(one[k], five[k]) << "sample " << k;
  }
}

TEST(FastSpectrum, VoltagesAboveTheGridAreRefused) {
  GridArray emission{};
  EXPECT_NO_THROW(TuckerEmission(500, 3.0, test::PlausibleTable(), emission));
  EXPECT_THROW(TuckerEmission(500.5, 3.0, test::PlausibleTable(), emission), std::out_of_range);
  EXPECT_THROW(BirchEmission(std::nan(""), 3.0, test::PlausibleTable(), emission), std::out_of_range);
}

}  // namespace
}  // namespace kestrix
