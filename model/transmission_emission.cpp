#include "transmission_emission.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <utility>
#include <vector>

#include "bremsstrahlung_cross_section.h"
#include "characteristic_lines.h"
#include "electron_stopping_power.h"
#include "electron_transmission.h"
#include "off_axis.h"
#include "physics_emission.h"
#include "run_spread.h"
#include "target_constants.h"
#include "tungsten_target.h"

namespace kestrix {

namespace embedded {
extern const double kBremsstrahlungShapeTungsten[];
extern const std::size_t kBremsstrahlungShapeTungstenCount;
extern const float kSeltzerBergerBeryllium[];
extern const std::size_t kSeltzerBergerBerylliumCount;
extern const float kSeltzerBergerCarbon[];
extern const std::size_t kSeltzerBergerCarbonCount;
extern const float kSeltzerBergerAluminium[];
extern const std::size_t kSeltzerBergerAluminiumCount;
extern const float kBremsstrahlungShapeBeryllium[];
extern const std::size_t kBremsstrahlungShapeBerylliumCount;
extern const float kBremsstrahlungShapeCarbon[];
extern const std::size_t kBremsstrahlungShapeCarbonCount;
extern const float kBremsstrahlungShapeAluminium[];
extern const std::size_t kBremsstrahlungShapeAluminiumCount;
extern const double kAttenuationCarbon[];
extern const std::size_t kAttenuationCarbonCount;
}  // namespace embedded

using namespace transmission_layout;

namespace {

constexpr double kCentimetresPerMicrometre = 1e-4;
constexpr double kCentimetresPerMillimetre = 0.1;
constexpr double kRadiansPerDegree = tungsten::kPi / 180.0;
/// reduced photon energies k/T of the shape-function nodes; the last stands for the tip (the data's
/// own last node lies at 0.99), as in the reflection model
constexpr std::array<double, 12> kShapeReduced{0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 0.95, 1.0};
constexpr int kShapeNodes = static_cast<int>(kShapeReduced.size());
/// points of the average over the electron's azimuth about +z
constexpr int kAzimuthSteps = 64;
/// Gauss-Legendre points per direction cell
constexpr std::array<double, 4> kGaussNodes{-0.8611363115940526, -0.3399810435848563, 0.3399810435848563,
                                            0.8611363115940526};
constexpr std::array<double, 4> kGaussWeights{0.3478548451374538, 0.6521451548625461, 0.6521451548625461,
                                              0.3478548451374538};

using ShapeCells = std::array<std::array<double, kDirectionBins>, kShapeNodes>;  // [node q][cell c] [1/sr]

/// CSDA range against energy on a logarithmic grid from the cut-off to 300 keV, the integral of 1 / S
/// accumulated once by the midpoint rule (4 steps per grid step, 1600 per decade), log-log interpolated:
/// within 1e-5 of CsdaRange, and a spectrum's samples need not integrate it each
class RangeTable {
 public:
  template <typename Stopping>
  explicit RangeTable(const Stopping& totalStoppingPower) {
    constexpr int kSubSteps = 4;
    logLow_ = std::log(kElectronCutoffEnergy);
    step_ = (std::log(kTransmissionMaximumVoltage * 1.01) - logLow_) / kSteps;
    double range = 0;
    logRange_[0] = -HUGE_VAL;  // zero at the cut-off
    for (int s = 1; s <= kSteps; ++s) {
      for (int sub = 0; sub < kSubSteps; ++sub) {
        const double E = std::exp(logLow_ + (s - 1 + (sub + 0.5) / kSubSteps) * step_);
        range += E / totalStoppingPower(E) * step_ / kSubSteps;
      }
      logRange_[s] = std::log(range);
    }
  }

  /// [cm]; T [keV] above the cut-off and at most 1.01 x 300 keV
  double operator()(double T) const {
    const double x = std::clamp((std::log(T) - logLow_) / step_, 1.0, static_cast<double>(kSteps));
    const int s = std::min(static_cast<int>(x), kSteps - 1);
    return std::exp(logRange_[s] + (x - s) * (logRange_[s + 1] - logRange_[s]));
  }

