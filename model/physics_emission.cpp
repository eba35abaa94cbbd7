#include "physics_emission.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <utility>

#include "bremsstrahlung_cross_section.h"
#include "characteristic_lines.h"
#include "electron_penetration.h"
#include "electron_stopping_power.h"
#include "exponential_integral.h"
#include "run_spread.h"
#include "target_constants.h"
#include "tungsten_target.h"

namespace kestrix {

namespace embedded {
extern const double kBremsstrahlungShapeTungsten[];
extern const std::size_t kBremsstrahlungShapeTungstenCount;
extern const double kBremsstrahlungShapeMolybdenum[];
extern const std::size_t kBremsstrahlungShapeMolybdenumCount;
extern const double kBremsstrahlungShapeRhodium[];
extern const std::size_t kBremsstrahlungShapeRhodiumCount;
extern const double kBremsstrahlungShapeSilver[];
extern const std::size_t kBremsstrahlungShapeSilverCount;
extern const double kBremsstrahlungShapeGold[];
extern const std::size_t kBremsstrahlungShapeGoldCount;
}  // namespace embedded

namespace {

using namespace penetration_layout;

/// points of the resampled Seltzer-Berger rows, uniform in k/T from 0 to 1; the table's own k/T
/// nodes are multiples of 1/200 up to 0.995, so linear interpolation on this grid is the table's own
constexpr int kReducedSteps = 200;
/// CSDA range table: log-spaced electron energies from the cut-off to the grid's 500 keV
constexpr int kRangeSteps = 600;
/// reduced photon energies k/T of the shape-function table; the last stands for the tip (the
/// tables' own last node lies between 0.99 and 0.9998)
constexpr std::array<double, 12> kShapeReduced{0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 0.95, 1.0};
constexpr int kShapeNodes = static_cast<int>(kShapeReduced.size());
/// points of the average over the electron's azimuth
constexpr int kAzimuthSteps = 64;
/// Gauss-Legendre points per direction cell for the cell average of the angular factor
constexpr std::array<double, 4> kGaussNodes{-0.8611363115940526, -0.3399810435848563, 0.3399810435848563,
                                            0.8611363115940526};
constexpr std::array<double, 4> kGaussWeights{0.3478548451374538, 0.6521451548625461, 0.6521451548625461,
                                              0.3478548451374538};

/// Bin-averaged self-attenuation of photons made uniformly over a depth cell [z, z + dz], per cell:
/// cell j transmits exp(-mu c j dz) (1 - exp(-mu c dz)) / (mu c dz) along the path z c out of the
/// target, c = 1 / sin(target angle). Writes kDepthBins factors.
void CellTransmissions(double mu, double cosecTheta, double cellDepth, double* factors) {
  const double x = mu * cosecTheta * cellDepth;
  const double step = std::exp(-x);
  double factor = x > 1e-12 ? (1.0 - step) / x : 1.0;
  for (int j = 0; j < kDepthBins; ++j) {
    factors[j] = factor;
    factor *= step;
  }
}


/// The shape function of Poskus with the factors that depend on A, B and C alone worked out once, for
/// the many directions of one parameter set:
///     S(mu) = scale [(A + B) / d^2 + (A - B) (mu - C)^2 / d^4],  d = 1 - C mu,
///     scale = 3 / (8 pi (2A + B)) (1 - C^2)  [1/sr]
struct ShapeTerms {
  double scale = 0, sum = 0, difference = 0, C = 0;

  ShapeTerms() = default;
  ShapeTerms(double A, double B, double c)
      : scale(3.0 / (8.0 * tungsten::kPi * (2.0 * A + B)) * (1.0 - c * c)), sum(A + B), difference(A - B), C(c) {}

  double At(double mu) const {
    const double d = 1.0 - C * mu;
    return scale * (sum / (d * d) + difference * (mu - C) * (mu - C) / (d * d * d * d));
  }
};

/// the grid bins 2..top that the target's lines fall into (each line in the bin nearest its energy),
/// each once, in the order of the shells and their lines
std::vector<int> LineBins(const TungstenShells& shells, int top) {
  std::vector<int> bins;
  for (int s = 0; s < kShellCount; ++s) {
    for (const FluorescenceLine& line : shells.Shell(static_cast<AtomicShell>(s)).lines) {
      const int bin = NearestGridIndex(line.energy);
      if (bin >= 2 && bin <= top && std::find(bins.begin(), bins.end(), bin) == bins.end()) bins.push_back(bin);
    }
  }
  return bins;
}

/// refuses a cosecant of the target angle below 1 or not finite (std::invalid_argument)
void CheckCosecant(double cosecTheta) {
  if (!(cosecTheta >= 1.0) || !std::isfinite(cosecTheta)) {
    throw std::invalid_argument("The target angle must lie above 0 and at most 90 degrees.");
  }
}

}  // namespace

/// Photons sent out of the target from depth x (in units of their attenuation length): with eta the
/// cosine to the outward normal (uniform in (0, 1]), the mean of 1 - exp(-x / eta) is 1 - E2(x), E2 the exponential integral of order 2, E2(x) = exp(-x) - x E1(x). Tabulated once on a
/// logarithmic grid of x and interpolated linearly in log x.
namespace {

constexpr double kShareLow = 1e-6, kShareHigh = 60.0;  // range of the table of 1 - E2 [1]
constexpr int kSharePoints = 1200;

/// 1 - E2(x) for x = exp(logX), from the table
double OutwardAbsorbedShareOfLog(double logX) {
  static const std::vector<double> table = [] {
    std::vector<double> values(kSharePoints + 1);
    const double step = std::log(kShareHigh / kShareLow) / kSharePoints;
    for (int p = 0; p <= kSharePoints; ++p) {
      const double x = kShareLow * std::exp(p * step);
      values[p] = 1.0 - (std::exp(-x) - x * ExponentialIntegralE1(x));
    }
    return values;
  }();
  static const double logLow = std::log(kShareLow), perLog = kSharePoints / std::log(kShareHigh / kShareLow);
  const double position = (logX - logLow) * perLog;
  if (!(position > 0)) return 0.0;
  if (!(position < kSharePoints)) return 1.0;
  const int p = static_cast<int>(position);
  return table[p] + (position - p) * (table[p + 1] - table[p]);
}

}  // namespace

double OutwardAbsorbedShare(double x) {
  if (!(x > kShareLow)) return 0.0;
  return OutwardAbsorbedShareOfLog(std::log(x));
}

/// Everything the spectra share, built once per model.
struct PhysicsEmissionModel::Tables {
  TargetMaterial target = TargetMaterial::Tungsten;
  double atomsPerVolume = 0;                        // of the target [1/cm3]
  double z2 = 0;                                    // squared atomic number of the target [1]
  const ElectronPenetration* penetration = nullptr;  // the target's electron table
  const TungstenShells* shells = nullptr;            // the target's atomic data
  std::vector<double> logNodeEnergies;              // log of the Seltzer-Berger electron energies
  std::vector<std::array<double, kReducedSteps + 1>> chiRows;  // chi [mb] per node on the k/T grid
  std::array<double, kRangeSteps + 1> logRange{};   // log CSDA range [log cm] on the log-energy grid
  double logRangeLow = 0, logRangeStep = 0;

