#include "detector_response.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "exponential_integral.h"
#include "input_number.h"

namespace kestrix {
namespace {

/// electron rest energy [keV]
constexpr double kElectronRestKeV = 510.99895;
constexpr double kCentimetresPerMm = 0.1;
constexpr double kMeVPerKeV = 1e-3;
/// nodes of the midpoint sums over the interaction depth and over the Compton angle
constexpr int kDepthNodes = 64;
constexpr int kAngleNodes = 256;

std::vector<std::string> SplitAtTabs(const std::string& text) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find('\t', start);
    fields.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return fields;
    start = end + 1;
  }
}

/// The three partial mass coefficients [cm2/g] of the material file at energyKeV: log-log between
/// the rows around it (at an edge, the row above it), linear where a partial is 0, the first row's
/// below the table.
std::array<double, 3> PartialsAt(const MaterialFile& material, double energyKeV) {
  const double energyMeV = energyKeV * kMeVPerKeV;
  const std::vector<std::array<double, 5>>& rows = material.rows;
  if (energyMeV <= rows.front()[kMaterialEnergy]) return {rows.front()[1], rows.front()[2], rows.front()[3]};
  std::size_t j = 0;
  while (j + 2 < rows.size() && rows[j + 1][kMaterialEnergy] <= energyMeV) ++j;
  const std::array<double, 5>& a = rows[j];
  const std::array<double, 5>& b = rows[j + 1];
  std::array<double, 3> partials{};
  const double span = std::log(b[kMaterialEnergy] / a[kMaterialEnergy]);
  const double at = span > 0 ? std::log(energyMeV / a[kMaterialEnergy]) / span : 0;
  for (int p = 0; p < 3; ++p) {
    const double low = a[1 + p];
    const double high = b[1 + p];
    partials[p] = low > 0 && high > 0 ? std::exp(std::log(low) + at * std::log(high / low)) : low + at * (high - low);
  }
  return partials;
}

/// linear attenuation coefficient of the material's total at energyKeV [1/cm]
double LinearTotal(const MaterialFile& material, double energyKeV) {
  const std::array<double, 3> p = PartialsAt(material, energyKeV);
  return material.density * (p[0] + p[1] + p[2]);
}

/// Share of the K photons of line attenuation muLine [1/cm], made where photons of attenuation mu
/// [1/cm] first interact in a layer of thicknessCm, that leave through either face without
/// interacting: the depth distribution mu exp(-mu z) / (1 - exp(-mu t)) sampled at equal steps of
/// its cumulative share, each depth weighted with E2(muLine z) / 2 + E2(muLine (t - z)) / 2.
double EscapeShare(double mu, double muLine, double thicknessCm) {
  const double interacting = -std::expm1(-mu * thicknessCm);
  double sum = 0;
  for (int k = 0; k < kDepthNodes; ++k) {
    const double u = (k + 0.5) / kDepthNodes;
    const double z = std::min(thicknessCm, -std::log1p(-u * interacting) / mu);
    sum += 0.5 * (ExponentialIntegralE2(muLine * z) + ExponentialIntegralE2(muLine * (thicknessCm - z)));
  }
  return sum / kDepthNodes;
}

/// Compton scattering at energyKeV by Klein-Nishina: the electron's mean energy [keV] and the share of
/// scatterings that give it at least thresholdKeV
std::pair<double, double> ComptonElectron(double energyKeV, double thresholdKeV) {
  const double k = energyKeV / kElectronRestKeV;
  double weights = 0;
  double energy = 0;
  double above = 0;
  for (int n = 0; n < kAngleNodes; ++n) {
    const double cosine = -1 + 2 * (n + 0.5) / kAngleNodes;
    const double ratio = 1 / (1 + k * (1 - cosine));  // scattered over incident photon energy
    const double weight = ratio * ratio * (ratio + 1 / ratio - (1 - cosine * cosine));
    const double electron = energyKeV * (1 - ratio);
    weights += weight;
    energy += weight * electron;
    if (electron >= thresholdKeV) above += weight;
  }
  return {energy / weights, above / weights};
}

}  // namespace

double FluorescingElement::ShareAt(double energyKeV) const {
  if (shares.empty() || energyKeV < kEdgeKeV) return 0;
  if (energyKeV <= shares.front().first) return shares.front().second;
  for (std::size_t j = 1; j < shares.size(); ++j) {
    if (energyKeV <= shares[j].first) {
      const auto& [e0, s0] = shares[j - 1];
      const auto& [e1, s1] = shares[j];
      return e1 > e0 ? s0 + (s1 - s0) * (energyKeV - e0) / (e1 - e0) : s1;
    }
  }
  return shares.back().second;
}

