#include "waveform_synthesis.h"

#include <algorithm>
#include <cmath>

#include "emission_models.h"
#include "physics_emission.h"

namespace kestrix {

namespace {
/// full-wave tube current: proportional to voltage^1.5 below this fraction of the peak, constant above
constexpr double kFullWaveCurrentKnee = 0.75;
constexpr double kFullWaveCurrentExponent = 1.5;
}  // namespace

std::vector<WaveformSample> WaveformSamples(RectificationType type) {
  std::vector<WaveformSample> samples;
  switch (type) {
    case RectificationType::ConstantPotential:
      samples.push_back({90, 1.0});
      break;
    case RectificationType::ThreePhase12Peak:
      for (int phase = 75; phase <= 90; ++phase) samples.push_back({phase, 1.0});
      break;
    case RectificationType::SinglePhaseFullWave:
      for (int phase = 2; phase <= 90; phase += 2) {
        double w = std::sin(DegreesToRadians(phase));
        w = w / kFullWaveCurrentKnee;
        if (w > 1) w = 1;
        w = std::pow(w, kFullWaveCurrentExponent);
        samples.push_back({phase, w});
      }
      break;
  }
  return samples;
}

double SamplesPerCurrentWeight(RectificationType type) {
  const std::vector<WaveformSample> samples = WaveformSamples(type);
  double weights = 0;
  for (const WaveformSample& sample : samples) weights += sample.weight;
  return static_cast<double>(samples.size()) / weights;
}

double SampleVoltage(double kVp, int phaseDegrees) { return kVp * std::sin(DegreesToRadians(phaseDegrees)); }

void AverageWaveformSamples(double kVp, const std::vector<WaveformSample>& samples, const SampleEmission& emission,
                            GridArray& phaseEmission, GridArray& spectrumBins) {
  if (samples.empty()) return;
  double T0 = 0;
  for (std::size_t k = 0; k < samples.size(); ++k) {
    T0 = SampleVoltage(kVp, samples[k].phaseDegrees);
    emission(k, T0, phaseEmission);
    const int top = TopBinFor(T0);
    for (int i = 2; i <= top; ++i) spectrumBins[i] = spectrumBins[i] + phaseEmission[i] * samples[k].weight;
  }
  // divided by the number of samples, not by the sum of the weights
  const double count = static_cast<double>(samples.size());
  const int top = TopBinFor(T0);
  for (int i = 2; i <= top; ++i) spectrumBins[i] = spectrumBins[i] / count;
}

void ApplyFiltration(double kVp, const FilterSet& filters, const AttenuationTable& table,
                     const ArbitraryFilterSet& arbitraryFilters, GridArray& spectrumBins) {
  const auto& c = arbitraryFilters.coefficients;
  const auto& t = arbitraryFilters.thickness;
  const int top = TopBinFor(kVp);
  for (int i = 2; i <= top; ++i) {
    double Fx = std::exp(-c[2][i] * t[2]) * std::exp(-c[3][i] * t[3]);
    Fx = std::exp(-c[1][i] * t[1]) * Fx;
    // inherent and added aluminium act as one layer; dividing by E turns emission into photon number
    spectrumBins[i] = spectrumBins[i] * std::exp(-table.muBe[i] * filters.tBe) *
                      std::exp(-table.muAl[i] * (filters.tAlAdd + filters.tAlInh)) *
                      std::exp(-table.muCu[i] * filters.tCu) * Fx / PhotonEnergy(i);
  }
}

void SynthesizeSpectrum(SpectrumModel model, double kVp, double cosecTheta, RectificationType type,
                        const FilterSet& filters, CalculationState& state) {
  SynthesizeSpectrum(EmissionModelFor(model), kVp, cosecTheta, type, filters, state);
}

void SynthesizeSpectrum(const EmissionModel& emission, double kVp, double cosecTheta, RectificationType type,
                        const FilterSet& filters, CalculationState& state) {
  const std::vector<WaveformSample> samples = WaveformSamples(type);
  std::vector<double> voltages;
  for (const WaveformSample& sample : samples) voltages.push_back(SampleVoltage(kVp, sample.phaseDegrees));
  // all samples at once, then averaged in sample order as one at a time would be
  std::vector<GridArray> emissions;
  // the physics model shares its work between the 16 samples of the 12-peak waveform (figures within
  // 1e-4 of each sample computed alone, docs/physics.md); single-phase and the formula models compute each
  const auto* physics = dynamic_cast<const PhysicsEmissionModel*>(&emission);
  if (physics && type == RectificationType::ThreePhase12Peak) {
    physics->WaveformEmissions(voltages, cosecTheta, state.table, emissions);
  } else {
    emission.SampleEmissions(voltages, cosecTheta, state.table, emissions);
  }
  const SampleEmission computed = [&](std::size_t k, double T0, GridArray& phaseEmission) {
    std::copy(emissions[k].begin() + 2, emissions[k].begin() + TopBinFor(T0) + 1, phaseEmission.begin() + 2);
  };
  AverageWaveformSamples(kVp, samples, computed, state.PhaseEmission, state.SpectrumBins);
  ApplyFiltration(kVp, filters, state.table, state.filters, state.SpectrumBins);
}

}  // namespace kestrix