 private:
  static constexpr int kSteps = 1000;
  double logLow_ = 0, step_ = 0;
  std::array<double, kSteps + 1> logRange_{};
};

const RangeTable& TungstenRanges() {
  static const RangeTable table([](double E) { return TotalStoppingPower(TargetMaterial::Tungsten, E); });
  return table;
}

std::string Number(double value) {
  std::ostringstream out;
  out.precision(4);
  out << value;
  return out.str();
}

/// `value` > 0 rounded up to 4 significant digits, so that the number shown is enough
std::string NumberUp(double value) {
  if (!(value > 0) || !std::isfinite(value)) return Number(value);
  const double unit = std::pow(10.0, std::floor(std::log10(value)) - 3);
  return Number(std::ceil(value / unit * (1 - 1e-12)) * unit);
}

/// The data of one element that emits: its Seltzer-Berger cross section, atoms per volume, and
/// Poskus's shape-function parameters with their averages over the direction cells towards the ray
/// of the last path factor asked for.
struct EmittingElement {
  const BremsstrahlungCrossSection* crossSection = nullptr;
  std::unique_ptr<BremsstrahlungCrossSection> ownCrossSection;  // a window's
  double atomsPerVolume = 0;  // [1/cm3]
  double z2 = 0;              // [1]
  std::vector<double> logEnergies;  // of the shape data's electron energies [log keV]
  std::vector<std::array<std::array<double, 3>, kShapeNodes>> parameters;  // A, B, C by energy and node
  mutable std::mutex mutex;                              // guards the two below
  mutable double lastPathFactor = 0;
  mutable std::shared_ptr<const std::vector<ShapeCells>> lastCells;

  void ReadShapes(const double* data, std::size_t count) {
    if (count < 2 || data[1] != kShapeNodes) throw std::logic_error("shape-function table: layout differs");
    const auto energies = static_cast<std::size_t>(data[0]);
    if (count != 2 + energies * (1 + 4 * kShapeNodes)) throw std::logic_error("shape-function table: bad size");
    for (std::size_t e = 0; e < energies; ++e) {
      const double* row = data + 2 + e * (1 + 4 * kShapeNodes);
      logEnergies.push_back(std::log(row[0]));
      const double *A = row + 1 + kShapeNodes, *B = A + kShapeNodes, *C = B + kShapeNodes;
      std::array<std::array<double, 3>, kShapeNodes> nodes{};
      for (int q = 0; q < kShapeNodes; ++q) nodes[q] = {A[q], B[q], C[q]};
      parameters.push_back(nodes);
    }
  }

  /// the shape function averaged over each direction cell (cosine w to +z) and the azimuth, towards
  /// the ray at angle psi to +z, per energy of the data and node [1/sr]: an electron at (w, phi) meets
  /// the ray at mu = w cos psi + sqrt(1 - w^2) sin psi cos phi
  std::shared_ptr<const std::vector<ShapeCells>> Toward(double pathFactor) const {
    const std::lock_guard<std::mutex> lock(mutex);
    if (lastCells && lastPathFactor == pathFactor) return lastCells;
    const double cosPsi = 1.0 / pathFactor, sinPsi = std::sqrt(std::max(0.0, 1.0 - cosPsi * cosPsi));
    // on the axis every azimuth meets the ray alike: one point is the average
    const int steps = sinPsi > 0 ? kAzimuthSteps : 1;
    std::vector<double> around(steps);
    for (int a = 0; a < steps; ++a) around[a] = std::cos(tungsten::kPi * (a + 0.5) / steps);
    auto cells = std::make_shared<std::vector<ShapeCells>>(parameters.size());
    for (std::size_t e = 0; e < parameters.size(); ++e) {
      ShapeCells& byCell = (*cells)[e];
      for (int q = 0; q < kShapeNodes; ++q) {
        const std::array<double, 3>& p = parameters[e][q];
        for (int c = 0; c < kDirectionBins; ++c) {
          double cell = 0;
          for (std::size_t g = 0; g < kGaussNodes.size(); ++g) {
            const double w = -1.0 + (2.0 * c + 1.0 + kGaussNodes[g]) / kDirectionBins;
            const double along = w * cosPsi, across = std::sqrt(std::max(0.0, 1.0 - w * w)) * sinPsi;
            double sum = 0;
            for (const double cosPhi : around) sum += BremsstrahlungShapeFunction(p[0], p[1], p[2], along + across * cosPhi);
            cell += 0.5 * kGaussWeights[g] * sum / steps;
          }
          byCell[q][c] = cell;
        }
      }
    }
    lastPathFactor = pathFactor;
    lastCells = cells;
    return cells;
  }