DetectorFluorescence ReadDetectorFluorescence(std::istream& in, const std::string& sourceName) {
  DetectorFluorescence table;
  std::string text;
  const auto find = [&table](const std::string& file, const std::string& symbol) -> FluorescingElement& {
    std::vector<FluorescingElement>& elements = table[file];
    for (FluorescingElement& element : elements) {
      if (element.symbol == symbol) return element;
    }
    elements.push_back(FluorescingElement{symbol, 0, {}, {}});
    return elements.back();
  };
  for (int line = 1; std::getline(in, text); ++line) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.empty() || text[0] == '#') continue;
    const std::string where = sourceName + ", line " + std::to_string(line) + ": ";
    const std::vector<std::string> fields = SplitAtTabs(text);
    const bool lineRow = fields[0] == "line";
    if ((!lineRow && fields[0] != "share") || fields.size() != (lineRow ? 6u : 5u)) {
      throw DetectorError(where + "not a line row of 6 fields or a share row of 5");
    }
    std::vector<double> numbers;
    for (std::size_t f = 3; f < fields.size(); ++f) {
      const std::optional<double> value = ParseWholeNumber(fields[f]);
      if (!value || !(*value >= 0)) throw DetectorError(where + "field " + std::to_string(f + 1) + " is not a number");
      numbers.push_back(*value);
    }
    FluorescingElement& element = find(fields[1], fields[2]);
    if (lineRow) {
      element.kEdgeKeV = numbers[0];
      element.lines.emplace_back(numbers[1], numbers[2]);
      continue;
    }
    if (numbers[1] > 1) throw DetectorError(where + "a share above 1");
    if (!element.shares.empty() && numbers[0] < element.shares.back().first) {
      throw DetectorError(where + "the energy is below the row before");
    }
    element.shares.emplace_back(numbers[0], numbers[1]);
  }
  return table;
}

DetectorResponse ComputeDetectorResponse(const DetectorLayer& layer) {
  if (!(layer.thicknessMm > 0) || !std::isfinite(layer.thicknessMm)) {
    throw DetectorError("the detector's thickness must be a positive number of millimetres");
  }
  if (layer.thresholdKeV && !(*layer.thresholdKeV >= 0 && std::isfinite(*layer.thresholdKeV))) {
    throw DetectorError("the detector's threshold must be 0 keV or more");
  }
  if (layer.material.rows.size() < 2 || !(layer.material.density > 0)) {
    throw DetectorError("the detector's material file has no coefficients");
  }
  const double thicknessCm = layer.thicknessMm * kCentimetresPerMm;
  const double threshold = layer.thresholdKeV.value_or(0);
  DetectorResponse response;
  for (int i = 1; i <= kExchangeLast; ++i) {
    const double energy = PhotonEnergy(i);
    const std::array<double, 3> partials = PartialsAt(layer.material, energy);
    const double total = partials[0] + partials[1] + partials[2];
    if (!(total > 0) || !std::isfinite(total)) {
      throw DetectorError("the detector's material file gives no attenuation at " + std::to_string(energy) + " keV");
    }
    const double mu = layer.material.density * total;
    const double interacting = -std::expm1(-mu * thicknessCm);
    const double photo = partials[2] / total;
    const double compton = partials[1] / total;

    // photoabsorption: the K photons of the layer's own elements that escape take their energy along
    double escapes = 0;       // escaping K photons per photoabsorption
    double escapedKeV = 0;    // their energy per photoabsorption [keV]
    double countedAfter = 0;  // photoabsorptions counted although a K photon escaped
    for (const FluorescingElement& element : layer.fluorescence) {
      const double share = element.ShareAt(energy);
      if (!(share > 0)) continue;
      for (const auto& [lineKeV, perVacancy] : element.lines) {
        const double leaving = share * perVacancy * EscapeShare(mu, LinearTotal(layer.material, lineKeV), thicknessCm);
        escapes += leaving;
        escapedKeV += leaving * lineKeV;
        if (energy - lineKeV >= threshold) countedAfter += leaving;
      }
    }
    const auto [electronKeV, comptonCounted] = ComptonElectron(energy, threshold);
    const double photoCounted = (energy >= threshold ? 1 - escapes : 0) + countedAfter;

    response.interacting[i] = interacting;
    response.counted[i] =
        layer.thresholdKeV ? interacting * (photo * photoCounted + compton * comptonCounted) : interacting;
    response.absorbedShare[i] = interacting * (photo * (energy - escapedKeV) + compton * electronKeV) / energy;
  }
  return response;
}

DetectorFigures DetectorFiguresOf(const PhotonSpectrum& photons, const DetectorResponse& response) {
  double number = 0;
  double counted = 0;
  double energy = 0;
  double absorbed = 0;
  for (int i = 1; i <= kExchangeLast; ++i) {
    number += photons[i];
    counted += photons[i] * response.counted[i];
    energy += photons[i] * PhotonEnergy(i);
    absorbed += photons[i] * PhotonEnergy(i) * response.absorbedShare[i];
  }
  if (!(number > 0) || !std::isfinite(energy)) throw DetectorError("the beam holds no photons for the detector");
  DetectorFigures figures;
  figures.quantumDetectionEfficiency = RoundToSignificantDigits(counted / number, kFigureSignificantDigits);
  figures.absorbedEnergyFraction = RoundToSignificantDigits(absorbed / energy, kFigureSignificantDigits);
  for (int i = 1; i <= kExchangeLast; ++i) {
    figures.absorbedEnergyKeV[i] = photons[i] * PhotonEnergy(i) * response.absorbedShare[i] / number;
  }
  return figures;
}

}  // namespace kestrix
