#include "beam_quality.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kestrix {
namespace {

constexpr double kCentimetresPerMm = 0.1;

const char* MaterialName(LayerMaterial material) {
  return material == LayerMaterial::Aluminium ? "aluminium" : "copper";
}

/// Air-kerma transmission of the weighted beam through a thickness of one material.
class KermaTransmission {
 public:
  KermaTransmission(const std::vector<double>& weights, const std::vector<int>& indices, const GridArray& mu)
      : weights_(weights) {
    for (const int i : indices) mu_.push_back(mu[i]);
    for (const double w : weights_) total_ += w;
  }

  /// transmitted fraction of the air kerma behind thicknessCm [1]
  double At(double thicknessCm) const {
    double sum = 0;
    for (std::size_t k = 0; k < weights_.size(); ++k) sum += weights_[k] * std::exp(-mu_[k] * thicknessCm);
    return sum / total_;
  }

  /// The thickness [cm] between fromCm and fromCm + 100 mm where the transmission falls to
  /// `fraction`, by bisection of the continuous curve; nullopt when it stays above there.
  std::optional<double> ThicknessWhere(double fraction, double fromCm) const {
    double low = fromCm;
    double high = fromCm + kThickestLayerMm * kCentimetresPerMm;
    if (At(high) > fraction) return std::nullopt;
    for (int step = 0; step < 200 && high - low > kLayerRelativeAccuracy * high; ++step) {
      const double middle = 0.5 * (low + high);
      (At(middle) > fraction ? low : high) = middle;
    }
    return 0.5 * (low + high);
  }

 private:
  const std::vector<double>& weights_;
  std::vector<double> mu_;
  double total_ = 0;
};

// 10^n for n >= 0 by repeated multiplication: exact up to 10^22, the same on every system beyond
double PowerOfTen(int n) {
  double power = 1;
  for (int k = 0; k < n; ++k) power *= 10;
  return power;
}


void RoundFigures(ExtendedBeamQuality& quality) {
  for (std::optional<double>& value : quality.values) {
    if (value) *value = RoundToSignificantDigits(*value, kFigureSignificantDigits);
  }
}

void SetMissing(ExtendedBeamQuality& quality, ExtendedFigure figure, const std::string& reason) {
  quality.values[figure] = std::nullopt;
  quality.missing[figure] = reason;
}

void ComputeLayers(ExtendedBeamQuality& quality, const KermaTransmission& transmission, LayerMaterial material) {
  const bool aluminium = material == LayerMaterial::Aluminium;
  const ExtendedFigure first = aluminium ? kHvl1Al : kHvl1Cu;
  const ExtendedFigure second = aluminium ? kHvl2Al : kHvl2Cu;
  const ExtendedFigure homogeneity = aluminium ? kHomogeneityAl : kHomogeneityCu;
  const std::string name = MaterialName(material);

  const std::optional<double> halfCm = transmission.ThicknessWhere(0.5, 0.0);
  if (!halfCm) {
    SetMissing(quality, first, "the air-kerma transmission stays above 50 % through 100 mm of " + name);
    SetMissing(quality, second, "there is no first half-value layer in " + name);
    SetMissing(quality, homogeneity, "there is no first half-value layer in " + name);
    return;
  }
  quality.values[first] = *halfCm / kCentimetresPerMm;
  const std::optional<double> quarterCm = transmission.ThicknessWhere(0.25, *halfCm);
  if (!quarterCm) {
    SetMissing(quality, second,
               "the air-kerma transmission stays above 25 % through 100 mm of " + name + " beyond the first layer");
    SetMissing(quality, homogeneity, "there is no second half-value layer in " + name);
    return;
  }
  const double secondMm = (*quarterCm - *halfCm) / kCentimetresPerMm;
  quality.values[second] = secondMm;
  quality.values[homogeneity] = *quality.values[first] / secondMm;
}

}  // namespace

const std::array<ExtendedFigureField, kExtendedFigureCount>& ExtendedFigureFields() {
  static const std::array<ExtendedFigureField, kExtendedFigureCount> fields{{
      {"hvl1_al_mm", "HVL1 Al [mm]", 4},
      {"hvl2_al_mm", "HVL2 Al [mm]", 4},
      {"homogeneity_al", "homogeneity Al", 4},
      {"hvl1_cu_mm", "HVL1 Cu [mm]", 5},
      {"hvl2_cu_mm", "HVL2 Cu [mm]", 5},
      {"homogeneity_cu", "homogeneity Cu", 4},
      {"mean_energy_keV", "mean energy [keV]", 2},
      {"kerma_mean_energy_keV", "kerma-weighted mean energy [keV]", 2},
  }};
  return fields;
}

