// Time of one photon-number spectrum, by the program's fast code and by the term-by-term
// transcription on the same inputs: the worst case (Tucker, 300 kV, single-phase full-wave)
// and the constant-potential 200 kV default, both with 3 mm Be, 5 mm Al equivalent and a
// 20 degree target. Ends with the speed-up of the fast code in each case.
// Then one spectrum with all its extended figures by Tucker's model and by the physics model (with
// its absolute output) in the same cases and at 60 kV, and the physics model's cost in Tucker spectra;
// the physics model at 450 kV (computed on the whole grid) against 100 kV.
// Then a transmission target (1 um tungsten on 0.3 mm diamond) through the whole run with its figures,
// on the central ray and off it, against the reflection target's spectrum at the same voltage.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "absolute_output.h"
#include "beam_quality.h"
#include "calculation_run.h"
#include "calculation_state.h"
#include "emission_models.h"
#include "physics_emission.h"
#include "reference_emission.h"
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

using Synthesis = void (*)(SpectrumModel, double, double, RectificationType, const FilterSet&, CalculationState&);

void RunSpectrum(benchmark::State& timing, Synthesis synthesize, double kVp, RectificationType type) {
  CalculationState& state = BenchState();
  const double cosecTheta = CosecantOfTargetAngle(kDefaultTargetAngle);
  for (auto _ : timing) {
    state.SpectrumBins.fill(0.0);
    synthesize(SpectrumModel::Tucker, kVp, cosecTheta, type, kDefaultFilters, state);
    benchmark::DoNotOptimize(state.SpectrumBins.data());
  }
}

void WorstCase(benchmark::State& timing, Synthesis synthesize) {
  RunSpectrum(timing, synthesize, 300, RectificationType::SinglePhaseFullWave);
}
void ConstantPotential200kV(benchmark::State& timing, Synthesis synthesize) {
  RunSpectrum(timing, synthesize, 200, RectificationType::ConstantPotential);
}

// real time, since the fast code spreads the samples over the cores
BENCHMARK_CAPTURE(WorstCase, Reference, reference::SynthesizeSpectrum)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(WorstCase, Fast, SynthesizeSpectrum)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(ConstantPotential200kV, Reference, reference::SynthesizeSpectrum)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(ConstantPotential200kV, Fast, SynthesizeSpectrum)->Unit(benchmark::kMillisecond)->UseRealTime();

/// The extended figures of the spectrum in state.SpectrumBins.
ExtendedBeamQuality Figures(const CalculationState& state) {
  PhotonSpectrum spectrum{};
  for (int i = 1; i <= kExchangeLast; ++i) spectrum[i] = state.SpectrumBins[i];
  return ComputeExtendedBeamQuality(spectrum, state.table);
}

/// One spectrum with all its figures, Tucker's fast code: emission, waveform, filters, extended figures.
void TuckerWithFigures(benchmark::State& timing, double kVp, RectificationType type) {
  CalculationState& state = BenchState();
  const double cosecTheta = CosecantOfTargetAngle(kDefaultTargetAngle);
  for (auto _ : timing) {
    state.SpectrumBins.fill(0.0);
    SynthesizeSpectrum(SpectrumModel::Tucker, kVp, cosecTheta, type, kDefaultFilters, state);
    benchmark::DoNotOptimize(Figures(state));
  }
}