  explicit Tables(TargetMaterial material)
      : target(material),
        atomsPerVolume(ConstantsOf(material).atomsPerVolume),
        z2(static_cast<double>(ConstantsOf(material).atomicNumber) * ConstantsOf(material).atomicNumber),
        penetration(&ElectronPenetrationOf(material)),
        shells(&AtomicShellsOf(material)) {
    // step 1 prepared: the Seltzer-Berger rows on a uniform k/T grid
    const BremsstrahlungCrossSection& sb = BremsstrahlungOf(material);
    for (const double T : sb.ElectronEnergies()) {
      logNodeEnergies.push_back(std::log(T));
      std::array<double, kReducedSteps + 1> row{};
      for (int s = 0; s <= kReducedSteps; ++s) row[s] = sb.ScaledCrossSection(T, static_cast<double>(s) / kReducedSteps);
      chiRows.push_back(row);
    }
    // step 2 prepared: CSDA ranges that scale the electron table's depths
    // (the integral of 1 / S accumulated once, by the midpoint rule on a fine log grid)
    logRangeLow = std::log(kElectronCutoffEnergy * 1.01);
    logRangeStep = (std::log(kGridLast * kKeVPerGridIndex) - logRangeLow) / kRangeSteps;
    constexpr int kSubSteps = 10;
    double range = CsdaRange(material, std::exp(logRangeLow));
    logRange[0] = std::log(range);
    for (int s = 1; s <= kRangeSteps; ++s) {
      for (int sub = 0; sub < kSubSteps; ++sub) {
        const double E = std::exp(logRangeLow + (s - 1 + (sub + 0.5) / kSubSteps) * logRangeStep);
        range += E / TotalStoppingPower(material, E) * logRangeStep / kSubSteps;
      }
      logRange[s] = std::log(range);
    }
  }

  /// CSDA range in the target [cm], log-log interpolated
  double Range(double T) const {
    const double x = std::clamp((std::log(T) - logRangeLow) / logRangeStep, 0.0, static_cast<double>(kRangeSteps));
    const int s = std::min(static_cast<int>(x), kRangeSteps - 1);
    return std::exp(logRange[s] + (x - s) * (logRange[s + 1] - logRange[s]));
  }

  /// the target's linear attenuation coefficient by grid index [1/cm]: tungsten's is the attenuation
  /// table's, another target's its own
  const double* Attenuation(const AttenuationTable& table) const {
    return target == TargetMaterial::Tungsten ? table.muW.data() : shells->Attenuation().data();
  }

  /// chi(T, k/T) row for electron energy T, linear in log T between the table's rows
  void ChiRow(double T, std::array<double, kReducedSteps + 1>& row) const {
    const double logT = std::clamp(std::log(T), logNodeEnergies.front(), logNodeEnergies.back());
    std::size_t r = std::upper_bound(logNodeEnergies.begin(), logNodeEnergies.end(), logT) - logNodeEnergies.begin();
    r = std::clamp<std::size_t>(r, 1, logNodeEnergies.size() - 1) - 1;
    const double w = (logT - logNodeEnergies[r]) / (logNodeEnergies[r + 1] - logNodeEnergies[r]);
    for (int s = 0; s <= kReducedSteps; ++s) row[s] = chiRows[r][s] + w * (chiRows[r + 1][s] - chiRows[r][s]);
  }

  /// chi(T, u) [mb] for 0 <= u <= 1, linear in log T and in u
  double Chi(double T, double u) const {
    const double logT = std::clamp(std::log(T), logNodeEnergies.front(), logNodeEnergies.back());
    std::size_t r = std::upper_bound(logNodeEnergies.begin(), logNodeEnergies.end(), logT) - logNodeEnergies.begin();
    r = std::clamp<std::size_t>(r, 1, logNodeEnergies.size() - 1) - 1;
    const double w = (logT - logNodeEnergies[r]) / (logNodeEnergies[r + 1] - logNodeEnergies[r]);
    const double x = u * kReducedSteps;
    const int s = std::clamp(static_cast<int>(x), 0, kReducedSteps - 1);
    const double low = chiRows[r][s] + (x - s) * (chiRows[r][s + 1] - chiRows[r][s]);
    const double high = chiRows[r + 1][s] + (x - s) * (chiRows[r + 1][s + 1] - chiRows[r + 1][s]);
    return low + w * (high - low);
  }
};

/// The shape function towards the central ray of one target angle, per direction cell and node.
struct PhysicsEmissionModel::AngularFactors {
  std::vector<double> logEnergies;  // log of the data's electron energies [log keV]
  std::vector<std::array<std::array<double, kDirectionBins>, kShapeNodes>> perSteradian;  // [1/sr]

  /// the factors of each direction cell and reduced-energy node at electron energy T [keV], linear in log T
  void At(double T, std::array<std::array<double, kDirectionBins>, kShapeNodes>& factors) const {
    const double logT = std::clamp(std::log(T), logEnergies.front(), logEnergies.back());
    std::size_t e = std::upper_bound(logEnergies.begin(), logEnergies.end(), logT) - logEnergies.begin();
    e = std::clamp<std::size_t>(e, 1, logEnergies.size() - 1) - 1;
    const double w = (logT - logEnergies[e]) / (logEnergies[e + 1] - logEnergies[e]);
    for (int q = 0; q < kShapeNodes; ++q) {
      for (int c = 0; c < kDirectionBins; ++c) {
        factors[q][c] = perSteradian[e][q][c] + w * (perSteradian[e + 1][q][c] - perSteradian[e][q][c]);
      }
    }
  }
};

/// The bremsstrahlung shape function towards the take-off direction, averaged over each direction cell.
///
/// Step 3, angular emission: a photon of energy k leaves an electron of energy T at angle theta to
/// its direction with the probability per unit solid angle (A. Poskus, At. Data Nucl. Data Tables
/// 129-130 (2019) 101277, a fit to partial-wave shape functions; mu = cos theta, A, B, C functions of
/// T and k/T for tungsten, data/physics/bremsstrahlung_shape_W.txt)
///     S = 3 / (8 pi (2A + B)) (1 - C^2) [(A + B) / (1 - C mu)^2 + (A - B) (mu - C)^2 / (1 - C mu)^4],
/// normalised over the sphere. The electron table holds the electrons' directions as the cosine w to
/// the inward normal, symmetric about it (electrons incident along the normal). The central ray
/// leaves the target surface at the target angle alpha, so it makes the cosine -sin(alpha) with the
/// inward normal, as in the published model this one follows (Omar, Andreo & Poludniowski 2020); an
/// electron at cosine w and azimuth phi about the normal meets it at
///     mu = -w sin(alpha) + sqrt(1 - w^2) cos(alpha) cos(phi).
/// `ShapeData` holds the shape-function parameters; `Toward` averages S over phi and over each
/// direction cell for one target angle, per node of the data (energy e, reduced photon energy q).
struct PhysicsEmissionModel::ShapeData {
  std::vector<double> logEnergies;  // log of the data's electron energies [log keV]
  std::vector<std::array<std::array<double, 3>, kShapeNodes>> parameters;  // A, B, C by energy and k/T node

