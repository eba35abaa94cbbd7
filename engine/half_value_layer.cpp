#include "half_value_layer.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "fixed_format.h"

namespace kestrix {
namespace {

// Every quantity below is single precision, constants included, so the results carry the rounding of a
// 32-bit calculation.
constexpr float kKeVPerIndex = 0.5f;
constexpr float kPercent = 100.0f;
constexpr float kHalfPercent = 50.0f;
constexpr float kLn2 = 0.693147f;
constexpr float kMmPerCm = 10.0f;
constexpr int kFirstPhotonIndex = 2;
constexpr float kErgPerIndex = 8.01E-10f;          // 0.5 keV per index times 1.602E-9 erg per keV
constexpr float kErgPerGramPerRoentgen = 86.9f;    // air
constexpr float kRoentgenPerCoulombPerKg = 3876.0f;
constexpr float kCm2ToMm2 = 0.01f;

// The power of two that brings the largest value into [1, 2): multiplying by it is exact, so the
// results of a spectrum that single precision holds without underflow stay bit for bit the same
// (weights and photon counts enter only as ratios), and a spectrum of tiny values is weighed by its
// shape alone. 0 for a spectrum without a positive finite value.
int ScalingExponent(double largest) {
  if (!(largest > 0) || !std::isfinite(largest)) return 0;
  int exponent = 0;
  std::frexp(largest, &exponent);
  return 1 - exponent;
}

std::optional<double> Printable(std::optional<float> value, int width, int decimals) {
  if (!value || !FitsFixed(*value, width, decimals)) return std::nullopt;
  return static_cast<double>(*value);
}

}  // namespace

KermaWeights ComputeKermaWeights(const EngineTable& table, const EngineArray& photonNumbers) {
  KermaWeights weights;
  int last = kEngineLastIndex;
  while (last >= 1 && photonNumbers[last] == 0.0f) --last;
  if (last == 0) throw EngineInputError("the spectrum holds no non-zero photon number");
  if (last < kFirstKermaIndex) {
    throw EngineInputError("the spectrum holds no non-zero photon number at 5.5 keV or above");
  }
  float sum = 0.0f;
  for (int i = kFirstKermaIndex; i <= last; ++i) {
    weights.d[i] = photonNumbers[i] * table.muEnAir[i] * static_cast<float>(i) * kKeVPerIndex;
    sum += weights.d[i];
  }
  if (sum == 0.0f || !std::isfinite(sum)) {
    throw EngineInputError("the air-kerma weights of the spectrum from 5.5 keV up add up to " + std::to_string(sum));
  }
  float normalisedSum = 0.0f;
  for (int i = kFirstKermaIndex; i <= last; ++i) {
    weights.d[i] = weights.d[i] / sum;
    normalisedSum += weights.d[i];
  }
  weights.lastIndex = last;
  weights.sum = normalisedSum;
  return weights;
}

TransmissionCurve::TransmissionCurve(const KermaWeights& weights, const EngineArray& mu, float stepCm)
    : weight_(weights.d), lastIndex_(weights.lastIndex), sum_(weights.sum) {
  // The factor of one step is the same at every step, so it is computed once.
  for (int i = kFirstKermaIndex; i <= lastIndex_; ++i) stepFactor_[i] = std::exp(-mu[i] * stepCm);
}

float TransmissionCurve::NextStep() {
  float transmitted = 0.0f;
  for (int i = kFirstKermaIndex; i <= lastIndex_; ++i) {
    weight_[i] = weight_[i] * stepFactor_[i];
    transmitted += weight_[i];
  }
  return transmitted / sum_ * kPercent;
}

float InterpolateHalfLayer(int j, float previousPercent, float percent, float stepCm) {
  const float f = (std::log(kHalfPercent) - std::log(previousPercent)) / (std::log(percent) - std::log(previousPercent));
  return (static_cast<float>(j - 1) + f) * stepCm;
}

std::optional<float> SearchHalfValueLayer(const std::function<float(int)>& percentAfterStep, LayerStepping stepping) {
  float previous = percentAfterStep(1);
  for (int j = 2; j <= stepping.lastStep; ++j) {
    const float current = percentAfterStep(j);
    if (current < kHalfPercent) {
      const float layer = InterpolateHalfLayer(j, previous, current, stepping.stepCm);
      // Extrapolating below the first step can overshoot zero for a beam that loses most of its kerma there.
      if (!std::isfinite(layer) || layer <= 0.0f) return std::nullopt;
      return layer;
    }
    previous = current;
  }
  return std::nullopt;
}

std::optional<float> HalfValueLayer(const KermaWeights& weights, const EngineArray& mu, LayerStepping stepping) {
  TransmissionCurve curve(weights, mu, stepping.stepCm);
  return SearchHalfValueLayer([&curve](int) { return curve.NextStep(); }, stepping);
}

BeamSpan SpanOf(const KermaWeights& weights) {
  float weighted = 0.0f;
  float sum = 0.0f;
  for (int i = kFirstKermaIndex; i <= weights.lastIndex; ++i) {
    weighted += weights.d[i] * kKeVPerIndex * static_cast<float>(i);
    sum += weights.d[i];
  }
  return {weights.lastIndex, sum > 0.0f ? weighted / sum : 0.0f};
}

namespace {

/// Grid indices i where mu falls below muEffective coming from the low end.
std::vector<int> Crossings(const EngineArray& mu, float muEffective) {
  std::vector<int> crossings;
  for (int i = 2; i <= kEngineLastIndex; ++i) {
    if (mu[i] < muEffective && (crossings.empty() || mu[i - 1] >= muEffective)) crossings.push_back(i);
  }
  return crossings;
}

/// The crossing above the edge nearest the mean energy among the edges up to the last index; the
/// first crossing when there is no such edge or none above it.
int ChosenCrossing(const EngineArray& mu, const std::vector<int>& crossings, const BeamSpan& span) {
  if (crossings.size() < 2) return crossings.front();
  int edge = 0;
  float nearest = 0.0f;
  for (int e = 3; e <= std::min(span.lastIndex, kEngineLastIndex); ++e) {
    if (!(mu[e] > mu[e - 1])) continue;
    const float distance = std::fabs(kKeVPerIndex * static_cast<float>(e) - span.kermaMeanKeV);
    if (edge == 0 || distance < nearest) {
      edge = e;
      nearest = distance;
    }
  }
  if (edge == 0) return crossings.front();
  for (int i : crossings) {
    if (i > edge) return i;
  }
  return crossings.front();
}

}  // namespace

std::optional<float> EffectiveEnergy(const EngineArray& mu, float halfValueLayerCm, const BeamSpan& span) {
  const float muEffective = kLn2 / halfValueLayerCm;
  const std::vector<int> crossings = Crossings(mu, muEffective);
  if (crossings.empty()) return std::nullopt;
  const int i = ChosenCrossing(mu, crossings, span);
  const float g = (std::log(mu[i]) - std::log(muEffective)) / (std::log(mu[i]) - std::log(mu[i - 1]));
  const float lnUpper = std::log(kKeVPerIndex * static_cast<float>(i));
  const float lnLower = std::log(kKeVPerIndex * static_cast<float>(i - 1));
  const float energy = std::exp(lnUpper - g * (lnUpper - lnLower));
  if (!std::isfinite(energy)) return std::nullopt;
  return energy;
}

float PhotonsPerMm2PerCkg(const EngineTable& table, const EngineArray& photonNumbers, int lastIndex) {
  float photons = 0.0f;
  for (int i = kFirstPhotonIndex; i <= lastIndex; ++i) photons += photonNumbers[i];
  float exposure = 0.0f;
  for (int i = kFirstPhotonIndex; i <= lastIndex; ++i) {
    exposure += photonNumbers[i] * table.muEnAir[i] * static_cast<float>(i) * kErgPerIndex;
  }
  exposure = exposure / kErgPerGramPerRoentgen;
  const float factor = kRoentgenPerCoulombPerKg / exposure;
  return factor * photons * kCm2ToMm2;
}

EngineResults ComputeBeamQuality(const EngineTable& table, const EngineArray& spectrum) {
  EngineArray photonNumbers = spectrum;
  const int exponent = ScalingExponent(*std::max_element(spectrum.begin() + 1, spectrum.end()));
  for (float& value : photonNumbers) value = std::ldexp(value, exponent);
  const KermaWeights weights = ComputeKermaWeights(table, photonNumbers);
  const BeamSpan span = SpanOf(weights);
  EngineResults results;
  if (const std::optional<float> layer = HalfValueLayer(weights, table.muAl, kAluminiumStepping)) {
    results.hvlAlMm = Printable(*layer * kMmPerCm, 6, 3);
    results.effectiveEnergyAlKeV = Printable(EffectiveEnergy(table.muAl, *layer, span), 6, 2);
  }
  if (const std::optional<float> layer = HalfValueLayer(weights, table.muCu, kCopperStepping)) {
    results.hvlCuMm = Printable(*layer * kMmPerCm, 6, 3);
    results.effectiveEnergyCuKeV = Printable(EffectiveEnergy(table.muCu, *layer, span), 6, 2);
  }
  results.photonsPerMm2PerCkg = Printable(PhotonsPerMm2PerCkg(table, photonNumbers, weights.lastIndex), 15, 0);
  return results;
}

EngineArray ToEngineSpectrum(const ExchangeSpectrum& spectrum) {
  EngineArray photonNumbers{};
  // scaled before the rounding to float, which would flush values below about 1e-38 towards zero
  const int exponent = ScalingExponent(*std::max_element(spectrum.begin() + 1, spectrum.begin() + kEngineLastIndex + 1));
  for (int i = 1; i <= kEngineLastIndex; ++i) photonNumbers[i] = static_cast<float>(std::ldexp(spectrum[i], exponent));
  return photonNumbers;
}

}  // namespace kestrix