/// The physics model's spectrum with its figures and its absolute output at 1 m; the waveform's samples
/// each computed alone (SampleEmissions) or from exact nodes with the others interpolated
/// (WaveformEmissions, which SynthesizeSpectrum uses for 12-peak).
void PhysicsSpectrumWithFigures(benchmark::State& timing, double kVp, RectificationType type, bool fromNodes) {
  CalculationState& state = BenchState();
  static const PhysicsEmissionModel model;
  const double cosecTheta = CosecantOfTargetAngle(kDefaultTargetAngle);
  const std::vector<WaveformSample> samples = WaveformSamples(type);
  std::vector<double> voltages;
  for (const WaveformSample& sample : samples) voltages.push_back(SampleVoltage(kVp, sample.phaseDegrees));
  std::vector<GridArray> emissions;
  for (auto _ : timing) {
    state.SpectrumBins.fill(0.0);
    if (fromNodes) {
      model.WaveformEmissions(voltages, cosecTheta, state.table, emissions);
    } else {
      model.SampleEmissions(voltages, cosecTheta, state.table, emissions);
    }
    AverageWaveformSamples(
        kVp, samples, [&](std::size_t k, double, GridArray& phase) { phase = emissions[k]; }, state.PhaseEmission,
        state.SpectrumBins);
    ApplyFiltration(kVp, kDefaultFilters, state.table, state.filters, state.SpectrumBins);
    // above 300 kV the figures of the whole grid (the exchange bins end at 300 keV)
    if (kVp > kExchangeLast * kKeVPerGridIndex) {
      benchmark::DoNotOptimize(ComputeExtendedBeamQualityOnGrid(state.SpectrumBins, state.table));
    } else {
      benchmark::DoNotOptimize(Figures(state));
    }
    benchmark::DoNotOptimize(ComputeAbsoluteOutput(state.SpectrumBins, 1000.0, state.table));
  }
}

void PhysicsWithFigures(benchmark::State& timing, double kVp, RectificationType type) {
  PhysicsSpectrumWithFigures(timing, kVp, type, false);
}

void PhysicsNodesWithFigures(benchmark::State& timing, double kVp, RectificationType type) {
  PhysicsSpectrumWithFigures(timing, kVp, type, true);
}

/// The physics model of a target at 30 kV constant potential with all figures (1 mm Be, 0.5 mm Al).
void TargetWithFigures(benchmark::State& timing, TargetMaterial target) {
  CalculationState& state = BenchState();
  const PhysicsEmissionModel& model = static_cast<const PhysicsEmissionModel&>(
      EmissionModelFor(SpectrumModel::Physics, target, true));
  const double cosecTheta = CosecantOfTargetAngle(kDefaultTargetAngle);
  const FilterSet filters{0.1, 0.05, 0, 0};
  GridArray emission{};
  for (auto _ : timing) {
    state.SpectrumBins.fill(0.0);
    model.SampleEmission(30, cosecTheta, state.table, emission);
    state.SpectrumBins = emission;
    ApplyFiltration(30, filters, state.table, state.filters, state.SpectrumBins);
    benchmark::DoNotOptimize(Figures(state));
    benchmark::DoNotOptimize(ComputeAbsoluteOutput(state.SpectrumBins, 1000.0, state.table));
  }
}

BENCHMARK_CAPTURE(TargetWithFigures, Tungsten30kV, TargetMaterial::Tungsten)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(TargetWithFigures, Molybdenum30kV, TargetMaterial::Molybdenum)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(TargetWithFigures, Rhodium30kV, TargetMaterial::Rhodium)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(TargetWithFigures, Silver30kV, TargetMaterial::Silver)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(TargetWithFigures, Gold30kV, TargetMaterial::Gold)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_CAPTURE(TuckerWithFigures, WorstCase, 300, RectificationType::SinglePhaseFullWave)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(PhysicsWithFigures, WorstCase, 300, RectificationType::SinglePhaseFullWave)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(TuckerWithFigures, ConstantPotential200kV, 200, RectificationType::ConstantPotential)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(PhysicsWithFigures, ConstantPotential200kV, 200, RectificationType::ConstantPotential)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// a waveform's physics spectrum against the constant-potential one at its peak voltage
BENCHMARK_CAPTURE(PhysicsWithFigures, ConstantPotential300kV, 300, RectificationType::ConstantPotential)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(PhysicsWithFigures, TwelvePeak300kV, 300, RectificationType::ThreePhase12Peak)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(PhysicsWithFigures, SinglePhase80kV, 80, RectificationType::SinglePhaseFullWave)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(PhysicsWithFigures, ConstantPotential80kV, 80, RectificationType::ConstantPotential)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// tungsten above 300 kV (the own Monte Carlo's electrons) against 100 kV
BENCHMARK_CAPTURE(PhysicsWithFigures, ConstantPotential100kV, 100, RectificationType::ConstantPotential)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(PhysicsWithFigures, ConstantPotential450kV, 450, RectificationType::ConstantPotential)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// waveforms at 100 and 300 kV, each sample exact and with WaveformEmissions
BENCHMARK_CAPTURE(PhysicsWithFigures, TwelvePeak100kV, 100, RectificationType::ThreePhase12Peak)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(PhysicsWithFigures, SinglePhase100kV, 100, RectificationType::SinglePhaseFullWave)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(PhysicsNodesWithFigures, TwelvePeak100kV, 100, RectificationType::ThreePhase12Peak)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(PhysicsNodesWithFigures, SinglePhase100kV, 100, RectificationType::SinglePhaseFullWave)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(PhysicsNodesWithFigures, TwelvePeak300kV, 300, RectificationType::ThreePhase12Peak)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(PhysicsNodesWithFigures, SinglePhase300kV, 300, RectificationType::SinglePhaseFullWave)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(TuckerWithFigures, ConstantPotential60kV, 60, RectificationType::ConstantPotential)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(PhysicsWithFigures, ConstantPotential60kV, 60, RectificationType::ConstantPotential)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

