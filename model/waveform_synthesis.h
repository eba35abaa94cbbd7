#pragma once
// Tube waveform sampling, averaging of the sample emissions, filtration and conversion
// to a photon-number spectrum.

#include <cstddef>
#include <functional>
#include <vector>

#include "arbitrary_filter_set.h"
#include "attenuation_table.h"
#include "calculation_state.h"
#include "emission_model.h"
#include "energy_grid.h"
#include "model_codes.h"

namespace kestrix {

/// the fixed filters of the tube
struct FilterSet {
  double tBe = 0;     /// beryllium window [cm]
  double tAlInh = 0;  /// inherent filtration as aluminium equivalent [cm]
  double tAlAdd = 0;  /// added aluminium [cm]
  double tCu = 0;     /// added copper [cm]
};

/// one point of the tube voltage waveform
struct WaveformSample {
  int phaseDegrees;  /// phase angle [degrees]; the voltage is kVp sin(phase)
  double weight;     /// tube current weight [relative]
};

/// The samples of a waveform in ascending phase: constant potential 90 deg (weight 1);
/// three-phase 12-peak 75..90 deg (weight 1); single-phase full-wave 2..90 deg in 2 deg steps
/// with weight min(sin(phase) / 0.75, 1)^1.5.
std::vector<WaveformSample> WaveformSamples(RectificationType type);

/// Number of samples over the sum of their tube-current weights [1]. The waveform average divides by
/// the number of samples; times this factor it becomes the emission per electron of the whole waveform.
double SamplesPerCurrentWeight(RectificationType type);

/// tube voltage of the sample at `phaseDegrees` for peak voltage kVp [kV]
double SampleVoltage(double kVp, int phaseDegrees);

/// Emission of one sample: fills bins 2..floor(2 T0) of `phaseEmission` for the sample
/// `sampleIndex` (position in the sample list) of voltage T0 [kV].
using SampleEmission = std::function<void(std::size_t sampleIndex, double T0, GridArray& phaseEmission)>;

/// Waveform average: for every sample in order, `emission` fills `phaseEmission`, and its
/// bins 2..floor(2 T0) are added to `spectrumBins` times the sample weight; finally bins
/// 2..floor(2 T0) of the last sample are divided by the number of samples.
void AverageWaveformSamples(double kVp, const std::vector<WaveformSample>& samples, const SampleEmission& emission,
                            GridArray& phaseEmission, GridArray& spectrumBins);

/// Filtration and conversion to photon number for bins 2..floor(2 kVp): multiplies by the
/// transmission of window, aluminium (inherent + added), copper and the three arbitrary
/// filter slots, then divides by the photon energy.
void ApplyFiltration(double kVp, const FilterSet& filters, const AttenuationTable& table,
                     const ArbitraryFilterSet& arbitraryFilters, GridArray& spectrumBins);

/// Photon-number spectrum of a tube at peak voltage kVp [kV] with cosecTheta =
/// 1 / sin(target angle): samples the waveform, averages the model's emissions, filters
/// (fixed filters and all three arbitrary slots of state.filters) and divides by the photon
/// energy. Adds into state.SpectrumBins, which the caller has cleared; uses state.table and
/// leaves the last sample's emission in state.PhaseEmission.
void SynthesizeSpectrum(SpectrumModel model, double kVp, double cosecTheta, RectificationType type,
                        const FilterSet& filters, CalculationState& state);

/// the same with the emission model of a chosen tube (target, lines)
void SynthesizeSpectrum(const EmissionModel& emission, double kVp, double cosecTheta, RectificationType type,
                        const FilterSet& filters, CalculationState& state);

}  // namespace kestrix
