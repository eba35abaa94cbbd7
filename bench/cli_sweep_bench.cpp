// Time of kestrix-cli's voltage sweep: 271 spectra from 30 to 300 kV in 1 kV steps (Tucker, and the
// physics model with its absolute output; constant potential, default filtration), each with its
// exchange file and the engine's half-value layers, effective energies and fluence computed in process.

#include <benchmark/benchmark.h>

#include <string>

#include "batch_run.h"
#include "cli_options.h"

namespace {

using namespace kestrix;

void SweepThirtyToThreeHundredKilovolts(benchmark::State& timing, SpectrumModel model) {
  BatchRun batch(std::string(KESTRIX_DELIVERED_DATA) + "/" + kAttenuationTableFile, {});
  RunSettings settings{model, RunEntries{200, 20, 3, 5, 0, 0}, RectificationType::ConstantPotential,
                       DisplayQuantity::PhotonNumber};
  const std::vector<double> voltages = VoltageSweep{30, 300, 1}.Voltages();
  for (auto _ : timing) {
    for (const double kiloVolts : voltages) {
      settings.entries.tubeVoltageKV = kiloVolts;
      const RunOutcome outcome = batch.Run(settings);
      benchmark::DoNotOptimize(outcome.resultFileText.data());
    }
  }
  timing.counters["spectra"] = static_cast<double>(voltages.size());
}
BENCHMARK_CAPTURE(SweepThirtyToThreeHundredKilovolts, Tucker, SpectrumModel::Tucker)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SweepThirtyToThreeHundredKilovolts, Physics, SpectrumModel::Physics)->Unit(benchmark::kMillisecond);

/// One run at the default 200 kV, for the share of each step.
void DefaultRun(benchmark::State& timing) {
  BatchRun batch(std::string(KESTRIX_DELIVERED_DATA) + "/" + kAttenuationTableFile, {});
  const RunSettings settings{SpectrumModel::Tucker, RunEntries{200, 20, 3, 5, 0, 0},
                             RectificationType::ConstantPotential, DisplayQuantity::PhotonNumber};
  for (auto _ : timing) {
    const RunOutcome outcome = batch.Run(settings);
    benchmark::DoNotOptimize(outcome.resultFileText.data());
  }
}
BENCHMARK(DefaultRun)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
