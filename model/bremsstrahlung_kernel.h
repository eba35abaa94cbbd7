#pragma once
// The fast evaluation of the spectrum models: the emissions of many waveform samples at
// once, equal to the term-by-term sums up to rounding.
//
// How: a term of a bin's sum is  W(E, T) * exp(-muW(E) * d(T)).  W, the cross-section with
// its electron-energy and stopping factors, depends on the photon energy E and the electron
// energy T only, never on the tube voltage or the angle, so it is tabulated once per model.
// The attenuation factor is stepped down the electron energies from T0: with d(T) =
// (T0^2 - T^2) K, one step of 0.5 keV multiplies it by s = exp(-muW K (2m - 1) / 4)
// (T = m / 2), and s itself changes by the constant factor exp(muW K / 2) per step. Both are
// recomputed exactly every few steps so that rounding cannot build up. Stepping downwards,
// from the largest factor to the smallest, an underflow to 0 only happens where the true
// value is below the smallest double.

#include <vector>

#include "attenuation_table.h"
#include "energy_grid.h"
#include "model_codes.h"

namespace kestrix {

/// highest sample voltage the models accept: the grid's top photon energy [kV]
constexpr double kMaximumSampleVoltage = kGridLast * kKeVPerGridIndex;

/// Emission of the model (bremsstrahlung and K lines) for one sample of voltage T0 [kV],
/// into bins 2..floor(2 T0) of `emission`; other bins keep their values.
/// Throws std::out_of_range when T0 exceeds kMaximumSampleVoltage.
void ComputeSampleEmission(SpectrumModel model, double T0, double cosecTheta, const AttenuationTable& table,
                           GridArray& emission);

/// ComputeSampleEmission for every voltage of `sampleVoltages` [kV] into the entry of
/// `emissions` with the same position, spread over up to `threads` threads. Each sample is
/// computed alone, so the results do not depend on the number of threads.
void ComputeSampleEmissions(SpectrumModel model, const std::vector<double>& sampleVoltages, double cosecTheta,
                            const AttenuationTable& table, std::vector<GridArray>& emissions, unsigned threads);

}  // namespace kestrix
