// Monte Carlo transport of electrons in a thick tungsten target: writes a track-length table in the
// layout of the physics emission model's data/physics/electron_penetration_W.txt. The delivered table
// is converted from PENELOPE simulations instead (convert_spekpy_electrons.py); docs/physics.md
// compares the two.
//
// Electrons of kinetic energy T0 enter the target along its normal. They are followed collision by
// collision (single-scattering, "detailed" simulation) with
//  - elastic scattering on the screened nucleus: the screened Rutherford (Wentzel) cross section with
//    Z(Z + 1) for the atomic electrons and the Thomas-Fermi screening parameter as Moliere wrote it,
//        dsigma/dOmega = (Z(Z + 1) e^4 / (p v)^2) / (1 - cos theta + 2 A)^2,
//        A = (1/4) (hbar / (p a_TF))^2 * 1.13,  a_TF = 0.88534 a0 Z^(-1/3)
//    (G. Moliere, Z. Naturforsch. 2a (1947) 133). Moliere's Coulomb correction of A, the factor
//    (1.13 + 3.76 (alpha Z / beta)^2) / 1.13, belongs to the width of the small-angle multiple-scattering
//    distribution; applied to single large-angle scattering in tungsten it lowers the backscattered
//    fraction to 0.45, against the measured 0.50 (T. Tabata, R. Ito and S. Okabe, Nucl. Instrum.
//    Methods 94 (1971) 509). Without it this program gives 0.47-0.53 for 10-300 keV;
//  - continuous slowing down with the ICRU 37 collision stopping power and the Seltzer-Berger
//    radiative stopping power between elastic collisions (electron_stopping_power.h);
// until they leave through the surface (backscatter) or slow below 1 keV.
//
// Two options add physics that the plain simulation does without (docs/physics.md, "Examined and not
// adopted", measures what each does to the spectra); the table's comment names what was used:
//  --straggling  inelastic collisions transferring more than 1 keV are sampled one by one from
//                Moller's cross section, with the restricted stopping power between them, and the
//                struck electrons are followed like the incident ones (electron_collisions.h);
//  --mott        the elastic cross section is the screened Rutherford one times Mott's ratio for the
//                bare nucleus (Boschini et al. 2013), sampled by rejection against its largest value
//                (the rejected collisions leave the electron as it was).
//
// Tally: track length per incident electron in cells of scaled depth z / R(T0) (R the CSDA range),
// reduced energy T / T0 and direction cosine w to the inward normal, divided by R(T0). The random
// numbers come from std::mt19937_64 with a fixed seed, so the file is reproducible byte for byte.
//
//  --coulomb-screening  the screening parameter of the elastic cross section carries Moliere's
//                correction beyond the Born approximation (see the elastic part above);
//  --partial-waves  the elastic cross section is the exact one of the screened atom's static field,
//                from Dirac partial waves (electron_collisions.h, PartialWaveCrossSection), tabulated
//                from 1 keV in steps of 25 % and sampled from the tables; it replaces the screened
//                Rutherford cross section and so --mott and --coulomb-screening;
//  --radiative-events  bremsstrahlung photons above 1 keV are emitted one by one, drawn from the
//                Seltzer-Berger cross section, the softer ones stay in the continuous loss;
//  --shell-binding  (with --straggling) the inelastic collisions are those of the bound shells of the
//                atom (electron_shells.h): every shell takes at least its resonance energy, above its
//                binding energy, in distant and close collisions; the transfers above 1 keV are followed
//                one by one, the struck electrons leave with the transfer minus the binding energy, and
//                the soft loss is the rest of the ICRU 37 collision stopping power;
//  --soft-straggling  (with --shell-binding) the soft loss along each path between collisions is drawn
//                with its mean and the variance of the shells' soft collisions instead of being spent
//                evenly (electron_shells.h, SampleSoftLoss);
//  --nodes T1,T2,...  the incident energies [keV] (rising, 2 to 700 keV) instead of the model's nodes,
//                e.g. for the table above 300 keV;
//  --seed N      another seed of the random numbers (default 20260105).
// The table's comment names the command line and the seed that made it.
//
//     electron_transport OUTPUT [ELECTRONS_PER_ENERGY] [--straggling [--shell-binding [--soft-straggling]]] [--mott]
//                        [--coulomb-screening | --partial-waves] [--radiative-events] [--nodes T1,T2,...]
//                        [--seed N]

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bremsstrahlung_cross_section.h"
#include "electron_collisions.h"
#include "electron_penetration.h"
#include "electron_shells.h"
#include "electron_stopping_power.h"
#include "tungsten_target.h"