/// The whole run of a transmission target (ComputePhotonSpectrum: refusals, model, waveform, filters)
/// with its figures and absolute output; 1 um tungsten on 0.3 mm diamond, 1 mm Al added.
void TransmissionWithFigures(benchmark::State& timing, double kVp, RectificationType type, double alongDegrees) {
  CalculationState& state = BenchState();
  RunEntries entries;
  entries.tubeVoltageKV = kVp;
  entries.berylliumMm = 0;
  entries.aluminiumEquivalentMm = 0;
  entries.addedAluminiumMm = 1;
  entries.offAxisAlongDegrees = alongDegrees;
  entries.transmission = {1.0, TransmissionWindow::Diamond, 0.3};
  const RunInputs inputs = CorrectRunEntries(entries, SpectrumModel::Physics);
  for (auto _ : timing) {
    ComputePhotonSpectrum(inputs, SpectrumModel::Physics, type, state);
    benchmark::DoNotOptimize(Figures(state));
    benchmark::DoNotOptimize(ComputeAbsoluteOutput(state.SpectrumBins, 1000.0, state.table));
  }
}
BENCHMARK_CAPTURE(TransmissionWithFigures, ConstantPotential100kV, 100, RectificationType::ConstantPotential, 0.0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(TransmissionWithFigures, ConstantPotential100kVOffAxis, 100, RectificationType::ConstantPotential, 15.0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(TransmissionWithFigures, SinglePhase100kV, 100, RectificationType::SinglePhaseFullWave, 0.0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

/// The console report, keeping each run's real time to print the speed-ups at the end.
class SpeedUpReporter : public benchmark::ConsoleReporter {
 public:
  using ConsoleReporter::ConsoleReporter;

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
        realMilliseconds_[run.benchmark_name()] =
            run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintSpeedUps() const {
    for (const char* name : {"WorstCase", "ConstantPotential200kV"}) {
      const auto reference = realMilliseconds_.find(std::string(name) + "/Reference/real_time");
      const auto fast = realMilliseconds_.find(std::string(name) + "/Fast/real_time");
      if (reference == realMilliseconds_.end() || fast == realMilliseconds_.end()) continue;
      std::printf("%-24s reference %9.3f ms   fast %7.3f ms   %6.1f times faster\n", name, reference->second,
                  fast->second, reference->second / fast->second);
    }
    // a physics spectrum with all figures against Tucker's
    for (const char* name : {"WorstCase", "ConstantPotential200kV", "ConstantPotential60kV"}) {
      const auto tucker = realMilliseconds_.find(std::string("TuckerWithFigures/") + name + "/real_time");
      const auto physics = realMilliseconds_.find(std::string("PhysicsWithFigures/") + name + "/real_time");
      if (tucker == realMilliseconds_.end() || physics == realMilliseconds_.end()) continue;
      std::printf("%-24s tucker %9.3f ms   physics %7.3f ms   physics costs %5.2f times tucker\n", name,
                  tucker->second, physics->second, physics->second / tucker->second);
    }
    // a physics spectrum of a waveform against the constant-potential spectrum of its peak voltage
    for (const auto& [waveform, constant] : {std::pair{"WorstCase", "ConstantPotential300kV"},
                                             std::pair{"TwelvePeak300kV", "ConstantPotential300kV"},
                                             std::pair{"SinglePhase80kV", "ConstantPotential80kV"}}) {
      const auto shaped = realMilliseconds_.find(std::string("PhysicsWithFigures/") + waveform + "/real_time");
      const auto flat = realMilliseconds_.find(std::string("PhysicsWithFigures/") + constant + "/real_time");
      if (shaped == realMilliseconds_.end() || flat == realMilliseconds_.end()) continue;
      std::printf("%-24s physics %7.3f ms   constant potential %7.3f ms   waveform costs %5.2f times\n", waveform,
                  shaped->second, flat->second, shaped->second / flat->second);
    }
    // tungsten at 450 kV against 100 kV
    {
      const auto high = realMilliseconds_.find("PhysicsWithFigures/ConstantPotential450kV/real_time");
      const auto base = realMilliseconds_.find("PhysicsWithFigures/ConstantPotential100kV/real_time");
      if (high != realMilliseconds_.end() && base != realMilliseconds_.end()) {
        std::printf("%-24s physics %7.3f ms   100 kV %7.3f ms   %5.2f times the tungsten 100 kV spectrum\n",
                    "ConstantPotential450kV", high->second, base->second, high->second / base->second);
      }
    }
    // the same with WaveformEmissions
    for (const auto& [waveform, constant] : {std::pair{"TwelvePeak100kV", "ConstantPotential100kV"},
                                             std::pair{"SinglePhase100kV", "ConstantPotential100kV"},
                                             std::pair{"TwelvePeak300kV", "ConstantPotential300kV"},
                                             std::pair{"SinglePhase300kV", "ConstantPotential300kV"}}) {
      const auto shaped = realMilliseconds_.find(std::string("PhysicsNodesWithFigures/") + waveform + "/real_time");
      const auto flat = realMilliseconds_.find(std::string("PhysicsWithFigures/") + constant + "/real_time");
      if (shaped == realMilliseconds_.end() || flat == realMilliseconds_.end()) continue;
      std::printf("%-24s nodes %9.3f ms   constant potential %7.3f ms   waveform costs %5.2f times\n", waveform,
                  shaped->second, flat->second, shaped->second / flat->second);
    }
    // a transmission target against the reflection target's spectrum at 100 kV
    for (const char* name : {"ConstantPotential100kV", "ConstantPotential100kVOffAxis", "SinglePhase100kV"}) {
      const auto layer = realMilliseconds_.find(std::string("TransmissionWithFigures/") + name + "/real_time");
      const auto base = realMilliseconds_.find("PhysicsWithFigures/ConstantPotential100kV/real_time");
      if (layer == realMilliseconds_.end() || base == realMilliseconds_.end()) continue;
      std::printf("Transmission %-30s %7.3f ms   reflection 100 kV %7.3f ms   %5.2f times\n", name, layer->second,
                  base->second, layer->second / base->second);
    }
    // another target against tungsten in the same run
    const auto tungsten = realMilliseconds_.find("TargetWithFigures/Tungsten30kV/real_time");
    for (const char* name : {"Molybdenum30kV", "Rhodium30kV", "Silver30kV", "Gold30kV"}) {
      const auto other = realMilliseconds_.find(std::string("TargetWithFigures/") + name + "/real_time");
      if (tungsten == realMilliseconds_.end() || other == realMilliseconds_.end()) continue;
      std::printf("%-24s tungsten %7.3f ms   %7.3f ms   %5.2f times the tungsten physics model\n", name,
                  tungsten->second, other->second, other->second / tungsten->second);
    }
  }

 private:
  std::map<std::string, double> realMilliseconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  SpeedUpReporter reporter(benchmark::ConsoleReporter::OO_Tabular);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintSpeedUps();
  benchmark::Shutdown();
  return 0;
}