  /// the cells' factors at electron energy T [keV], linear in log T between the data's energies
  void At(const std::vector<ShapeCells>& cells, double T, ShapeCells& factors) const {
    const double logT = std::clamp(std::log(T), logEnergies.front(), logEnergies.back());
    std::size_t e = std::upper_bound(logEnergies.begin(), logEnergies.end(), logT) - logEnergies.begin();
    e = std::clamp<std::size_t>(e, 1, logEnergies.size() - 1) - 1;
    const double w = (logT - logEnergies[e]) / (logEnergies[e + 1] - logEnergies[e]);
    for (int q = 0; q < kShapeNodes; ++q) {
      for (int c = 0; c < kDirectionBins; ++c) factors[q][c] = cells[e][q][c] + w * (cells[e + 1][q][c] - cells[e][q][c]);
    }
  }
};

const EmittingElement& Tungsten() {
  static const EmittingElement* const element = [] {
    auto* made = new EmittingElement;
    made->crossSection = &BremsstrahlungOf(TargetMaterial::Tungsten);
    made->atomsPerVolume = tungsten::kAtomsPerVolume;
    made->z2 = static_cast<double>(tungsten::kAtomicNumber) * tungsten::kAtomicNumber;
    made->ReadShapes(embedded::kBremsstrahlungShapeTungsten, embedded::kBremsstrahlungShapeTungstenCount);
    return made;
  }();
  return *element;
}

/// mass attenuation coefficient of carbon log-log interpolated onto the grid, times diamond's density [1/cm]
GridArray DiamondAttenuation() {
  const double* data = embedded::kAttenuationCarbon;
  const std::size_t rows = static_cast<std::size_t>(data[0]);
  if (embedded::kAttenuationCarbonCount != 1 + 2 * rows || rows < 2) throw std::logic_error("carbon attenuation: bad size");
  GridArray mu{};
  const double density = WindowConstantsOf(TransmissionWindow::Diamond).density;
  std::size_t r = 0;
  for (int i = 1; i <= kGridLast; ++i) {
    const double E = PhotonEnergy(i) / 1000.0;  // [MeV]
    while (r + 2 < rows && data[1 + 2 * (r + 1)] < E) ++r;
    const double e0 = data[1 + 2 * r], m0 = data[2 + 2 * r], e1 = data[3 + 2 * r], m1 = data[4 + 2 * r];
    const double x = (std::log(E) - std::log(e0)) / (std::log(e1) - std::log(e0));
    mu[i] = density * std::exp(std::log(m0) + x * (std::log(m1) - std::log(m0)));
  }
  return mu;
}

/// one element's cross sections by energy cell and grid bin, each split between the two
/// shape-function nodes around its k/T
struct CellCrossSections {
  std::vector<double> value;  // n dsigma/dk [1/(cm keV)] at [m (top + 1) + i]
  std::vector<int> node;      // shape-function node at or below k/T
  std::vector<double> upperWeight;
  std::array<int, kEnergyBins> lastBin{};
};

/// n dsigma/dk = n (Z^2 / beta^2) chi(T, k/T) / k for the electrons of energy cell m (T its middle)
/// and the photon energy of bin i; a photon energy inside the cell takes only the part of the cell
/// above it, at the middle of that part (as the reflection model)
void CrossSectionsOf(const EmittingElement& element, double T0, int top, CellCrossSections& out) {
  const double energyCell = T0 / kEnergyBins;
  const std::size_t width = static_cast<std::size_t>(top + 1);
  out.value.assign(kEnergyBins * width, 0.0);
  out.node.assign(kEnergyBins * width, 0);
  out.upperWeight.assign(kEnergyBins * width, 0.0);
  for (int m = 0; m < kEnergyBins; ++m) {
    const double low = m * energyCell, high = (m + 1) * energyCell, middle = (m + 0.5) * energyCell;
    out.lastBin[m] = std::min(top, static_cast<int>(std::ceil(high / kKeVPerGridIndex)) - 1);
    if (high <= kElectronCutoffEnergy) {
      out.lastBin[m] = 1;
      continue;
    }
    // the table's row at the cell's middle, linear in log T once for all its bins below the tip
    const BremsstrahlungCrossSection& table = *element.crossSection;
    const std::vector<double>& energies = table.ElectronEnergies();
    const std::vector<double>& reduced = table.ReducedPhotonEnergies();
    const double held = std::clamp(middle, energies.front(), energies.back());
    std::size_t r = std::upper_bound(energies.begin(), energies.end(), held) - energies.begin();
    r = std::clamp<std::size_t>(r, 1, energies.size() - 1) - 1;
    const double wT = std::log(held / energies[r]) / std::log(energies[r + 1] / energies[r]);
    std::vector<double> row(reduced.size());
    for (std::size_t col = 0; col < reduced.size(); ++col) {
      row[col] = table.Node(static_cast<int>(r), static_cast<int>(col)) +
                 wT * (table.Node(static_cast<int>(r) + 1, static_cast<int>(col)) - table.Node(static_cast<int>(r), static_cast<int>(col)));
    }
    const double middleScale = element.atomsPerVolume * element.z2 / tungsten::BetaSquared(middle) * tungsten::kMillibarn;
    std::size_t col = 0;  // the row's column at or below k/T, found by stepping: k/T rises with the bin
    int q = 0;
    for (int i = 2; i <= out.lastBin[m]; ++i) {
      const double k = PhotonEnergy(i);
      double T = middle, chiScaled = 0;
      const std::size_t at = m * width + i;
      if (k >= low) {
        // the tip: only the electrons of this cell above k, at the middle of that part
        T = 0.5 * (k + high);
        const double share = (high - k) / energyCell;
        chiScaled = element.atomsPerVolume * element.z2 / tungsten::BetaSquared(T) * table.ScaledCrossSection(T, k / T) *
                    tungsten::kMillibarn * share;
      } else {
        const double u = k / middle;
        while (col + 2 < reduced.size() && reduced[col + 1] <= u) ++col;
        const double wK = (u - reduced[col]) / (reduced[col + 1] - reduced[col]);
        chiScaled = middleScale * (row[col] + wK * (row[col + 1] - row[col]));
      }
      out.value[at] = chiScaled / k;
      const double u = std::min(k / T, 1.0);
      while (q < kShapeNodes - 2 && kShapeReduced[q + 1] <= u) ++q;
      out.node[at] = q;
      out.upperWeight[at] = (u - kShapeReduced[q]) / (kShapeReduced[q + 1] - kShapeReduced[q]);
    }
  }
}

/// Photons per keV per sr per electron towards the ray from each depth cell before attenuation:
///     rows[j][i] = sum_m n dsigma/dk(T_m, k_i) sum_c track_jmc S_mc(k_i / T_m)  [1/(keV sr)],
/// `track` in cm by cell index (transmission_layout::CellIndex), over `depthCells` depth cells
void DirectedEmission(const EmittingElement& element, const std::vector<ShapeCells>& cells, double T0, int top,
                      const double* track, int depthCells, const CellCrossSections& sections,
                      std::vector<double>& rows) {
  const std::size_t width = static_cast<std::size_t>(top + 1);
  rows.assign(depthCells * width, 0.0);
  const double energyCell = T0 / kEnergyBins;
  ShapeCells factors{};
  for (int m = 0; m < kEnergyBins; ++m) {
    bool any = false;
    for (int j = 0; j < depthCells && !any; ++j) {
      for (int c = 0; c < kDirectionBins; ++c) any = any || track[CellIndex(j, m, c)] > 0;
    }
    if (!any || sections.lastBin[m] < 2) continue;
    element.At(cells, (m + 0.5) * energyCell, factors);
    for (int j = 0; j < depthCells; ++j) {
      std::array<double, kShapeNodes> toward{};  // track weighted with the shape function [cm/sr]
      for (int q = 0; q < kShapeNodes; ++q) {
        for (int c = 0; c < kDirectionBins; ++c) toward[q] += track[CellIndex(j, m, c)] * factors[q][c];
      }
      if (toward[0] == 0.0 && toward[kShapeNodes - 1] == 0.0) continue;
      double* row = rows.data() + j * width;
      const std::size_t offset = m * width;
      for (int i = 2; i <= sections.lastBin[m]; ++i) {
        const int q = sections.node[offset + i];
        const double w = sections.upperWeight[offset + i];
        row[i] += sections.value[offset + i] * (toward[q] + w * (toward[q + 1] - toward[q]));
      }
    }
  }
}

/// mean of exp(-x) over a cell whose near side lies `near` and far side `near + width` attenuation
/// lengths from the exit, x = mu times the path [1]
double CellEscape(double near, double width) {
  const double step = width > 1e-12 ? (1.0 - std::exp(-width)) / width : 1.0;
  return std::exp(-near) * step;
}

void CheckPathFactor(double pathFactor) {
  if (!(pathFactor >= 1.0) || !std::isfinite(pathFactor)) {
    throw std::invalid_argument("The ray's path factor through a transmission target must be at least 1 and finite.");
  }
}

}  // namespace

namespace {

/// the CSDA range table of a window material
const RangeTable& WindowRanges(TransmissionWindow window) {
  const auto made = [](TransmissionWindow material) {
    return RangeTable([material](double E) { return CollisionStoppingPower(WindowConstantsOf(material), E); });
  };
  static const std::array<RangeTable, 3> ranges{made(TransmissionWindow::Diamond), made(TransmissionWindow::Beryllium),
                                                made(TransmissionWindow::Aluminium)};
  return ranges[static_cast<std::size_t>(window)];
}

}  // namespace

/// What the spectra of one window material share, built once.
struct TransmissionEmissionModel::Shared {
  TransmissionWindow window = TransmissionWindow::Diamond;
  EmittingElement windowElement;
  const TargetConstants* windowConstants = nullptr;
  GridArray diamondAttenuation{};  // [1/cm], diamond only