namespace {

using namespace kestrix;
using electron_collisions::Uniform;

/// the physics of one run of the Monte Carlo
struct Physics {
  bool straggling = false;  // hard collisions one by one, struck electrons followed
  bool mott = false;        // Mott's ratio on the elastic cross section
  bool coulombScreening = false;  // Moliere's Coulomb correction of the screening parameter
  bool partialWaves = false;      // elastic scattering from the Dirac partial waves of the screened atom
  bool radiativeEvents = false;   // photons above 1 keV emitted one by one
  bool shellBinding = false;      // hard collisions with the bound shells (with straggling)
  bool softStraggling = false;    // the soft loss drawn with its variance (with shell binding)
};

/// fine table of the per-energy transport quantities, linear in log T
class TransportTables {
 public:
  TransportTables(const Physics& physics, double highestEnergy) {
    using namespace electron_collisions;
    if (physics.partialWaves) partialWaves_ = std::make_unique<PartialWaveTable>(highestEnergy);
    if (physics.shellBinding) shells_ = std::make_unique<electron_shells::ShellCollisions>(highestEnergy);
    for (int s = 0; s < kSteps; ++s) {
      const double T = std::exp(kLogLow + s * Step());
      const double radiative = physics.radiativeEvents ? SoftRadiativeStoppingPower(T)
                                                       : TungstenBremsstrahlung().RadiativeStoppingPower(T);
      const double collision = shells_ ? shells_->SoftStoppingPower(T)
                               : physics.straggling ? RestrictedStoppingPower(T)
                                                    : CollisionStoppingPower(T);
      stopping_[s] = physics.straggling || physics.radiativeEvents ? collision + radiative : TotalStoppingPower(T);
      hardPhotons_[s] = physics.radiativeEvents ? HardPhotonCoefficient(T) : 0.0;
      Elastic(T, physics.coulombScreening, meanFreePath_[s], screening_[s]);
      if (partialWaves_) meanFreePath_[s] = 1.0 / (tungsten::kAtomsPerVolume * partialWaves_->TotalCrossSection(T));
      softStraggling_[s] = physics.softStraggling ? shells_->SoftStragglingPower(T) : 0.0;
      hardCollisions_[s] = shells_ ? shells_->HardCoefficient(T) : physics.straggling ? HardCollisionCoefficient(T) : 0.0;
      largestMott_[s] = physics.mott ? LargestMottRatio(T) : 1.0;
    }
  }
  /// continuous energy loss per path [keV/cm]
  double Stopping(double T) const { return Interpolate(stopping_, T); }
  /// variance of the soft collision loss per path [keV2/cm] (0 without soft straggling)
  double SoftStraggling(double T) const { return Interpolate(softStraggling_, T); }
  /// mean free path between screened-Rutherford elastic collisions [cm]
  double MeanFreePath(double T) const { return Interpolate(meanFreePath_, T); }
  /// screening parameter A of the screened Rutherford cross section [1]
  double Screening(double T) const { return Interpolate(screening_, T); }
  /// the partial-wave cross sections, or null when the screened Rutherford one is used
  const electron_collisions::PartialWaveTable* PartialWaves() const { return partialWaves_.get(); }
  /// the bound shells' hard collisions, or null when they are Moller's on free electrons
  const electron_shells::ShellCollisions* Shells() const { return shells_.get(); }
  /// photon emissions above kHardPhoton per path [1/cm] (0 without radiative events)
  double HardPhotons(double T) const { return Interpolate(hardPhotons_, T); }
  /// hard inelastic collisions per path [1/cm] (0 without straggling)
  double HardCollisions(double T) const { return Interpolate(hardCollisions_, T); }
  /// bound of the Mott ratio used for rejection [1] (1 without Mott's correction)
  double LargestMott(double T) const { return Interpolate(largestMott_, T); }