  explicit ShapeData(TargetMaterial target) {
    const std::array<std::pair<const double*, std::size_t>, kTargetCount> tables{{
        {embedded::kBremsstrahlungShapeTungsten, embedded::kBremsstrahlungShapeTungstenCount},
        {embedded::kBremsstrahlungShapeMolybdenum, embedded::kBremsstrahlungShapeMolybdenumCount},
        {embedded::kBremsstrahlungShapeRhodium, embedded::kBremsstrahlungShapeRhodiumCount},
        {embedded::kBremsstrahlungShapeSilver, embedded::kBremsstrahlungShapeSilverCount},
        {embedded::kBremsstrahlungShapeGold, embedded::kBremsstrahlungShapeGoldCount},
    }};
    const double* const data = ForTarget(target, tables).first;
    const std::size_t count = ForTarget(target, tables).second;
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

  /// the number of the data's energies that the electrons of a spectrum up to `highest` [keV] use: those
  /// up to the first at or above it and one more, so that no energy of the spectrum meets the end
  std::size_t EnergiesFor(double highest) const {
    const std::size_t first =
        std::lower_bound(logEnergies.begin(), logEnergies.end(), std::log(highest)) - logEnergies.begin();
    return std::min(logEnergies.size(), first + 2);
  }

  /// the cell- and azimuth-averaged shape function towards the central ray of target angle alpha
  /// (cosecTheta = 1 / sin(alpha)) [1/sr] at the data's first `energies` energies; those of `known`
  /// (the same angle, fewer energies, or none) are taken over
  std::shared_ptr<const AngularFactors> Toward(double cosecTheta, std::size_t energies, const AngularFactors* known) const {
    auto factors = std::make_shared<AngularFactors>();
    factors->logEnergies.assign(logEnergies.begin(), logEnergies.begin() + static_cast<std::ptrdiff_t>(energies));
    if (known) factors->perSteradian = known->perSteradian;
    const double sine = 1.0 / cosecTheta, cosine = std::sqrt(std::max(0.0, 1.0 - sine * sine));
    // cos(phi) at the azimuth points, phi over (0, pi): the average over the circle by symmetry
    std::array<double, kAzimuthSteps> around{};
    for (int a = 0; a < kAzimuthSteps; ++a) around[a] = std::cos(tungsten::kPi * (a + 0.5) / kAzimuthSteps);
    for (std::size_t e = factors->perSteradian.size(); e < energies; ++e) {
      std::array<ShapeTerms, kShapeNodes> terms;
      for (int q = 0; q < kShapeNodes; ++q) terms[q] = ShapeTerms(parameters[e][q][0], parameters[e][q][1], parameters[e][q][2]);
      std::array<std::array<double, kDirectionBins>, kShapeNodes> cells{};
      for (int c = 0; c < kDirectionBins; ++c) {
        for (std::size_t g = 0; g < kGaussNodes.size(); ++g) {
          const double w = -1.0 + (2.0 * c + 1.0 + kGaussNodes[g]) / kDirectionBins;
          const double along = -w * sine, across = std::sqrt(std::max(0.0, 1.0 - w * w)) * cosine;
          for (int q = 0; q < kShapeNodes; ++q) {
            double sum = 0;
            for (const double cosPhi : around) sum += terms[q].At(along + across * cosPhi);
            cells[q][c] += 0.5 * kGaussWeights[g] * sum / kAzimuthSteps;
          }
        }
      }
      factors->perSteradian.push_back(cells);
    }
    return factors;
  }
};

double BremsstrahlungShapeFunction(double A, double B, double C, double mu) { return ShapeTerms(A, B, C).At(mu); }

PhysicsEmissionModel::PhysicsEmissionModel(bool characteristicLines)
    : PhysicsEmissionModel(TargetMaterial::Tungsten, characteristicLines) {}

PhysicsEmissionModel::PhysicsEmissionModel(TargetMaterial target, bool characteristicLines)
    : target_(target),
      characteristicLines_(characteristicLines),
      tables_(std::make_unique<const Tables>(target)),
      shapes_(std::make_unique<const ShapeData>(target)) {
  static_assert(kShapeNodes == kShapeNodeCount, "one count of k/T nodes");
}

double PhysicsEmissionModel::MinimumVoltage() const { return 20; }

double PhysicsEmissionModel::MaximumVoltage() const {
  // a run carries its spectra on the whole grid (RunOutcome::lastBin), so the table's range is the run's
  return TableMaximumVoltage();
}

double PhysicsEmissionModel::TableMaximumVoltage() const {
  if (target_ != TargetMaterial::Tungsten) return 50;
  // the highest incident energy of the joined electron table, within the 500 keV energy grid
  return std::min(tables_->penetration->NodeVoltages().back(), kGridLast * kKeVPerGridIndex);
}

PhysicsEmissionModel::~PhysicsEmissionModel() = default;

/// The line photons' escape after photoabsorption of the inward half of the bremsstrahlung, for the
/// lines of each grid bin that lines fall into: the same for every sample of a spectrum, so computed once.
struct PhysicsEmissionModel::LineEscapes {
  std::vector<int> bins;                    // grid bins of the lines, up to the highest sample's top
  std::vector<std::vector<double>> byBin;   // for each, the escape by the absorbed photon's grid index [1]

  const std::vector<double>& Of(int bin) const {
    return byBin[std::find(bins.begin(), bins.end(), bin) - bins.begin()];
  }
};

PhysicsEmissionModel::LineEscapes PhysicsEmissionModel::EscapesOf(const Tables& tables, double cosecTheta,
                                                                  const double* muTarget, int top) {
  LineEscapes escapes;
  escapes.bins = LineBins(*tables.shells, top);
  for (const int bin : escapes.bins) {
    // over the direction cosine eta of the photon going in, the mean of the line's escape along the
    // take-off path from where the photon was absorbed: (mu / (mu_L c)) ln(1 + mu_L c / mu)
    const double muLine = muTarget[bin] * cosecTheta;
    std::vector<double>& escape = escapes.byBin.emplace_back(top + 1, 1.0);
    for (int i = 2; i <= top; ++i) {
      const double mu = muTarget[i];
      if (muLine > 0 && mu > 0) escape[i] = mu / muLine * std::log1p(muLine / mu);
    }
  }
  return escapes;
}

void PhysicsEmissionModel::SampleEmissions(const std::vector<double>& sampleVoltages, double cosecTheta,
                                           const AttenuationTable& table, std::vector<GridArray>& emissions) const {
  CheckCosecant(cosecTheta);
  for (const double T0 : sampleVoltages) {
    if (!(T0 <= kGridLast * kKeVPerGridIndex)) {
      throw std::out_of_range("Sample voltage " + std::to_string(T0) + " kV lies above the 500 keV energy grid.");
    }
  }
  emissions.resize(sampleVoltages.size());
  double highest = 0;
  for (const double T0 : sampleVoltages) highest = std::max(highest, T0);
  const std::shared_ptr<const AngularFactors> angular = FactorsToward(cosecTheta, highest);
  const LineEscapes escapes =
      characteristicLines_ ? EscapesOf(*tables_, cosecTheta, tables_->Attenuation(table), TopBinFor(highest)) : LineEscapes{};
  // the samples of a waveform spread over the cores, each computed alone: the same numbers on any count
  RunSpread(sampleVoltages.size(), [&](std::size_t k) {
    SampleEmissionToward(*angular, escapes, sampleVoltages[k], cosecTheta, table, emissions[k]);
  });
}

std::shared_ptr<const PhysicsEmissionModel::AngularFactors> PhysicsEmissionModel::FactorsToward(double cosecTheta,
                                                                                           double highest) const {
  // a few milliseconds per target angle, the more the higher the voltage; runs at one angle (sweeps,
  // waveforms, a voltage changed) reuse the last one and add only the energies a higher voltage needs
  const std::size_t energies = shapes_->EnergiesFor(highest);
  const std::lock_guard<std::mutex> lock(lastAngularMutex_);
  const bool sameAngle = lastAngular_ && lastCosecTheta_ == cosecTheta;
  if (!sameAngle || lastAngular_->perSteradian.size() < energies) {
    lastAngular_ = shapes_->Toward(cosecTheta, energies, sameAngle ? lastAngular_.get() : nullptr);
    lastCosecTheta_ = cosecTheta;
  }
  return lastAngular_;
}

void PhysicsEmissionModel::SampleEmission(double T0, double cosecTheta, const AttenuationTable& table,
                                          GridArray& emission) const {
  CheckCosecant(cosecTheta);
  const LineEscapes escapes =
      characteristicLines_ ? EscapesOf(*tables_, cosecTheta, tables_->Attenuation(table), TopBinFor(T0)) : LineEscapes{};
  SampleEmissionToward(*FactorsToward(cosecTheta, T0), escapes, T0, cosecTheta, table, emission);
}

void PhysicsEmissionModel::SampleEmissionToward(const AngularFactors& angular, const LineEscapes& escapes, double T0,
                                                double cosecTheta,
                                                const AttenuationTable& table, GridArray& emission) const {
  emission.fill(0.0);
  const int top = TopBinFor(T0);
  if (top < 2 || !(T0 > kElectronCutoffEnergy)) return;
  SampleWork work;
  work.top = top;
  work.range = tables_->Range(T0);
  work.cellDepth = work.range * kMaximumScaledDepth / kDepthBins;
  CrossSections(*tables_, T0, work);
  ElectronTracks(*tables_, angular, T0, work);
  const double* mu = tables_->Attenuation(table);
  SelfAttenuatedEmission(cosecTheta, mu, work, emission);
  if (characteristicLines_) AddCharacteristicLines(*tables_, escapes, T0, cosecTheta, mu, work, emission);
}

/// A node of a waveform: a sample computed exactly, with what the samples between the nodes interpolate.
struct PhysicsEmissionModel::WaveformNode {
  double T0 = 0;  // sample voltage [kV]
  int top = 0;    // highest grid bin of the sample
  /// the electron-table nodes that samples interpolating from this node blend
  std::vector<int> tableNodes;
  /// for each of them, photon energy times the directed emission of each depth cell before
  /// self-attenuation, with that table node's tracks alone, on the grid of reduced photon energy
  /// (ReducedDepthEmission) [1/sr]
  std::vector<std::vector<double>> weighted;
  /// the line emissions from photoabsorption of the bremsstrahlung alone, at their bins (all lines less
  /// those of AddImpactLines) [keV per keV per sr per electron]
  GridArray lines{};