  explicit Shared(TransmissionWindow material) : window(material), windowConstants(&WindowConstantsOf(material)) {
    // the window's data are compiled in as float (6 significant digits in their files)
    const auto numbers = [](const float* data, std::size_t count) { return std::vector<double>(data, data + count); };
    std::vector<double> sb = numbers(embedded::kSeltzerBergerCarbon, embedded::kSeltzerBergerCarbonCount);
    std::vector<double> shape = numbers(embedded::kBremsstrahlungShapeCarbon, embedded::kBremsstrahlungShapeCarbonCount);
    if (material == TransmissionWindow::Beryllium) {
      sb = numbers(embedded::kSeltzerBergerBeryllium, embedded::kSeltzerBergerBerylliumCount);
      shape = numbers(embedded::kBremsstrahlungShapeBeryllium, embedded::kBremsstrahlungShapeBerylliumCount);
    } else if (material == TransmissionWindow::Aluminium) {
      sb = numbers(embedded::kSeltzerBergerAluminium, embedded::kSeltzerBergerAluminiumCount);
      shape = numbers(embedded::kBremsstrahlungShapeAluminium, embedded::kBremsstrahlungShapeAluminiumCount);
    }
    windowElement.ownCrossSection = std::make_unique<BremsstrahlungCrossSection>(
        sb.data(), sb.size(), windowConstants->atomicNumber, windowConstants->atomsPerVolume);
    windowElement.crossSection = windowElement.ownCrossSection.get();
    windowElement.atomsPerVolume = windowConstants->atomsPerVolume;
    windowElement.z2 = static_cast<double>(windowConstants->atomicNumber) * windowConstants->atomicNumber;
    windowElement.ReadShapes(shape.data(), shape.size());
    if (material == TransmissionWindow::Diamond) diamondAttenuation = DiamondAttenuation();
  }