 private:
  // 0.82 keV to 735 keV; the step is the one of the first 4000 steps up to 403 keV, so that the
  // tables below 403 keV are the same as when the grid ended there
  static constexpr int kSteps = 4387;
  static constexpr double kLogLow = -0.2;
  static double Step() { return (6.0 - kLogLow) / 3999; }

  static void Elastic(double T, bool coulombScreening, double& meanFreePath, double& screening) {
    using namespace tungsten;
    constexpr double kBohrRadius = 5.29177210903e-9;    // [cm]
    constexpr double kHbarC = 1.973269804e-8;           // [keV cm]
    constexpr double kMoliereScreening = 1.13;          // [1]
    constexpr double kElectronChargeSquared = kElectronRadius * kElectronRestEnergy;  // e^2 [keV cm]
    const double Z = kAtomicNumber;
    const double pc = std::sqrt(T * (T + 2.0 * kElectronRestEnergy));
    const double pv = pc * std::sqrt(BetaSquared(T));
    const double thomasFermi = 0.88534 * kBohrRadius / std::cbrt(Z);
    const double ratio = kHbarC / (pc * thomasFermi);
    screening = 0.25 * ratio * ratio * kMoliereScreening;
    if (coulombScreening) {
      // Moliere's screening angle beyond the Born approximation (his WKB treatment of the screened
      // single scattering): A (1.13 + 3.76 (alpha Z / beta)^2) / 1.13
      constexpr double kFineStructure = 7.2973525693e-3;
      const double alphaZ = kFineStructure * Z;
      screening *= (kMoliereScreening + 3.76 * alphaZ * alphaZ / BetaSquared(T)) / kMoliereScreening;
    }
    const double sigma = kPi * Z * (Z + 1.0) * (kElectronChargeSquared / pv) * (kElectronChargeSquared / pv) /
                         (screening * (1.0 + screening));
    meanFreePath = 1.0 / (kAtomsPerVolume * sigma);
  }

  double Interpolate(const std::array<double, kSteps>& table, double T) const {
    const double x = (std::log(T) - kLogLow) / Step();
    int s = static_cast<int>(x);
    if (s < 0) s = 0;
    if (s > kSteps - 2) s = kSteps - 2;
    const double w = x - s;
    return table[s] + w * (table[s + 1] - table[s]);
  }