  const std::vector<double>& WeightedOf(int tableNode) const {
    return weighted[std::find(tableNodes.begin(), tableNodes.end(), tableNode) - tableNodes.begin()];
  }
};

namespace {

/// Ratio of the voltages of neighbouring waveform nodes at most, for a node at `fraction` of the
/// highest voltage [1]: the lower samples give less of the beam (less current, less output), so their
/// nodes lie further apart.
double NodeVoltageRatio(double fraction) {
  if (fraction > 0.75) return 1.1;
  if (fraction > 0.4) return 1.3;
  return 1.8;
}
/// voltages up to this ratio above an absorption edge of the target are nodes [1]
constexpr double kNearEdgeRatio = 1.1;
/// steps per energy cell of the nodes' grid of reduced photon energy: about one per grid bin of the
/// highest sample, 4 at least (fewer lose 1e-5 at mammography voltages), 8 at most (finer changes the
/// figures by less than 1e-6)
int NodeStepsPerCell(double highestVoltage) {
  return std::clamp(static_cast<int>(std::ceil(TopBinFor(highestVoltage) / static_cast<double>(penetration_layout::kEnergyBins))), 4, 8);
}


/// Lagrange weights at x of the nodes xs [1]
std::vector<double> LagrangeWeights(const std::vector<double>& xs, double x) {
  std::vector<double> weights(xs.size(), 1.0);
  for (std::size_t a = 0; a < xs.size(); ++a) {
    for (std::size_t b = 0; b < xs.size(); ++b) {
      if (b != a) weights[a] *= (x - xs[b]) / (xs[a] - xs[b]);
    }
  }
  return weights;
}

}  // namespace

void PhysicsEmissionModel::NodeEmission(const AngularFactors& angular, const LineEscapes& escapes, double cosecTheta,
                                        const AttenuationTable& table, int perCell, WaveformNode& node,
                                        GridArray& emission) const {
  emission.fill(0.0);
  node.lines.fill(0.0);
  const double T0 = node.T0;
  node.top = TopBinFor(T0);
  SampleWork work;
  work.top = node.top;
  work.range = tables_->Range(T0);
  work.cellDepth = work.range * kMaximumScaledDepth / kDepthBins;
  CrossSections(*tables_, T0, work);
  ElectronTracks(*tables_, angular, T0, work);
  const double* mu = tables_->Attenuation(table);
  std::vector<double> rows;
  DepthEmission(work, rows);
  AttenuateDepthEmission(cosecTheta, mu, work, rows, emission);
  if (characteristicLines_) {
    AddCharacteristicLines(*tables_, escapes, T0, cosecTheta, mu, work, node.lines);
    for (int i = 2; i <= node.top; ++i) emission[i] += node.lines[i];
    // the samples between the nodes compute the electron-impact lines themselves and interpolate the rest
    GridArray impact{};
    AddImpactLines(T0, cosecTheta, mu, impact);
    for (int i = 2; i <= node.top; ++i) node.lines[i] -= impact[i];
  }
  // the emission before self-attenuation is linear in the blended tracks: one grid per table node
  std::vector<ReducedTerm> terms;
  ReducedCrossSections(*tables_, T0, perCell, terms);
  node.weighted.resize(node.tableNodes.size());
  for (std::size_t t = 0; t < node.tableNodes.size(); ++t) {
    const int tableNode = node.tableNodes[t];
    ElectronTracks(*tables_, angular, T0, ElectronPenetration::Bracket{tableNode, tableNode, 0.0}, work);
    ReducedDepthEmission(terms, perCell, work, node.weighted[t]);
  }
}

void PhysicsEmissionModel::AddImpactLines(double T0, double cosecTheta, const double* muTarget, GridArray& lines) const {
  const TungstenShells& shells = *tables_->shells;
  if (!(T0 > shells.Shell(kShellL3).edge) || !(T0 > kElectronCutoffEnergy) || TopBinFor(T0) < 2) return;
  const int top = TopBinFor(T0);
  const double cellDepth = tables_->Range(T0) * kMaximumScaledDepth / kDepthBins;
  const double energyCell = T0 / kEnergyBins;
  const double n = tables_->atomsPerVolume;
  // the plain track by depth and energy cell, as ElectronTracks blends it [cm]
  const ElectronPenetration& penetration = *tables_->penetration;
  const ElectronPenetration::Bracket bracket = penetration.NodesAround(T0);
  const double range = tables_->Range(T0);
  std::array<std::array<double, kDepthBins>, kShellCount> impact{};
  double totalTrack = 0;
  for (int m = 0; m < kEnergyBins; ++m) {
    std::array<double, kShellCount> sigma{};
    for (int s = 0; s < kShellCount; ++s) {
      sigma[s] = ElectronImpactIonisation(tables_->target, static_cast<AtomicShell>(s), (m + 0.5) * energyCell);
    }
    for (int j = 0; j < kDepthBins; ++j) {
      double sumAll = 0;
      for (int c = 0; c < kDirectionBins; ++c) {
        sumAll += (1.0 - bracket.upperWeight) * penetration.Track(bracket.lower, j, m, c) +
                  bracket.upperWeight * penetration.Track(bracket.upper, j, m, c);
      }
      const double all = sumAll * range;
      totalTrack += all;
      for (int s = 0; s < kShellCount; ++s) impact[s][j] += n * sigma[s] * all;
    }
  }
  if (!(totalTrack > 0)) return;
  const ShellData& k = shells.Shell(kShellK);
  const std::vector<int> bins = LineBins(shells, top);
  for (const int bin : bins) {
    double factors[kDepthBins];
    CellTransmissions(muTarget[bin], cosecTheta, cellDepth, factors);
    std::array<double, kShellCount> vacancies{};
    for (int s = 0; s < kShellCount; ++s) {
      for (int j = 0; j < kDepthBins; ++j) vacancies[s] += impact[s][j] * factors[j];
    }
    vacancies[kShellL2] += shells.F12() * vacancies[kShellL1] + k.fluorescenceYield * k.lines[0].radiativeRate * vacancies[kShellK];
    vacancies[kShellL3] += shells.F13() * vacancies[kShellL1] + shells.F23() * vacancies[kShellL2] +
                           k.fluorescenceYield * k.lines[1].radiativeRate * vacancies[kShellK];
    double photons = 0;
    for (int s = 0; s < kShellCount; ++s) {
      const ShellData& shell = shells.Shell(static_cast<AtomicShell>(s));
      for (const FluorescenceLine& line : shell.lines) {
        if (NearestGridIndex(line.energy) == bin) {
          photons += shell.fluorescenceYield * line.radiativeRate * vacancies[s] / (4.0 * tungsten::kPi);
        }
      }
    }
    lines[bin] += PhotonEnergy(bin) * photons / kKeVPerGridIndex;
  }
}

void PhysicsEmissionModel::WaveformEmissions(const std::vector<double>& sampleVoltages, double cosecTheta,
                                             const AttenuationTable& table, std::vector<GridArray>& emissions) const {
  if (sampleVoltages.size() <= 1) {
    SampleEmissions(sampleVoltages, cosecTheta, table, emissions);
    return;
  }
  CheckCosecant(cosecTheta);
  for (const double T0 : sampleVoltages) {
    if (!(T0 <= kGridLast * kKeVPerGridIndex)) {
      throw std::out_of_range("Sample voltage " + std::to_string(T0) + " kV lies above the 500 keV energy grid.");
    }
  }
  emissions.assign(sampleVoltages.size(), GridArray{});
  const std::shared_ptr<const AngularFactors> angular =
      FactorsToward(cosecTheta, *std::max_element(sampleVoltages.begin(), sampleVoltages.end()));
  // the distinct voltages that emit, ascending, each with its segment: the number of the target's
  // absorption edges below it (the lines switch on at an edge, so no interpolation crosses one)
  std::vector<double> voltages;
  for (const double T0 : sampleVoltages) {
    if (TopBinFor(T0) >= 2 && T0 > kElectronCutoffEnergy) voltages.push_back(T0);
  }
  std::sort(voltages.begin(), voltages.end());
  voltages.erase(std::unique(voltages.begin(), voltages.end()), voltages.end());
  // The photoabsorption lines of a shell switch on where the photons reach its edge: no interpolation
  // crosses an edge.
  std::vector<double> thresholds;
  if (characteristicLines_) {
    for (int s = 0; s < kShellCount; ++s) {
      const double edge = tables_->shells->Shell(static_cast<AtomicShell>(s)).edge;
      thresholds.push_back(edge);
    }
  }
  std::sort(thresholds.begin(), thresholds.end());
  const auto segmentOf = [&](double T0) {
    return static_cast<int>(std::upper_bound(thresholds.begin(), thresholds.end(), T0) - thresholds.begin());
  };
  // nodes: in each segment its highest voltage, then downwards the lowest voltage within
  // kNodeVoltageRatio of the last node (the next one below when none is), ending with its lowest
  std::vector<bool> isNode(voltages.size(), false);
  for (std::size_t end = voltages.size(); end > 0;) {
    std::size_t first = end - 1;
    while (first > 0 && segmentOf(voltages[first - 1]) == segmentOf(voltages[end - 1])) --first;
    std::size_t current = end - 1;
    isNode[current] = true;
    while (current > first) {
      std::size_t next = current - 1;
      const double ratio = NodeVoltageRatio(voltages[current] / voltages.back());
      while (next > first && voltages[current] / voltages[next - 1] <= ratio) --next;
      isNode[next] = true;
      current = next;
    }
    // three nodes at least where there are three voltages, for a quadratic in log T0
    if (end - first >= 3) isNode[(first + end - 1) / 2] = true;
    end = first;
  }
  // just above an edge the photoabsorption lines grow too unevenly to interpolate: computed exactly
  for (std::size_t v = 0; v < voltages.size(); ++v) {
    const int segment = segmentOf(voltages[v]);
    if (segment > 0 && voltages[v] < thresholds[segment - 1] * kNearEdgeRatio) isNode[v] = true;
  }
  // a node costs more than a sample alone: with nodes at half the voltages or more nothing is saved
  if (2 * static_cast<std::size_t>(std::count(isNode.begin(), isNode.end(), true)) >= voltages.size()) {
    SampleEmissions(sampleVoltages, cosecTheta, table, emissions);
    return;
  }
  std::vector<WaveformNode> nodes;
  std::vector<std::size_t> nodeOf(voltages.size(), 0);  // for a node, its place in `nodes`
  for (std::size_t v = 0; v < voltages.size(); ++v) {
    if (!isNode[v]) continue;
    nodeOf[v] = nodes.size();
    nodes.emplace_back();
    nodes.back().T0 = voltages[v];
  }
  // each other voltage: the three nodes of its segment nearest in log T0 (two when the segment has
  // only two) and their weights, and the electron-table nodes it blends, which those nodes provide
  struct Stencil {
    std::vector<std::size_t> around;
    std::vector<double> weights;
    ElectronPenetration::Bracket bracket{};
  };
  std::vector<Stencil> stencils(voltages.size());
  for (std::size_t v = 0; v < voltages.size(); ++v) {
    if (isNode[v]) continue;
    Stencil& stencil = stencils[v];
    const double logT = std::log(voltages[v]);
    for (std::size_t u = 0; u < voltages.size(); ++u) {
      if (isNode[u] && segmentOf(voltages[u]) == segmentOf(voltages[v])) stencil.around.push_back(nodeOf[u]);
    }
    std::sort(stencil.around.begin(), stencil.around.end(), [&](std::size_t a, std::size_t b) {
      return std::abs(std::log(nodes[a].T0) - logT) < std::abs(std::log(nodes[b].T0) - logT);
    });
    if (stencil.around.size() > 3) stencil.around.resize(3);
    std::vector<double> logNodes;
    for (const std::size_t a : stencil.around) logNodes.push_back(std::log(nodes[a].T0));
    stencil.weights = LagrangeWeights(logNodes, logT);
    stencil.bracket = tables_->penetration->NodesAround(voltages[v]);
    for (const std::size_t a : stencil.around) {
      for (const int tableNode : {stencil.bracket.lower, stencil.bracket.upper}) {
        std::vector<int>& needed = nodes[a].tableNodes;
        if (std::find(needed.begin(), needed.end(), tableNode) == needed.end()) needed.push_back(tableNode);
      }
    }
  }
  const int perCell = NodeStepsPerCell(voltages.back());
  const LineEscapes escapes =
      characteristicLines_ ? EscapesOf(*tables_, cosecTheta, tables_->Attenuation(table), TopBinFor(voltages.back()))
                           : LineEscapes{};
  std::vector<GridArray> distinct(voltages.size());
  RunSpread(nodes.size(), [&](std::size_t n) {
    const std::size_t v = std::lower_bound(voltages.begin(), voltages.end(), nodes[n].T0) - voltages.begin();
    NodeEmission(*angular, escapes, cosecTheta, table, perCell, nodes[n], distinct[v]);
  });
  const double* mu = tables_->Attenuation(table);
  const int points = kEnergyBins * perCell;
  RunSpread(voltages.size(), [&](std::size_t v) {
    if (isNode[v]) return;
    const double T0 = voltages[v];
    const std::vector<std::size_t>& around = stencils[v].around;
    const std::vector<double>& weights = stencils[v].weights;
    const ElectronPenetration::Bracket& bracket = stencils[v].bracket;
    // the sample's own grid of reduced photon energy: the nodes' grids of its two table nodes, blended
    // as its tracks are and interpolated in log T0
    std::vector<double> own(static_cast<std::size_t>(points + 1) * kDepthBins, 0.0);
    for (std::size_t a = 0; a < around.size(); ++a) {
      const double lowerWeight = weights[a] * (1.0 - bracket.upperWeight), upperWeight = weights[a] * bracket.upperWeight;
      const std::vector<double>& lower = nodes[around[a]].WeightedOf(bracket.lower);
      const std::vector<double>& upper = nodes[around[a]].WeightedOf(bracket.upper);
      for (std::size_t e = 0; e < own.size(); ++e) own[e] += lowerWeight * lower[e] + upperWeight * upper[e];
    }
    GridArray& emission = distinct[v];
    const int top = TopBinFor(T0);
    const double cellDepth = tables_->Range(T0) * kMaximumScaledDepth / kDepthBins;
    for (int i = 2; i <= top; ++i) {
      // place on the grid of k/T0, and the three points of the same energy cell around it with their
      // quadratic interpolation weights (the emission has kinks at the cells' edges)
      const double x = PhotonEnergy(i) / T0 * points;
      const int cell = std::min(static_cast<int>(x / perCell), kEnergyBins - 1);
      const int first = std::clamp(static_cast<int>(std::lround(x)) - 1, cell * perCell, (cell + 1) * perCell - 2);
      const double t = x - first;  // 0, 1, 2 at the three points
      const double w0 = 0.5 * (t - 1.0) * (t - 2.0), w1 = t * (2.0 - t), w2 = 0.5 * t * (t - 1.0);
      const double* p0 = own.data() + static_cast<std::size_t>(first) * kDepthBins;
      const double* p1 = p0 + kDepthBins;
      const double* p2 = p1 + kDepthBins;
      std::array<double, kDepthBins> weighted{};  // photon energy times the directed emission by depth [1/sr]
      for (int j = 0; j < kDepthBins; ++j) weighted[j] = w0 * p0[j] + w1 * p1[j] + w2 * p2[j];
      double factors[kDepthBins];
      CellTransmissions(mu[i], cosecTheta, cellDepth, factors);
      double sum = 0;
      for (int j = 0; j < kDepthBins; ++j) sum += factors[j] * weighted[j];
      emission[i] = std::max(0.0, sum);  // a node's extrapolated tip never below zero
    }
    if (characteristicLines_) {
      GridArray lines{};
      AddImpactLines(T0, cosecTheta, mu, lines);
      for (int i = 2; i <= top; ++i) {
        double line = 0;
        for (std::size_t a = 0; a < around.size(); ++a) {
          const WaveformNode& node = nodes[around[a]];
          if (i <= node.top) line += weights[a] * node.lines[i];
        }
        emission[i] += lines[i] + std::max(0.0, line);
      }
    }
  });
  for (std::size_t k = 0; k < sampleVoltages.size(); ++k) {
    const auto v = std::lower_bound(voltages.begin(), voltages.end(), sampleVoltages[k]);
    if (v != voltages.end() && *v == sampleVoltages[k]) emissions[k] = distinct[v - voltages.begin()];
  }
}

/// Step 1, cross sections (bremsstrahlung_cross_section.h): n dsigma/dk = n (Z^2 / beta^2) chi(T, k/T) / k
/// for the electrons of energy cell m and the photon energy of bin i [1/(cm keV)], T the cell's middle.
/// A photon energy inside the cell takes only the part of the cell above it, at the middle of that part.
/// Each value is split between the two shape-function nodes around its k/T (step 3).
void PhysicsEmissionModel::CrossSections(const Tables& tables, double T0, SampleWork& work) {
  const int top = work.top;
  const double energyCell = T0 / kEnergyBins;
  const double n = tables.atomsPerVolume;
  const double Z2 = tables.z2;
  const std::size_t size = static_cast<std::size_t>(kEnergyBins) * (top + 1);
  work.crossSection.assign(size, 0.0);
  work.lowerNodeShare.assign(size, 0.0);
  work.upperNodeShare.assign(size, 0.0);
  work.lowerNode.assign(size, 0);
  std::array<double, kReducedSteps + 1> chi{};
  for (int m = 0; m < kEnergyBins; ++m) {
    const double low = m * energyCell, high = (m + 1) * energyCell, middle = (m + 0.5) * energyCell;
    work.lastBin[m] = std::min(top, static_cast<int>(std::ceil(high / kKeVPerGridIndex)) - 1);
    if (high <= kElectronCutoffEnergy) continue;
    const std::size_t offset = static_cast<std::size_t>(m) * (top + 1);
    double* row = work.crossSection.data() + offset;
    tables.ChiRow(middle, chi);
    const double scale = n * Z2 / tungsten::BetaSquared(middle);  // [1/(cm mb)]
    int q = 0;  // the shape-function node at or below k/T, found by stepping: k/T rises with the bin
    for (int i = 2; i <= work.lastBin[m]; ++i) {
      const double k = PhotonEnergy(i);
      double T = middle;
      if (k >= low) {  // the tip: only the electrons of this cell above k
        T = 0.5 * (k + high);
        const double share = (high - k) / energyCell;
        row[i] = n * Z2 / tungsten::BetaSquared(T) * tables.Chi(T, k / T) * tungsten::kMillibarn / k * share;
      } else {
        const double x = k / middle * kReducedSteps;
        const int s = std::min(static_cast<int>(x), kReducedSteps - 1);
        const double value = chi[s] + (x - s) * (chi[s + 1] - chi[s]);
        row[i] = scale * value * tungsten::kMillibarn / k;
      }
      const double u = std::min(k / T, 1.0);
      while (q < kShapeNodes - 2 && kShapeReduced[q + 1] <= u) ++q;
      while (q > 0 && kShapeReduced[q] > u) --q;
      const double w = (u - kShapeReduced[q]) / (kShapeReduced[q + 1] - kShapeReduced[q]);
      work.lowerNode[offset + i] = q;
      work.lowerNodeShare[offset + i] = row[i] * (1.0 - w);
      work.upperNodeShare[offset + i] = row[i] * w;
    }
  }
}

struct PhysicsEmissionModel::ReducedTerm {
  int m = 0, p = 0, q = 0;
  double lower = 0, upper = 0;  // n k dsigma/dk times the weights of nodes q and q + 1 [1/cm]
};

/// Step 1 on a grid of reduced photon energy that splits every energy cell into perCell steps, so that
/// grid points fall on the cells' edges, where the emission has its kinks; the cross sections as in
/// CrossSections, at the photon energies k = (p / (kEnergyBins perCell)) T0.
void PhysicsEmissionModel::ReducedCrossSections(const Tables& tables, double T0, int perCell,
                                                std::vector<ReducedTerm>& terms) {
  const int points = kEnergyBins * perCell;
  const double energyCell = T0 / kEnergyBins;
  const double n = tables.atomsPerVolume;
  const double Z2 = tables.z2;
  terms.clear();
  std::array<double, kReducedSteps + 1> chi{};
  for (int m = 0; m < kEnergyBins; ++m) {
    const double low = m * energyCell, high = (m + 1) * energyCell, middle = (m + 0.5) * energyCell;
    if (high <= kElectronCutoffEnergy) continue;
    tables.ChiRow(middle, chi);
    // up to the cell's top edge, where its electrons can no longer make the photon
    for (int p = 1; p < (m + 1) * perCell; ++p) {
      const double k = T0 * p / points;
      double T = middle, value = 0;
      if (k >= low) {
        T = 0.5 * (k + high);
        const double share = (high - k) / energyCell;
        value = n * Z2 / tungsten::BetaSquared(T) * tables.Chi(T, k / T) * tungsten::kMillibarn * share;
      } else {
        const double x = k / middle * kReducedSteps;
        const int s = std::min(static_cast<int>(x), kReducedSteps - 1);
        value = n * Z2 / tungsten::BetaSquared(middle) * (chi[s] + (x - s) * (chi[s + 1] - chi[s])) * tungsten::kMillibarn;
      }
      const double u = std::min(k / T, 1.0);
      int q = static_cast<int>(std::upper_bound(kShapeReduced.begin(), kShapeReduced.end(), u) - kShapeReduced.begin()) - 1;
      q = std::clamp(q, 0, kShapeNodes - 2);
      const double w = (u - kShapeReduced[q]) / (kShapeReduced[q + 1] - kShapeReduced[q]);
      terms.push_back({m, p, q, value * (1.0 - w), value * w});
    }
  }
}

/// Step 3 before self-attenuation on the grid of ReducedCrossSections.
void PhysicsEmissionModel::ReducedDepthEmission(const std::vector<ReducedTerm>& terms, int perCell,
                                                const SampleWork& work, std::vector<double>& weighted) {
  const int points = kEnergyBins * perCell;
  weighted.assign(static_cast<std::size_t>(points + 1) * kDepthBins, 0.0);
  std::array<std::array<double, kDepthBins>, kShapeNodes> toward{};
  int cell = -1;
  for (const ReducedTerm& term : terms) {
    if (term.m != cell) {
      cell = term.m;
      for (int q = 0; q < kShapeNodes; ++q) {
        for (int j = 0; j < kDepthBins; ++j) toward[q][j] = work.toward[j][cell][q];
      }
    }
    double* row = weighted.data() + static_cast<std::size_t>(term.p) * kDepthBins;
    const double* lower = toward[term.q].data();
    const double* upper = toward[term.q + 1].data();
    for (int j = 0; j < kDepthBins; ++j) row[j] += term.lower * lower[j] + term.upper * upper[j];
  }
  // k/T0 = 0: continued linearly from the first two points
  for (int j = 0; j < kDepthBins; ++j) weighted[j] = 2.0 * weighted[kDepthBins + j] - weighted[2 * kDepthBins + j];
}

/// Step 2, electrons in the target (electron_penetration.h): track length per incident electron in
/// each cell of depth and energy, the Monte Carlo's table blended between its incident energies in
/// scaled variables and scaled back with the CSDA range R(T0). `toward` weighs each direction cell
/// with the shape function of step 3, per reduced-energy node [cm/sr]; `all` is the plain track [cm].
void PhysicsEmissionModel::ElectronTracks(const Tables& tables, const AngularFactors& angular, double T0,
                                          SampleWork& work) {
  ElectronTracks(tables, angular, T0, tables.penetration->NodesAround(T0), work);
}

void PhysicsEmissionModel::ElectronTracks(const Tables& tables, const AngularFactors& angular, double T0,
                                          const ElectronPenetration::Bracket& bracket, SampleWork& work) {
  const ElectronPenetration& penetration = *tables.penetration;
  const double energyCell = T0 / kEnergyBins;
  std::array<std::array<double, kDirectionBins>, kShapeNodes> shape{};
  std::array<std::array<double, kShapeNodes>, kDirectionBins> byDirection{};  // the same, direction first
  for (int m = 0; m < kEnergyBins; ++m) {
    angular.At((m + 0.5) * energyCell, shape);
    for (int q = 0; q < kShapeNodes; ++q) {
      for (int c = 0; c < kDirectionBins; ++c) byDirection[c][q] = shape[q][c];
    }
    for (int j = 0; j < kDepthBins; ++j) {
      std::array<double, kDirectionBins> track{};
      double sumAll = 0;
      for (int c = 0; c < kDirectionBins; ++c) {
        track[c] = (1.0 - bracket.upperWeight) * penetration.Track(bracket.lower, j, m, c) +
                   bracket.upperWeight * penetration.Track(bracket.upper, j, m, c);
        sumAll += track[c];
      }
      work.all[j][m] = sumAll * work.range;
      // each node's sum over the directions in their order, all nodes at once
      std::array<double, kShapeNodes> sumToward{};
      for (int c = 0; c < kDirectionBins; ++c) {
        for (int q = 0; q < kShapeNodes; ++q) sumToward[q] += track[c] * byDirection[c][q];
      }
      for (int q = 0; q < kShapeNodes; ++q) work.toward[j][m][q] = sumToward[q] * work.range;
    }
  }
}

/// Step 3, emission and self-attenuation: photons per keV per sr into the take-off direction from each
/// depth cell, sum over energy cells of track x shape function x n dsigma/dk, attenuated along the
/// path z / sin(alpha) out of the target (CellTransmissions), times the photon energy:
///     E(k) = k sum_j A_j(k) sum_m toward_jm(k / T_m) n dsigma/dk(T_m, k).
void PhysicsEmissionModel::SelfAttenuatedEmission(double cosecTheta, const double* mu, const SampleWork& work,
                                                  GridArray& emission) {
  std::vector<double> rows;
  DepthEmission(work, rows);
  AttenuateDepthEmission(cosecTheta, mu, work, rows, emission);
}

void PhysicsEmissionModel::DepthEmission(const SampleWork& work, std::vector<double>& rows) {
  const int top = work.top;
  const std::size_t width = static_cast<std::size_t>(top + 1);
  rows.assign(static_cast<std::size_t>(kDepthBins) * width, 0.0);
  // the bins of each energy cell in runs that share their lower shape-function node, so that the
  // inner loop reads two constants instead of looking up each bin's node
  struct NodeRun {
    int first, last, node;
  };
  std::array<std::vector<NodeRun>, kEnergyBins> runs;
  for (int m = 0; m < kEnergyBins; ++m) {
    const int* node = work.lowerNode.data() + static_cast<std::size_t>(m) * width;
    for (int i = 2; i <= work.lastBin[m]; ++i) {
      if (runs[m].empty() || runs[m].back().node != node[i]) {
        runs[m].push_back({i, i, node[i]});
      } else {
        runs[m].back().last = i;
      }
    }
  }
  for (int j = 0; j < kDepthBins; ++j) {
    double* atDepth = rows.data() + j * width;
    for (int m = 0; m < kEnergyBins; ++m) {
      const std::array<double, kShapeNodes>& toward = work.toward[j][m];
      if (toward[0] == 0.0) continue;
      const std::size_t offset = static_cast<std::size_t>(m) * width;
      const double* lowerShare = work.lowerNodeShare.data() + offset;
      const double* upperShare = work.upperNodeShare.data() + offset;
      for (const NodeRun& run : runs[m]) {
        const double lower = toward[run.node], upper = toward[run.node + 1];
        for (int i = run.first; i <= run.last; ++i) atDepth[i] += lowerShare[i] * lower + upperShare[i] * upper;
      }
    }
  }
}

void PhysicsEmissionModel::AttenuateDepthEmission(double cosecTheta, const double* mu, const SampleWork& work,
                                                  const std::vector<double>& rows, GridArray& emission) {
  const int top = work.top;
  const std::size_t width = static_cast<std::size_t>(top + 1);
  std::vector<double> transmission(static_cast<std::size_t>(kDepthBins) * width);
  for (int i = 2; i <= top; ++i) {
    double factors[kDepthBins];
    CellTransmissions(mu[i], cosecTheta, work.cellDepth, factors);
    for (int j = 0; j < kDepthBins; ++j) transmission[j * width + i] = factors[j];
  }
  for (int j = 0; j < kDepthBins; ++j) {
    const double* through = transmission.data() + j * width;
    const double* atDepth = rows.data() + j * width;
    for (int i = 2; i <= top; ++i) emission[i] += through[i] * atDepth[i];
  }
  for (int i = 2; i <= top; ++i) emission[i] *= PhotonEnergy(i);
}

/// Step 4, characteristic lines. Vacancies in the K, L1, L2 and L3 shells come from
///  - electron impact, n sigma_s(T) times the track in each depth cell (characteristic_lines.h);
///  - photoabsorption of the bremsstrahlung in the target: of the photons of all directions, the half
///    that goes into the target is absorbed at depth t with (mu / eta) exp(-mu t / eta) (eta the
///    direction cosine, uniform in (0, 1]), a share tau_s / mu of them in shell s, and a line photon
///    made there escapes along the take-off path with exp(-mu_L c t): over eta the mean is
///    (mu / (mu_L c)) ln(1 + mu_L c / mu), times the escape from the depth of the electrons; of the
///    half that goes out, the photons made at depth z interact on their way out with the share
///    1 - E2(mu z) (OutwardAbsorbedShare: the path z / eta, eta uniform, averaged over the outward
///    hemisphere); at grazing eta every photon is absorbed however shallow it was made, so this half
///    adds the more vacancies the deeper the electrons run. Those vacancies lie between
///    the surface and z; their lines are taken to escape from z / 2;
///  - cascades: Coster-Kronig transitions (L1 -> L2, L3; L2 -> L3) and the K lines KL2, KL3, which
///    leave an L2 or L3 vacancy behind.
/// A shell's vacancies give its lines with the fluorescence yield times the radiative rate, emitted
/// isotropically (1 / (4 pi) per sr), and each line goes into the grid bin nearest to its energy as
/// the formula models place theirs. Every term is weighted with the line's own escape factor, so the
/// vacancies are summed per line.
void PhysicsEmissionModel::AddCharacteristicLines(const Tables& tables, const LineEscapes& escapes, double T0,
                                                  double cosecTheta, const double* muTarget, const SampleWork& work,
                                                  GridArray& emission) {
  const TungstenShells& shells = *tables.shells;
  if (!(T0 > shells.Shell(kShellL3).edge)) return;
  const int top = work.top;
  const double cellDepth = work.cellDepth;
  const DepthEnergyTable& all = work.all;
  const std::vector<double>& crossSection = work.crossSection;
  const std::array<int, kEnergyBins>& lastBin = work.lastBin;
  const double n = tables.atomsPerVolume;
  const double energyCell = T0 / kEnergyBins;
  // electron-impact vacancies per electron in each depth cell, per shell [1]
  std::array<std::array<double, kDepthBins>, kShellCount> impact{};
  std::array<double, kDepthBins> trackAtDepth{};
  std::array<double, kEnergyBins> trackOfEnergy{};
  for (int m = 0; m < kEnergyBins; ++m) {
    std::array<double, kShellCount> sigma{};
    for (int s = 0; s < kShellCount; ++s) {
      sigma[s] = ElectronImpactIonisation(tables.target, static_cast<AtomicShell>(s), (m + 0.5) * energyCell);
    }
    for (int j = 0; j < kDepthBins; ++j) {
      for (int s = 0; s < kShellCount; ++s) impact[s][j] += n * sigma[s] * all[j][m];
      trackAtDepth[j] += all[j][m];
      trackOfEnergy[m] += all[j][m];
    }
  }
  double totalTrack = 0;
  for (const double t : trackAtDepth) totalTrack += t;
  if (!(totalTrack > 0)) return;
  // bremsstrahlung photons of all directions per keV per electron [1/keV]
  std::vector<double> photons(top + 1, 0.0);
  for (int m = 0; m < kEnergyBins; ++m) {
    const double* row = crossSection.data() + static_cast<std::size_t>(m) * (top + 1);
    for (int i = 2; i <= lastBin[m]; ++i) photons[i] += trackOfEnergy[m] * row[i];
  }
  constexpr double kInward = 0.5;
  // each bin's photoabsorption shares by shell and their sum, looked up once for all lines
  std::vector<std::array<double, kShellCount>> shares(top + 1);
  std::vector<double> shareTotal(top + 1, 0.0);
  for (int i = 2; i <= top; ++i) {
    for (int s = 0; s < kShellCount; ++s) {
      shares[i][s] = shells.PhotoabsorptionShare(static_cast<AtomicShell>(s), i);
      shareTotal[i] += shares[i][s];
    }
  }
  // photoabsorption vacancies per shell from the outward half of the photons of each depth cell
  std::array<std::array<double, kDepthBins>, kShellCount> outwardAbsorbed{};
  {
    // photons per keV per electron made in each depth cell, only above the lowest edge (L3)
    const int firstBin = std::max(2, static_cast<int>(std::floor(shells.Shell(kShellL3).edge / kKeVPerGridIndex)));
    const std::size_t width = static_cast<std::size_t>(top + 1);
    std::vector<double> atDepth(static_cast<std::size_t>(kDepthBins) * width, 0.0);
    for (int j = 0; j < kDepthBins; ++j) {
      double* made = atDepth.data() + j * width;
      for (int m = 0; m < kEnergyBins; ++m) {
        const double track = all[j][m];
        if (track == 0.0) continue;
        const double* row = crossSection.data() + static_cast<std::size_t>(m) * width;
        for (int i = firstBin; i <= lastBin[m]; ++i) made[i] += track * row[i];
      }
    }
    // depth (j + 1/2) cellDepth: log x = log(mu cellDepth) + log(j + 1/2)
    std::array<double, kDepthBins> logDepth{};
    for (int j = 0; j < kDepthBins; ++j) logDepth[j] = std::log(j + 0.5);
    for (int i = firstBin; i <= top; ++i) {
      const std::array<double, kShellCount>& share = shares[i];
      if (!(shareTotal[i] > 0) || !(muTarget[i] > 0)) continue;
      const double logBase = std::log(muTarget[i] * cellDepth);
      for (int j = 0; j < kDepthBins; ++j) {
        const double made = atDepth[j * width + i];
        if (made <= 0) continue;
        const double absorbed = made * kKeVPerGridIndex * (1.0 - kInward) * OutwardAbsorbedShareOfLog(logBase + logDepth[j]);
        for (int s = 0; s < kShellCount; ++s) outwardAbsorbed[s][j] += absorbed * share[s];
      }
    }
  }
  // escape-weighted vacancies per shell for the lines of one grid bin
  const auto vacanciesSeenFrom = [&](int bin) {
    double factors[kDepthBins];
    CellTransmissions(muTarget[bin], cosecTheta, cellDepth, factors);
    double meanEscape = 0;
    for (int j = 0; j < kDepthBins; ++j) meanEscape += trackAtDepth[j] * factors[j];
    meanEscape /= totalTrack;
    const double muLine = muTarget[bin] * cosecTheta;
    const std::vector<double>& escapeInward = escapes.Of(bin);
    std::array<double, kShellCount> primary{};
    for (int s = 0; s < kShellCount; ++s) {
      for (int j = 0; j < kDepthBins; ++j) primary[s] += impact[s][j] * factors[j];
    }
    for (int j = 0; j < kDepthBins; ++j) {
      const double escape = std::exp(-0.5 * muLine * (j + 0.5) * cellDepth);
      for (int s = 0; s < kShellCount; ++s) primary[s] += outwardAbsorbed[s][j] * escape;
    }
    for (int i = 2; i <= top; ++i) {
      // no shell to ionise below the lowest edge: nothing to add
      if (photons[i] <= 0 || !(shareTotal[i] > 0)) continue;
      const double absorbed = photons[i] * kKeVPerGridIndex * kInward * escapeInward[i] * meanEscape;
      for (int s = 0; s < kShellCount; ++s) primary[s] += absorbed * shares[i][s];
    }
    // cascades: K -> L2, L3 through KL2 and KL3; Coster-Kronig L1 -> L2 -> L3
    const ShellData& k = shells.Shell(kShellK);
    std::array<double, kShellCount> vacancies = primary;
    vacancies[kShellL2] += shells.F12() * vacancies[kShellL1] + k.fluorescenceYield * k.lines[0].radiativeRate * vacancies[kShellK];
    vacancies[kShellL3] += shells.F13() * vacancies[kShellL1] + shells.F23() * vacancies[kShellL2] +
                           k.fluorescenceYield * k.lines[1].radiativeRate * vacancies[kShellK];
    return vacancies;
  };
  std::array<double, kGridSize> linePhotons{};  // photons per sr per electron by bin
  const std::vector<int> bins = LineBins(shells, top);
  for (const int bin : bins) {
    const std::array<double, kShellCount> vacancies = vacanciesSeenFrom(bin);
    for (int s = 0; s < kShellCount; ++s) {
      const ShellData& shell = shells.Shell(static_cast<AtomicShell>(s));
      for (const FluorescenceLine& line : shell.lines) {
        if (NearestGridIndex(line.energy) != bin) continue;
        linePhotons[bin] += shell.fluorescenceYield * line.radiativeRate * vacancies[s] / (4.0 * tungsten::kPi);
      }
    }
  }
  for (const int bin : bins) emission[bin] += PhotonEnergy(bin) * linePhotons[bin] / kKeVPerGridIndex;
}

}  // namespace kestrix
