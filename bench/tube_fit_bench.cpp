// Time of a commissioning fit: the inherent aluminium equivalent and the target angle fitted to six
// layers (HVL1 and HVL2 at 60, 80, 100 kV) with the physics model and the single-phase waveform, the
// slowest waveform; and Birch's model started from 39 mm Al eq., far from the layers.

#include <benchmark/benchmark.h>

#include <string>

#include "batch_run.h"

namespace {

using namespace kestrix;

std::vector<TubeMeasurement> SixLayers() {
  std::vector<TubeMeasurement> measurements;
  const double layers[3][3] = {{60, 2.31, 3.12}, {80, 2.98, 4.35}, {100, 3.66, 5.55}};
  for (const auto& row : layers) {
    TubeMeasurement m;
    m.tubeVoltageKV = row[0];
    m.layersMm[0] = row[1];
    m.layersMm[1] = row[2];
    measurements.push_back(m);
  }
  return measurements;
}

void FitTwoInputsToSixLayers(benchmark::State& timing, SpectrumModel model, RectificationType waveform,
                             double aluminiumEquivalentMm) {
  BatchRun batch(std::string(KESTRIX_DELIVERED_DATA) + "/" + kAttenuationTableFile, {});
  const RunSettings settings{model, RunEntries{100, 20, 1, aluminiumEquivalentMm, 0, 0}, waveform,
                             DisplayQuantity::PhotonNumber};
  int evaluations = 0;
  for (auto _ : timing) {
    const TubeFitOutcome tube = FitTubeInputs(batch, settings, SixLayers(),
                                              {TubeInput::InherentAluminiumEquivalent, TubeInput::TargetAngle});
    evaluations = tube.fit.evaluations;
    benchmark::DoNotOptimize(tube.fit.inputs.data());
  }
  timing.counters["evaluations"] = evaluations;
}
BENCHMARK_CAPTURE(FitTwoInputsToSixLayers, PhysicsSinglePhase, SpectrumModel::Physics,
                  RectificationType::SinglePhaseFullWave, 5.0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FitTwoInputsToSixLayers, BirchFrom39MmAlEq, SpectrumModel::Birch, RectificationType::ConstantPotential,
                  39.0)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