  std::unique_ptr<electron_collisions::PartialWaveTable> partialWaves_;
  std::unique_ptr<electron_shells::ShellCollisions> shells_;
  std::array<double, kSteps> stopping_{};
  std::array<double, kSteps> softStraggling_{};
  std::array<double, kSteps> meanFreePath_{};
  std::array<double, kSteps> screening_{};
  std::array<double, kSteps> hardCollisions_{};
  std::array<double, kSteps> hardPhotons_{};
  std::array<double, kSteps> largestMott_{};
};

/// the seed of the random numbers unless --seed gives another
constexpr unsigned long long kDefaultSeed = 20260105;
/// the incident energies the energy tables allow [keV]
constexpr double kLowestNode = 2.0;
constexpr double kHighestNode = 700.0;

struct NodeResult {
  std::vector<double> track;  // the tally [1]
  double backscatterNumber = 0;
  double backscatterEnergy = 0;
};

/// turns the direction (u, v, w) by the polar angle of cosine cosTheta and the azimuth phi
void Deflect(double cosTheta, double phi, double& u, double& v, double& w) {
  const double sinTheta = std::sqrt(std::max(0.0, 1.0 - cosTheta * cosTheta));
  const double cosPhi = std::cos(phi), sinPhi = std::sin(phi);
  if (std::fabs(w) > 0.99999) {
    u = sinTheta * cosPhi;
    v = sinTheta * sinPhi;
    w = (w > 0 ? 1.0 : -1.0) * cosTheta;
    return;
  }
  const double sq = std::sqrt(1.0 - w * w);
  const double un = u * cosTheta + sinTheta * (u * w * cosPhi - v * sinPhi) / sq;
  const double vn = v * cosTheta + sinTheta * (v * w * cosPhi + u * sinPhi) / sq;
  w = w * cosTheta - sq * sinTheta * cosPhi;
  u = un;
  v = vn;
}

/// an electron waiting to be followed: energy [keV], depth [cm], direction cosines, whether incident
struct Electron {
  double T, z, u, v, w;
  bool incident;
};

NodeResult Transport(double T0, long electrons, const Physics& physics, const TransportTables& tables,
                     std::mt19937_64& rng) {
  using namespace penetration_layout;
  using namespace electron_collisions;
  NodeResult result;
  result.track.assign(kDepthBins * kEnergyBins * kDirectionBins, 0.0);
  const double range = CsdaRange(T0);
  const double depthBinWidth = kMaximumScaledDepth / kDepthBins * range;
  const auto score = [&](double zMid, double TMid, double w, double length) {
    int j = static_cast<int>(zMid / depthBinWidth);
    if (j > kDepthBins - 1) j = kDepthBins - 1;
    if (j < 0) j = 0;
    int m = static_cast<int>(TMid / T0 * kEnergyBins);
    if (m > kEnergyBins - 1) m = kEnergyBins - 1;
    if (m < 0) m = 0;
    int c = static_cast<int>((w + 1.0) * 0.5 * kDirectionBins);
    if (c > kDirectionBins - 1) c = kDirectionBins - 1;
    if (c < 0) c = 0;
    result.track[(j * kEnergyBins + m) * kDirectionBins + c] += length / range;
  };
  std::vector<Electron> waiting;
  for (long e = 0; e < electrons; ++e) {
    waiting.push_back({T0, 0, 0, 0, 1, true});
    while (!waiting.empty()) {
      const Electron start = waiting.back();
      waiting.pop_back();
      double T = start.T, z = start.z, u = start.u, v = start.v, w = start.w;
      for (;;) {
        // path to the next collision: elastic (with the Mott bound) or hard inelastic; without the
        // options it is written as it always was, so that the plain table is reproduced bit for bit
        const double elastic = tables.LargestMott(T) / tables.MeanFreePath(T);
        const double hard = tables.HardCollisions(T);
        const double photons = tables.HardPhotons(T);
        double s = physics.straggling || physics.mott || physics.partialWaves || physics.radiativeEvents
                       ? -std::log(Uniform(rng)) / (elastic + hard + photons)
                                                      : -tables.MeanFreePath(T) * std::log(Uniform(rng));
        const double middle = std::max(T - 0.5 * tables.Stopping(T) * s, kElectronCutoffEnergy);
        double loss = tables.Stopping(middle) * s;
        if (physics.softStraggling) loss = electron_shells::SampleSoftLoss(loss, tables.SoftStraggling(middle) * s, rng);
        bool stops = false;
        if (!(T - loss > kElectronCutoffEnergy)) {
          const double rest = T - kElectronCutoffEnergy;
          s = rest / tables.Stopping(0.5 * (T + kElectronCutoffEnergy));
          loss = rest;
          stops = true;
        }
        const double zEnd = z + w * s;
        if (zEnd < 0) {  // leaves through the surface
          const double inside = -z / w;
          const double lossInside = loss * inside / s;
          score(0.5 * z, T - 0.5 * lossInside, w, inside);
          if (start.incident) {
            result.backscatterNumber += 1.0;
            result.backscatterEnergy += (T - lossInside) / T0;
          }
          break;
        }
        score(z + 0.5 * w * s, T - 0.5 * loss, w, s);
        z = zEnd;
        T -= loss;
        if (stops) break;
        // which collision: drawn only when there is a choice, so that the runs without these options
        // use the random numbers as they always did
        const bool choice = physics.radiativeEvents || (physics.straggling && T > 2.0 * kHardTransfer) ||
                            (tables.Shells() && hard > 0);
        const double pick = choice ? Uniform(rng) * (elastic + hard + photons) : 0.0;
        if (physics.radiativeEvents && T > kHardPhoton && pick >= elastic + hard) {
          // a photon above kHardPhoton leaves; the electron's deflection by it is neglected
          T -= SamplePhotonEnergy(T, rng);
          if (!(T > kElectronCutoffEnergy)) break;
          continue;
        }
        if (tables.Shells() && pick < hard) {
          // hard collision with a bound shell, if one is still open at the energy the electron has now
          if (!(tables.Shells()->HardCoefficient(T) > 0)) continue;
          const electron_shells::HardCollision event = tables.Shells()->Sample(T, rng);
          const double phi = 2.0 * tungsten::kPi * Uniform(rng);
          if (event.secondary > kElectronCutoffEnergy) {
            double us = u, vs = v, ws = w;
            Deflect(event.secondaryCosine, phi + tungsten::kPi, us, vs, ws);
            waiting.push_back({event.secondary, z, us, vs, ws, false});
          }
          Deflect(event.primaryCosine, phi, u, v, w);
          T -= event.loss;
          if (!(T > kElectronCutoffEnergy)) break;
          continue;
        }
        if (physics.straggling && T > 2.0 * kHardTransfer && pick < hard) {
          // hard collision: the struck electron leaves with W, opposite in azimuth
          const double W = SampleMollerShare(T, rng) * T;
          const double phi = 2.0 * tungsten::kPi * Uniform(rng);
          if (W > kElectronCutoffEnergy) {
            double us = u, vs = v, ws = w;
            Deflect(CosineAfterCollision(T, W), phi + tungsten::kPi, us, vs, ws);
            waiting.push_back({W, z, us, vs, ws, false});
          }
          Deflect(CosineAfterCollision(T, T - W), phi, u, v, w);
          T -= W;
          if (!(T > kElectronCutoffEnergy)) break;
          continue;
        }
        if (tables.PartialWaves()) {  // elastic deflection from the partial-wave cross section
          Deflect(1.0 - tables.PartialWaves()->SampleOneMinusCos(T, rng), 2.0 * tungsten::kPi * Uniform(rng), u, v, w);
          continue;
        }
        // elastic deflection: screened Rutherford, cos theta = 1 - 2 A xi / (1 + A - xi)
        const double A = tables.Screening(T);
        const double xi = Uniform(rng);
        const double cosTheta = 1.0 - 2.0 * A * xi / (1.0 + A - xi);
        const double phi = 2.0 * tungsten::kPi * Uniform(rng);
        if (physics.mott && Uniform(rng) * tables.LargestMott(T) > MottRatio(T, 1.0 - cosTheta)) continue;
        Deflect(cosTheta, phi, u, v, w);
      }
    }
  }
  for (double& t : result.track) t /= static_cast<double>(electrons);
  result.backscatterNumber /= static_cast<double>(electrons);
  result.backscatterEnergy /= static_cast<double>(electrons);
  return result;
}

/// reads a whole number or a list of energies; false when the text is not one
bool ParseCount(const std::string& text, long& value) {
  char* end = nullptr;
  value = std::strtol(text.c_str(), &end, 10);
  return end != text.c_str() && *end == '\0';
}

bool ParseEnergies(const std::string& text, std::vector<double>& energies) {
  energies.clear();
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    char* end = nullptr;
    const double T0 = std::strtod(item.c_str(), &end);
    if (item.empty() || *end != '\0' || !(T0 >= kLowestNode && T0 <= kHighestNode)) return false;
    if (!energies.empty() && !(T0 > energies.back())) return false;
    energies.push_back(T0);
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  using namespace penetration_layout;
  Physics physics;
  std::vector<double> nodes(kNodeVoltages.begin(), kNodeVoltages.end());
  unsigned long long seed = kDefaultSeed;
  std::vector<std::string> positional;
  std::string nodesOption, seedOption;  // as given, for the file's comment
  for (int a = 1; a < argc; ++a) {
    const std::string argument = argv[a];
    if (argument == "--straggling") {
      physics.straggling = true;
    } else if (argument == "--mott") {
      physics.mott = true;
    } else if (argument == "--coulomb-screening") {
      physics.coulombScreening = true;
    } else if (argument == "--partial-waves") {
      physics.partialWaves = true;
    } else if (argument == "--shell-binding") {
      physics.shellBinding = true;
    } else if (argument == "--soft-straggling") {
      physics.softStraggling = true;
    } else if (argument == "--radiative-events") {
      physics.radiativeEvents = true;
    } else if (argument == "--nodes" || argument == "--seed") {
      if (a + 1 >= argc) {
        std::fprintf(stderr, "electron_transport: %s needs a value\n", argument.c_str());
        return 2;
      }
      const std::string value = argv[++a];
      long number = 0;
      if (argument == "--nodes" && !ParseEnergies(value, nodes)) {
        std::fprintf(stderr,
                     "electron_transport: --nodes needs rising energies in keV between %g and %g, separated by "
                     "commas (got %s)\n",
                     kLowestNode, kHighestNode, value.c_str());
        return 2;
      }
      if (argument == "--seed") {
        if (!ParseCount(value, number) || number < 0) {
          std::fprintf(stderr, "electron_transport: --seed needs a whole number of at least 0 (got %s)\n",
                       value.c_str());
          return 2;
        }
        seed = static_cast<unsigned long long>(number);
      }
      (argument == "--nodes" ? nodesOption : seedOption) = " " + argument + " " + value;
      continue;
    } else if (argument.rfind("--", 0) == 0) {
      std::fprintf(stderr, "electron_transport: unknown option %s\n", argument.c_str());
      return 2;
    } else {
      positional.push_back(argument);
    }
  }
  if (positional.empty() || positional.size() > 2) {
    std::fprintf(stderr,
                 "usage: electron_transport OUTPUT [ELECTRONS_PER_ENERGY] [--straggling [--shell-binding [--soft-straggling]]] [--mott] "
                 "[--coulomb-screening | --partial-waves] [--radiative-events] [--nodes T1,T2,...] [--seed N]\n");
    return 2;
  }
  const std::string output = positional[0];
  long electrons = 20000;
  if (positional.size() == 2 && !ParseCount(positional[1], electrons)) electrons = 0;
  if (electrons < 1) {
    std::fprintf(stderr, "electron_transport: the number of electrons must be a positive whole number\n");
    return 2;
  }
  if (physics.partialWaves && (physics.mott || physics.coulombScreening)) {
    std::fprintf(stderr, "electron_transport: --partial-waves replaces --mott and --coulomb-screening\n");
    return 2;
  }
  if (physics.shellBinding && !physics.straggling) {
    std::fprintf(stderr, "electron_transport: --shell-binding needs --straggling (it binds the hard collisions)\n");
    return 2;
  }
  if (physics.softStraggling && !physics.shellBinding) {
    std::fprintf(stderr, "electron_transport: --soft-straggling needs --shell-binding (its variance is the shells')\n");
    return 2;
  }
  const TransportTables tables(physics, nodes.back());
  // the command line in one order, so that the same run gives the same file
  const std::string options = std::string(physics.straggling ? " --straggling" : "") +
                              (physics.shellBinding ? " --shell-binding" : "") +
                              (physics.softStraggling ? " --soft-straggling" : "") + (physics.mott ? " --mott" : "") +
                              (physics.coulombScreening ? " --coulomb-screening" : "") +
                              (physics.partialWaves ? " --partial-waves" : "") +
                              (physics.radiativeEvents ? " --radiative-events" : "") + nodesOption + seedOption;
  std::mt19937_64 rng(seed);
  std::string text;
  char buffer[160];
  text += "# Track length of electrons in a thick tungsten target, per incident electron, from the electron\n";
  text += "# Monte Carlo tools/physics/electron_transport.cpp (" + std::to_string(electrons) +
          " electrons per energy, fixed seed;\n";
  text += std::string(physics.partialWaves ? "# elastic scattering from the Dirac partial waves of the screened atom (Mott)"
                                           : "# screened Rutherford elastic scattering") + (physics.coulombScreening ? " with Moliere's Coulomb-corrected screening" : "") +
          (physics.mott ? " times Mott's ratio" : "") + ", ICRU 37 + Seltzer-Berger stopping power" +
          (physics.straggling ? ", hard collisions above 1 keV with their electrons followed" : "") +
          (physics.shellBinding ? " (bound shells, Sternheimer-Liljequist oscillators)" : "") +
          (physics.softStraggling ? ", soft loss with its straggling" : "") +
          (physics.radiativeEvents ? ", photons above 1 keV emitted one by one" : "") +
          ", normal incidence).\n";
  text += "# Made by: electron_transport OUTPUT " + std::to_string(electrons) + options + " (seed " +
          std::to_string(seed) + ", std::mt19937_64).\n";
  text += "# Layout: node count, depth bins J, energy bins M, direction bins C, largest scaled depth; the\n";
  text += "# node energies T0 [keV]; then per node J x M x C values, direction fastest, then energy, then\n";
  text += "# depth: track length [in units of the CSDA range R(T0)] in the cell of depth z / R(T0) in\n";
  text += "# [j, j + 1) * (largest scaled depth / J), T / T0 in [m, m + 1) / M and cosine to the inward\n";
  text += "# normal in -1 + [c, c + 1) * 2 / C (the last depth cell also holds everything deeper).\n";
  std::snprintf(buffer, sizeof buffer, "%d %d %d %d %.6g\n", static_cast<int>(nodes.size()), kDepthBins,
                kEnergyBins, kDirectionBins, kMaximumScaledDepth);
  text += buffer;
  for (const double T0 : nodes) {
    std::snprintf(buffer, sizeof buffer, "%g ", T0);
    text += buffer;
  }
  text.back() = '\n';
  for (const double T0 : nodes) {
    const NodeResult node = Transport(T0, electrons, physics, tables, rng);
    std::fprintf(stderr, "T0 %5.0f keV: R = %.4g um, backscattered %.4f of the electrons, %.4f of the energy\n",
                 T0, CsdaRange(T0) * 1e4, node.backscatterNumber, node.backscatterEnergy);
    std::snprintf(buffer, sizeof buffer, "# T0 = %g keV: backscattered fraction %.4f, energy fraction %.4f\n", T0,
                  node.backscatterNumber, node.backscatterEnergy);
    text += buffer;
    for (int j = 0; j < kDepthBins; ++j) {
      for (int m = 0; m < kEnergyBins; ++m) {
        std::string line;
        for (int c = 0; c < kDirectionBins; ++c) {
          std::snprintf(buffer, sizeof buffer, "%.5g ", node.track[(j * kEnergyBins + m) * kDirectionBins + c]);
          line += buffer;
        }
        line.back() = '\n';
        text += line;
      }
    }
  }
  const std::string temporary = output + ".tmp";
  std::FILE* out = std::fopen(temporary.c_str(), "wb");
  if (!out || std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fclose(out) != 0 ||
      std::rename(temporary.c_str(), output.c_str()) != 0) {
    std::fprintf(stderr, "electron_transport: cannot write %s\n", output.c_str());
    return 1;
  }
  return 0;
}