  /// the window's linear attenuation coefficient by grid index [1/cm]: the attenuation table's for
  /// beryllium and aluminium (the filters' own), carbon's at diamond's density for diamond
  const double* WindowAttenuation(const AttenuationTable& table) const {
    switch (window) {
      case TransmissionWindow::Beryllium: return table.muBe.data();
      case TransmissionWindow::Aluminium: return table.muAl.data();
      default: return diamondAttenuation.data();
    }
  }

  double WindowRange(double T0) const { return WindowRanges(window)(T0); }

  static const Shared& Of(TransmissionWindow material) {
    switch (material) {
      case TransmissionWindow::Beryllium: {
        static const Shared beryllium(TransmissionWindow::Beryllium);
        return beryllium;
      }
      case TransmissionWindow::Aluminium: {
        static const Shared aluminium(TransmissionWindow::Aluminium);
        return aluminium;
      }
      default: {
        static const Shared diamond(TransmissionWindow::Diamond);
        return diamond;
      }
    }
  }
};

double WindowCsdaRangeMm(TransmissionWindow window, double T0) {
  // the table up to the transmission target's voltages, the integral itself above them
  const double range = T0 <= kTransmissionMaximumVoltage
                           ? WindowRanges(window)(T0)
                           : CollisionCsdaRange(WindowConstantsOf(window), T0);
  return range / kCentimetresPerMillimetre;
}

double TungstenCsdaRangeUm(double T0) { return CsdaRange(TargetMaterial::Tungsten, T0) / kCentimetresPerMicrometre; }

namespace {

/// the refusals that do not depend on the voltage
std::optional<std::string> LayerRefusal(const TransmissionTarget& transmission) {
  const std::string window = TransmissionWindowName(transmission.window);
  if (!std::isfinite(transmission.layerUm) || transmission.layerUm < kSmallestLayerUm ||
      transmission.layerUm > kLargestLayerUm) {
    return "the transmission target's tungsten layer must be " + Number(kSmallestLayerUm) + " to " +
           Number(kLargestLayerUm) + " um thick, not " + Number(transmission.layerUm) + " um";
  }
  if (!std::isfinite(transmission.windowMm) || !(transmission.windowMm > 0)) {
    return "the transmission target's " + window + " window must have a thickness above 0 mm, not " +
           Number(transmission.windowMm) + " mm";
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> TransmissionRefusal(SpectrumModel model, TargetMaterial target,
                                               const TransmissionTarget& transmission, double kVp) {
  // a layer of zero is the reflection target; a negative one or none at all is refused below
  if (transmission.layerUm == 0) return std::nullopt;
  if (model != SpectrumModel::Physics) {
    return "a transmission target is computed by the physics model only";
  }
  if (target != TargetMaterial::Tungsten) {
    return std::string("a transmission target has a tungsten layer only, not ") + TargetSymbol(target);
  }
  if (const std::optional<std::string> refusal = LayerRefusal(transmission)) return refusal;
  if (!(kVp >= kTransmissionMinimumVoltage && kVp <= kTransmissionMaximumVoltage)) {
    return "a transmission target is computed for " + Number(kTransmissionMinimumVoltage) + " to " +
           Number(kTransmissionMaximumVoltage) + " kV, not " + Number(kVp) + " kV";
  }
  const double range = WindowCsdaRangeMm(transmission.window, kVp);
  if (transmission.windowMm < range) {
    return "the " + std::string(TransmissionWindowName(transmission.window)) + " window of " +
           Number(transmission.windowMm) + " mm is thinner than the electrons' range in it at " + Number(kVp) +
           " kV, " + Number(range) + " mm: electrons would leave the window (make it at least " + NumberUp(range) +
           " mm)";
  }
  return std::nullopt;
}

double TransmissionPathFactor(double alongDegrees, double acrossDegrees) {
  for (const auto& [name, value] : {std::pair<const char*, double>{"along", alongDegrees}, {"across", acrossDegrees}}) {
    if (!std::isfinite(value) || std::fabs(value) > kLargestOffAxisAngle) {
      throw std::invalid_argument(std::string("the angle ") + name + " the axis must lie between -" +
                                  Number(kLargestOffAxisAngle) + " and " + Number(kLargestOffAxisAngle) +
                                  " degrees, not " + Number(value) + " degrees");
    }
  }
  return 1.0 / (std::cos(alongDegrees * kRadiansPerDegree) * std::cos(acrossDegrees * kRadiansPerDegree));
}

TransmissionEmissionModel::TransmissionEmissionModel(const TransmissionTarget& transmission, bool characteristicLines)
    : TransmissionEmissionModel(transmission, characteristicLines,
                                std::shared_ptr<const ElectronTransmission>(
                                    &ElectronTransmissionOf(transmission.window), [](const ElectronTransmission*) {})) {}

TransmissionEmissionModel::TransmissionEmissionModel(const TransmissionTarget& transmission, bool characteristicLines,
                                                     std::shared_ptr<const ElectronTransmission> electrons)
    : transmission_(transmission),
      characteristicLines_(characteristicLines),
      electrons_(std::move(electrons)),
      shared_(&Shared::Of(transmission.window)) {
  if (const std::optional<std::string> refusal = LayerRefusal(transmission)) throw std::invalid_argument(*refusal);
}

TransmissionEmissionModel::~TransmissionEmissionModel() = default;

void TransmissionEmissionModel::SampleEmissions(const std::vector<double>& sampleVoltages, double cosecTheta,
                                                const AttenuationTable& table,
                                                std::vector<GridArray>& emissions) const {
  CheckPathFactor(cosecTheta);
  for (const double T0 : sampleVoltages) {
    if (!(T0 <= kTransmissionMaximumVoltage)) {
      throw std::out_of_range("Sample voltage " + Number(T0) + " kV lies above the transmission target's 300 kV.");
    }
  }
  emissions.assign(sampleVoltages.size(), GridArray{});
  // the direction-cell factors once for every sample
  Tungsten().Toward(cosecTheta);
  shared_->windowElement.Toward(cosecTheta);
  RunSpread(sampleVoltages.size(), [&](std::size_t k) {
    const TransmissionParts parts = SampleParts(sampleVoltages[k], cosecTheta, table);
    for (int i = 0; i <= kGridLast; ++i) emissions[k][i] = parts.layer[i] + parts.window[i] + parts.lines[i];
  });
}

TransmissionParts TransmissionEmissionModel::SampleParts(double T0, double pathFactor, const AttenuationTable& table) const {
  CheckPathFactor(pathFactor);
  if (!(T0 <= kTransmissionMaximumVoltage)) {
    throw std::out_of_range("Sample voltage " + Number(T0) + " kV lies above the transmission target's 300 kV.");
  }
  TransmissionParts parts;
  const int top = TopBinFor(T0);
  if (top < 2 || !(T0 > kElectronCutoffEnergy)) return parts;
  const std::size_t width = static_cast<std::size_t>(top + 1);
  const EmittingElement& tungstenElement = Tungsten();
  const EmittingElement& windowElement = shared_->windowElement;
  const double c = pathFactor;
  const double layer = transmission_.layerUm * kCentimetresPerMicrometre;   // t [cm]
  const double window = transmission_.windowMm * kCentimetresPerMillimetre;  // w [cm]
  const double rangeW = TungstenRanges()(T0);                               // [cm]
  const double rangeWindow = shared_->WindowRange(T0);                       // [cm]
  const TransmissionTracks tracks = electrons_->At(T0, layer / rangeW);
  const double cellDepth = tracks.layerDepth * rangeW / kLayerDepthBins;      // [cm]
  const double windowCellDepth = rangeWindow * kWindowDepthMax / kWindowDepthBins;  // [cm]
  const double* muW = table.muW.data();
  const double* muWindow = shared_->WindowAttenuation(table);

  // step 2: the tracks in cm
  std::array<double, kLayerCells> layerTrack{};
  for (int k = 0; k < kLayerCells; ++k) layerTrack[k] = tracks.layer[k] * rangeW;
  std::array<double, kWindowCells> windowTrack{};
  for (int k = 0; k < kWindowCells; ++k) windowTrack[k] = tracks.window[k] * rangeWindow;

  // steps 1 and 3: the layer's bremsstrahlung, through (t - z) c of tungsten and w c of window
  CellCrossSections tungstenSections;
  CrossSectionsOf(tungstenElement, T0, top, tungstenSections);
  {
    const std::shared_ptr<const std::vector<ShapeCells>> cells = tungstenElement.Toward(c);
    std::vector<double> rows;
    DirectedEmission(tungstenElement, *cells, T0, top, layerTrack.data(), kLayerDepthBins, tungstenSections, rows);
    for (int i = 2; i <= top; ++i) {
      const double throughWindow = std::exp(-muWindow[i] * window * c);
      double sum = 0;
      for (int j = 0; j < kLayerDepthBins; ++j) {
        const double near = muW[i] * c * std::max(0.0, layer - (j + 1) * cellDepth);
        sum += rows[j * width + i] * CellEscape(near, muW[i] * c * cellDepth);
      }
      parts.layer[i] = PhotonEnergy(i) * sum * throughWindow;
    }
  }
  // the window's bremsstrahlung, through t c of tungsten and (w - s) c of window
  {
    CellCrossSections windowSections;
    CrossSectionsOf(windowElement, T0, top, windowSections);
    const std::shared_ptr<const std::vector<ShapeCells>> cells = windowElement.Toward(c);
    std::vector<double> rows;
    DirectedEmission(windowElement, *cells, T0, top, windowTrack.data(), kWindowDepthBins, windowSections, rows);
    for (int i = 2; i <= top; ++i) {
      const double throughLayer = std::exp(-muW[i] * layer * c);
      double sum = 0;
      for (int j = 0; j < kWindowDepthBins; ++j) {
        const double near = muWindow[i] * c * std::max(0.0, window - (j + 1) * windowCellDepth);
        sum += rows[j * width + i] * CellEscape(near, muWindow[i] * c * windowCellDepth);
      }
      parts.window[i] = PhotonEnergy(i) * sum * throughLayer;
    }
  }
  if (!characteristicLines_) return parts;

  // step 4: tungsten's K and L lines
  const TungstenShells& shells = AtomicShellsOf(TargetMaterial::Tungsten);
  if (!(T0 > shells.Shell(kShellL3).edge)) return parts;
  const double energyCell = T0 / kEnergyBins;
  const double n = tungstenElement.atomsPerVolume;
  // plain track by depth and energy cell [cm]
  std::array<std::array<double, kEnergyBins>, kLayerDepthBins> all{};
  for (int j = 0; j < kLayerDepthBins; ++j) {
    for (int m = 0; m < kEnergyBins; ++m) {
      for (int cc = 0; cc < kDirectionBins; ++cc) all[j][m] += layerTrack[CellIndex(j, m, cc)];
    }
  }
  // electron-impact vacancies per electron by shell and depth cell [1]
  std::array<std::array<double, kLayerDepthBins>, kShellCount> impact{};
  for (int m = 0; m < kEnergyBins; ++m) {
    for (int s = 0; s < kShellCount; ++s) {
      const double sigma = ElectronImpactIonisation(TargetMaterial::Tungsten, static_cast<AtomicShell>(s), (m + 0.5) * energyCell);
      for (int j = 0; j < kLayerDepthBins; ++j) impact[s][j] += n * sigma * all[j][m];
    }
  }
  // Photoabsorption of the layer's bremsstrahlung in the layer: of the photons made at depth z (all
  // directions, taken as isotropic), the half going forward crosses t - z of tungsten and the half
  // going back z, so the shares 1 - E2(mu (t - z)) and 1 - E2(mu z) interact (OutwardAbsorbedShare);
  // their vacancies lie within min(t - z, 1 / mu), or min(z, 1 / mu), of z and are taken at its middle.
  struct Vacancies {
    double depth;                            // [cm]
    std::array<double, kShellCount> count;   // per electron [1]
  };
  std::vector<Vacancies> absorbed;
  const int firstBin = std::max(2, static_cast<int>(std::floor(shells.Shell(kShellL3).edge / kKeVPerGridIndex)));
  for (int i = firstBin; i <= top; ++i) {
    std::array<double, kShellCount> share{};
    double shareTotal = 0;
    for (int s = 0; s < kShellCount; ++s) {
      share[s] = shells.PhotoabsorptionShare(static_cast<AtomicShell>(s), i);
      shareTotal += share[s];
    }
    if (!(shareTotal > 0) || !(muW[i] > 0)) continue;
    const double freePath = 1.0 / muW[i];
    for (int j = 0; j < kLayerDepthBins; ++j) {
      double made = 0;  // photons per electron in this bin [1]
      for (int m = 0; m < kEnergyBins; ++m) {
        if (i <= tungstenSections.lastBin[m]) made += all[j][m] * tungstenSections.value[m * width + i];
      }
      made *= kKeVPerGridIndex;
      if (!(made > 0)) continue;
      const double z = (j + 0.5) * cellDepth;
      const double ahead = layer - z;
      const double forward = 0.5 * made * OutwardAbsorbedShare(muW[i] * ahead);
      const double backward = 0.5 * made * OutwardAbsorbedShare(muW[i] * z);
      Vacancies front{z + 0.5 * std::min(ahead, freePath), {}};
      Vacancies back{z - 0.5 * std::min(z, freePath), {}};
      for (int s = 0; s < kShellCount; ++s) {
        front.count[s] = forward * share[s];
        back.count[s] = backward * share[s];
      }
      absorbed.push_back(front);
      absorbed.push_back(back);
    }
  }
  // each line bin: vacancies weighted with the escape of its photons along the ray, the cascades,
  // the yields; isotropic, 1 / (4 pi) per sr
  std::vector<int> bins;
  for (int s = 0; s < kShellCount; ++s) {
    for (const FluorescenceLine& line : shells.Shell(static_cast<AtomicShell>(s)).lines) {
      const int bin = NearestGridIndex(line.energy);
      if (bin >= 2 && bin <= top && std::find(bins.begin(), bins.end(), bin) == bins.end()) bins.push_back(bin);
    }
  }
  // the photoabsorption vacancies gathered on kVacancySlots depths from the surface to the deepest,
  // each shared linearly between the two slots around it, so that each line bin needs one escape per
  // slot (the escape's curvature over a slot, 1/8 (mu_L c slot)^2, stays below 1 % wherever the
  // lines still get out)
  constexpr int kVacancySlots = 64;
  double deepest = 0;
  for (const Vacancies& v : absorbed) deepest = std::max(deepest, v.depth);
  const double slot = std::max(deepest, 1e-12) / (kVacancySlots - 1);
  std::array<std::array<double, kShellCount>, kVacancySlots> slots{};
  for (const Vacancies& v : absorbed) {
    const double x = std::clamp(v.depth / slot, 0.0, kVacancySlots - 1.0);
    const int low = std::min(static_cast<int>(x), kVacancySlots - 2);
    const double upper = x - low;
    for (int s = 0; s < kShellCount; ++s) {
      slots[low][s] += (1.0 - upper) * v.count[s];
      slots[low + 1][s] += upper * v.count[s];
    }
  }
  const ShellData& kShell = shells.Shell(kShellK);
  for (const int bin : bins) {
    const double muLine = muW[bin] * c;
    const double throughWindow = std::exp(-muWindow[bin] * window * c);
    std::array<double, kShellCount> vacancies{};
    for (int j = 0; j < kLayerDepthBins; ++j) {
      const double escape = CellEscape(muLine * std::max(0.0, layer - (j + 1) * cellDepth), muLine * cellDepth);
      for (int s = 0; s < kShellCount; ++s) vacancies[s] += impact[s][j] * escape;
    }
    for (int k = 0; k < kVacancySlots; ++k) {
      const double escape = std::exp(-muLine * std::max(0.0, layer - k * slot));
      for (int s = 0; s < kShellCount; ++s) vacancies[s] += slots[k][s] * escape;
    }
    vacancies[kShellL2] += shells.F12() * vacancies[kShellL1] +
                           kShell.fluorescenceYield * kShell.lines[0].radiativeRate * vacancies[kShellK];
    vacancies[kShellL3] += shells.F13() * vacancies[kShellL1] + shells.F23() * vacancies[kShellL2] +
                           kShell.fluorescenceYield * kShell.lines[1].radiativeRate * vacancies[kShellK];
    double photons = 0;  // per sr per electron
    for (int s = 0; s < kShellCount; ++s) {
      const ShellData& shell = shells.Shell(static_cast<AtomicShell>(s));
      for (const FluorescenceLine& line : shell.lines) {
        if (NearestGridIndex(line.energy) == bin) {
          photons += shell.fluorescenceYield * line.radiativeRate * vacancies[s] / (4.0 * tungsten::kPi);
        }
      }
    }
    parts.lines[bin] += PhotonEnergy(bin) * photons * throughWindow / kKeVPerGridIndex;
  }
  return parts;
}

}  // namespace kestrix