/// the figures of a spectrum held by grid index 1..N - 1 (the exchange bins or the whole grid)
template <std::size_t N>
ExtendedBeamQuality ExtendedBeamQualityOf(const std::array<double, N>& given, const AttenuationTable& table) {
  constexpr int last = static_cast<int>(N) - 1;
  ExtendedBeamQuality quality;
  // Scaled by the power of two that brings the largest value into [1, 2): exact, so the figures of
  // an ordinary spectrum stay bit for bit, and those of tiny values (1e-300) come from their shape
  // rather than from products lost below double's range.
  std::array<double, N> spectrum = given;
  const double largest = *std::max_element(given.begin() + 1, given.begin() + last + 1);
  if (largest > 0 && std::isfinite(largest)) {
    int exponent = 0;
    std::frexp(largest, &exponent);
    for (double& value : spectrum) value = std::ldexp(value, 1 - exponent);
  }

  // fluence-weighted mean energy over every photon of the spectrum
  double photons = 0;
  double photonEnergy = 0;
  for (int i = 1; i <= last; ++i) {
    photons += spectrum[i];
    photonEnergy += spectrum[i] * PhotonEnergy(i);
  }
  if (photons > 0 && std::isfinite(photons) && std::isfinite(photonEnergy)) {
    quality.values[kMeanEnergy] = photonEnergy / photons;
  } else {
    SetMissing(quality, kMeanEnergy, "the spectrum holds no photons");
  }

  // air-kerma weights: photon number x photon energy x mass energy-absorption coefficient of air
  std::vector<double> weights;
  std::vector<int> indices;
  double kerma = 0;
  double kermaEnergy = 0;
  for (int i = kFirstKermaGridIndex; i <= last; ++i) {
    const double weight = spectrum[i] * PhotonEnergy(i) * table.muEnAir[i];
    if (weight == 0) continue;
    weights.push_back(weight);
    indices.push_back(i);
    kerma += weight;
    kermaEnergy += weight * PhotonEnergy(i);
  }
  if (!(kerma > 0) || !std::isfinite(kerma) || !std::isfinite(kermaEnergy)) {
    const std::string reason = "the spectrum gives no positive air kerma at or above 5.5 keV";
    for (std::size_t figure = 0; figure < kExtendedFigureCount; ++figure) {
      if (figure != kMeanEnergy) SetMissing(quality, static_cast<ExtendedFigure>(figure), reason);
    }
    RoundFigures(quality);
    return quality;
  }
  quality.values[kKermaMeanEnergy] = kermaEnergy / kerma;
  ComputeLayers(quality, KermaTransmission(weights, indices, table.muAl), LayerMaterial::Aluminium);
  ComputeLayers(quality, KermaTransmission(weights, indices, table.muCu), LayerMaterial::Copper);
  RoundFigures(quality);
  return quality;
}

ExtendedBeamQuality ComputeExtendedBeamQuality(const PhotonSpectrum& spectrum, const AttenuationTable& table) {
  return ExtendedBeamQualityOf(spectrum, table);
}

ExtendedBeamQuality ComputeExtendedBeamQualityOnGrid(const GridArray& spectrum, const AttenuationTable& table) {
  return ExtendedBeamQualityOf(spectrum, table);
}

double RoundToSignificantDigits(double value, int digits) {
  if (value == 0 || !std::isfinite(value)) return value;
  // decimal exponent e of the leading digit: 10^e <= |value| < 10^(e+1)
  const double magnitude = std::fabs(value);
  int exponent = 0;
  while (exponent < 300 && magnitude >= PowerOfTen(exponent + 1)) ++exponent;
  while (exponent > -300 && magnitude * PowerOfTen(-exponent) < 1) --exponent;
  const int decimals = digits - 1 - exponent;
  if (decimals >= 0) {
    const double scale = PowerOfTen(decimals);
    return std::round(value * scale) / scale;
  }
  const double scale = PowerOfTen(-decimals);
  return std::round(value / scale) * scale;
}

}  // namespace kestrix
