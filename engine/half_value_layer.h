#pragma once
// First half-value layers in aluminium and copper, effective energies and fluence per exposure,
// computed in single precision from a relative photon spectrum.

#include <functional>
#include <optional>

#include "engine_table.h"
#include "exchange_files.h"

namespace kestrix {

/// First grid index of the air-kerma weights (5.5 keV); lower photons take no part in the layers.
constexpr int kFirstKermaIndex = 11;

/// One filter material's thickness stepping.
struct LayerStepping {
  float stepCm;   /// thickness added per step [cm]
  int lastStep;   /// the search gives up after this step
};
/// 0.1 mm steps up to 100 mm, the widest layer the result file's F6.3 field can show
/// (the ordinary range ends at 300 steps, 30 mm; a beam still above half there keeps stepping).
constexpr LayerStepping kAluminiumStepping{0.01f, 1000};
/// 0.01 mm steps up to 100 mm (ordinarily 600 steps, 6 mm).
constexpr LayerStepping kCopperStepping{0.001f, 10000};

/// Air-kerma weights d(i), i = 11..K, normalised to a sum of one, and their sum Sd.
struct KermaWeights {
  EngineArray d{};    /// normalised weight of grid index i (0 outside 11..K)
  int lastIndex = 0;  /// K, the last grid index with a non-zero photon number
  float sum = 0;      /// Sd, one up to rounding
};

/// K and the normalised weights N(i)*muEnAir(i)*0.5*i. Throws EngineInputError when the spectrum holds no
/// non-zero value, none at grid index 11 or above, or weights whose sum is zero or not finite.
KermaWeights ComputeKermaWeights(const EngineTable& table, const EngineArray& photonNumbers);

/// Transmitted air kerma [percent] after each thickness step, from repeated multiplication of the weights.
class TransmissionCurve {
 public:
  TransmissionCurve(const KermaWeights& weights, const EngineArray& mu, float stepCm);
  /// Advances one step and returns R(j) for the step just taken (j = 1, 2, ...).
  float NextStep();

 private:
  EngineArray weight_{};
  EngineArray stepFactor_{};
  int lastIndex_;
  float sum_;
};

/// Interpolates ln R between steps j-1 and j to the thickness where R = 50 %: ((j-1) + f) * step [cm].
float InterpolateHalfLayer(int j, float previousPercent, float percent, float stepCm);

/// The search on a transmission curve: percentAfterStep(j) gives R(j) [percent] and is called for
/// j = 1, 2, ... in turn, never beyond stepping.lastStep. The layer [cm] comes from the first j >= 2 with
/// R(j) < 50 %, interpolated with step j-1 (so R(j) = 50 % exactly goes on). nullopt when R stays at or
/// above 50 % up to the last step, or when the layer is not a positive number.
std::optional<float> SearchHalfValueLayer(const std::function<float(int)>& percentAfterStep, LayerStepping stepping);

/// First half-value layer [cm] of the weighted beam in a material with coefficients mu [1/cm].
std::optional<float> HalfValueLayer(const KermaWeights& weights, const EngineArray& mu, LayerStepping stepping);

/// Where a beam's photons lie, for choosing among several energies with the same coefficient.
struct BeamSpan {
  int lastIndex = kEngineLastIndex;  /// K, the grid index of the beam's maximum energy
  float kermaMeanKeV = 0.0f;         /// air-kerma-weighted mean photon energy [keV]
};

/// The span of the weighted beam: its last index and the mean of 0.5*i weighted by d(i).
BeamSpan SpanOf(const KermaWeights& weights);

/// Effective energy [keV] of a layer: mu_eff = 0.693147/layer and a grid index i >= 2 with mu(i) < mu_eff
/// after mu(i-1) >= mu_eff (i = 2 needs only the first), log-log interpolated with i-1. With one such
/// crossing, or none of the choice below, it is the first from the low end. Behind an absorption edge
/// the coefficient can reach mu_eff again; then the edge (a rise mu(e) > mu(e-1)) at or below the beam's
/// maximum energy that lies nearest the beam's kerma-weighted mean energy is chosen, and the first
/// crossing above it is taken. nullopt when no index up to 600 lies below mu_eff (above 300 keV).
std::optional<float> EffectiveEnergy(const EngineArray& mu, float halfValueLayerCm, const BeamSpan& span = {});

/// Photons per mm2 that give an exposure of 1 C/kg; sums over grid indices 2..K.
float PhotonsPerMm2PerCkg(const EngineTable& table, const EngineArray& photonNumbers, int lastIndex);

/// Every result of one engine run; a value whose result-file field would hold asterisks is nullopt.
/// The spectrum is first scaled by the power of two that brings its largest value into [1, 2), so
/// that its shape alone sets the results (exact, so a spectrum that holds no underflowing products
/// gives the same results bit for bit). Throws EngineInputError as ComputeKermaWeights does.
EngineResults ComputeBeamQuality(const EngineTable& table, const EngineArray& photonNumbers);

/// The engine's spectrum from a relative spectrum in double precision, scaled as ComputeBeamQuality
/// scales it before each value is rounded to float (so values below float's range keep their shape).
EngineArray ToEngineSpectrum(const ExchangeSpectrum& spectrum);

}  // namespace kestrix
