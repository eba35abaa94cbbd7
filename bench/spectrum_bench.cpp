// Time of one photon-number spectrum: the worst case (Tucker, 300 kV, single-phase
// full-wave) and the constant-potential 200 kV default, both with 3 mm Be, 5 mm Al
// equivalent and a 20 degree target.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "calculation_run.h"
#include "calculation_state.h"
#include "waveform_synthesis.h"

namespace {

using namespace kestrix;

/// Power-law coefficients with the tungsten edges, for a checkout without the delivered table.
AttenuationTable PlausibleTable() {
  AttenuationTable table;
  for (int i = 1; i <= kGridLast; ++i) {
    const double E = PhotonEnergy(i);
    const double jump = E > 69.525 ? 5.0 : (E > 10.2 ? 1.0 : 0.4);
    table.muW[i] = 19.3 * (9000.0 * jump * std::pow(E, -2.8) + 0.1);
    table.muAl[i] = 2.699 * (1500.0 * std::pow(E, -3.0) + 0.15);
    table.muCu[i] = 8.96 * ((E > 8.98 ? 11000.0 : 1500.0) * std::pow(E, -2.8) + 0.12);
    table.muBe[i] = 1.848 * (2.0 * std::pow(E, -3.0) + 0.13);
    table.muEnAir[i] = 1000.0 * std::pow(E, -3.0) + 0.025;
  }
  return table;
}

CalculationState& BenchState() {
  static CalculationState state = [] {
    CalculationState s;
    try {
      s.LoadAttenuationTable(std::string(KESTRIX_DELIVERED_DATA) + "/" + kAttenuationTableFile);
    } catch (const TableLoadError& error) {
      std::fprintf(stderr, "%s\nUsing a synthetic table instead.\n", error.what());
      s.table = PlausibleTable();
      s.tableLoaded = true;
    }
    return s;
  }();
  return state;
}

/// default filtration of the main window: 3 mm Be window, 5 mm Al equivalent [cm]
constexpr FilterSet kDefaultFilters{0.3, 0.5, 0.0, 0.0};
constexpr double kDefaultTargetAngle = 20;

void RunSpectrum(benchmark::State& timing, SpectrumModel model, double kVp, RectificationType type) {
  CalculationState& state = BenchState();
  const double cosecTheta = CosecantOfTargetAngle(kDefaultTargetAngle);
  for (auto _ : timing) {
    state.SpectrumBins.fill(0.0);
    SynthesizeSpectrum(model, kVp, cosecTheta, type, kDefaultFilters, state);
    benchmark::DoNotOptimize(state.SpectrumBins.data());
  }
}

void WorstCase(benchmark::State& timing) {
  RunSpectrum(timing, SpectrumModel::Tucker, 300, RectificationType::SinglePhaseFullWave);
}
void ConstantPotential200kV(benchmark::State& timing) {
  RunSpectrum(timing, SpectrumModel::Tucker, 200, RectificationType::ConstantPotential);
}

BENCHMARK(WorstCase)->Unit(benchmark::kMillisecond);
BENCHMARK(ConstantPotential200kV)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
