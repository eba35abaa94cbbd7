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
//  --transmission diamond|Be|Al  the transmission geometry instead of the thick target: a tungsten
//                layer 0 <= z < t on a window of the material filling z >= t (semi-infinite for the
//                electrons), written in the layout of the transmission table (docs/physics.md,
//                "Transmission targets from the own Monte Carlo"). The layer keeps every option's physics;
//                the window (window_medium.h) has the partial waves of its own atom with
//                --partial-waves (else screened Rutherford with its Z), its ICRU 37 collision stopping
//                power and, with --straggling, Moller collisions above 1 keV on its electrons taken as
//                free; no radiative loss. A step that would cross the boundary stops on it, and the next
//                step is drawn from the other medium's cross sections; electrons cross both ways;
//  --thicknesses tau1,tau2,...  the layer thicknesses t / R_W(T0), rising (default 0.005, 0.01, 0.02,
//                0.05, 0.1, 0.2, 0.4, 0.8), with --transmission.
//
//     electron_transport OUTPUT [ELECTRONS_PER_ENERGY] [--straggling [--shell-binding [--soft-straggling]]] [--mott]
//                        [--coulomb-screening | --partial-waves] [--radiative-events] [--nodes T1,T2,...]
//                        [--seed N] [--transmission diamond|Be|Al [--thicknesses tau1,tau2,...]]

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "bremsstrahlung_cross_section.h"
#include "electron_collisions.h"
#include "electron_penetration.h"
#include "electron_shells.h"
#include "electron_stopping_power.h"
#include "tungsten_target.h"
#include "window_medium.h"

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

/// the window's transport quantities on the grid of TransportTables, for the transmission geometry:
/// elastic scattering from the partial waves of the window's atom with --partial-waves, else screened
/// Rutherford; the collision stopping power (restricted to transfers below 1 keV with --straggling,
/// whose harder collisions are Moller's on the window's free electrons); no radiative loss
class WindowTables {
 public:
  WindowTables(const window_medium::WindowMaterial& window, const Physics& physics, double highestEnergy) {
    using namespace window_medium;
    if (physics.partialWaves)
      partialWaves_ = std::make_unique<electron_collisions::PartialWaveTable>(highestEnergy, window.atomicNumber);
    for (int s = 0; s < kSteps; ++s) {
      const double T = std::exp(kLogLow + s * Step());
      stopping_[s] = physics.straggling ? RestrictedStoppingPower(window, T) : CollisionStoppingPower(window, T);
      ScreenedRutherford(window, T, screening_[s], meanFreePath_[s]);
      if (partialWaves_) meanFreePath_[s] = 1.0 / (AtomsPerVolume(window) * partialWaves_->TotalCrossSection(T));
      hardCollisions_[s] = physics.straggling ? HardCollisionCoefficient(window, T) : 0.0;
    }
  }
  /// continuous energy loss per path [keV/cm]
  double Stopping(double T) const { return Interpolate(stopping_, T); }
  /// mean free path between elastic collisions [cm]
  double MeanFreePath(double T) const { return Interpolate(meanFreePath_, T); }
  /// screening parameter A of the screened Rutherford cross section [1]
  double Screening(double T) const { return Interpolate(screening_, T); }
  /// hard inelastic collisions per path [1/cm] (0 without straggling)
  double HardCollisions(double T) const { return Interpolate(hardCollisions_, T); }
  /// the partial-wave cross sections, or null when the screened Rutherford one is used
  const electron_collisions::PartialWaveTable* PartialWaves() const { return partialWaves_.get(); }

 private:
  static constexpr int kSteps = 4387;
  static constexpr double kLogLow = -0.2;
  static double Step() { return (6.0 - kLogLow) / 3999; }
  double Interpolate(const std::array<double, kSteps>& table, double T) const {
    const double x = (std::log(T) - kLogLow) / Step();
    int s = static_cast<int>(x);
    if (s < 0) s = 0;
    if (s > kSteps - 2) s = kSteps - 2;
    const double w = x - s;
    return table[s] + w * (table[s + 1] - table[s]);
  }
  std::unique_ptr<electron_collisions::PartialWaveTable> partialWaves_;
  std::array<double, kSteps> stopping_{};
  std::array<double, kSteps> meanFreePath_{};
  std::array<double, kSteps> screening_{};
  std::array<double, kSteps> hardCollisions_{};
};

/// the radiative part of the tungsten layer's continuous loss [keV/cm]: the Seltzer-Berger radiative
/// stopping power, or its part from photons below 1 keV with --radiative-events; on a grid even in
/// ln T from 0.82 keV (the energy bookkeeping of the transmission runs only)
class LayerRadiation {
 public:
  LayerRadiation(const Physics& physics, double highestEnergy) {
    for (double logT = kLogLow;; logT += kStep) {
      const double T = std::exp(logT);
      radiative_.push_back(physics.radiativeEvents ? electron_collisions::SoftRadiativeStoppingPower(T)
                                                   : TungstenBremsstrahlung().RadiativeStoppingPower(T));
      if (T > highestEnergy) break;
    }
  }
  double Radiative(double T) const {
    const double x = (std::log(T) - kLogLow) / kStep;
    std::size_t s = x > 0 ? static_cast<std::size_t>(x) : 0;
    if (s > radiative_.size() - 2) s = radiative_.size() - 2;
    const double w = std::min(1.0, std::max(0.0, x - static_cast<double>(s)));
    return radiative_[s] + w * (radiative_[s + 1] - radiative_[s]);
  }

 private:
  static constexpr double kLogLow = -0.2;
  static constexpr double kStep = 0.01;
  std::vector<double> radiative_;
};

/// the cells of the transmission table (the model's agreed sizes)
constexpr int kLayerDepthBins = 6;       // of z / t
constexpr int kWindowDepthBins = 2;      // of (z - t) / R_win(T0)
constexpr double kWindowDepthMax = 1.0;  // the window's cells span 0 to this (the last holds deeper) [R_win]

/// what one transmission run tallies, per incident electron
struct TransmissionResult {
  std::vector<double> layer;   // track in the layer's cells [R_W(T0)]
  std::vector<double> window;  // track in the window's cells [R_win(T0)]
  double backscatterNumber = 0;  // incident electrons leaving through z < 0 [1]
  double backscatterEnergy = 0;  // their energy when they leave [T0]
  double escapedEnergy = 0;      // energy of every electron leaving through z < 0, struck ones too [T0]
  double enteredWindow = 0;      // incident electrons that cross into the window at least once [1]
  double layerDeposit = 0;       // energy left in the layer, by collisions [T0]
  double windowDeposit = 0;      // energy left in the window [T0]
  double radiated = 0;           // bremsstrahlung of the layer (none in the window) [T0]
  double layerTrack = 0;         // track in the layer [R_W(T0)]
  double layerDepthMoment = 0;   // integral of z over the layer's track [R_W(T0)^2]
};

/// an electron of the transmission geometry: energy [keV], depth [cm], direction, whether it is in
/// the window, whether it is the incident one
struct LayeredElectron {
  double T, z, u, v, w;
  bool inWindow;
  bool incident;
};

/// Electrons of T0 along +z onto tungsten 0 <= z < t on the window z >= t. A step ends at the
/// collision drawn from the medium's coefficients or at a boundary, whichever comes first; from a
/// boundary the next step is drawn from the other medium's (the paths are memoryless, so nothing is
/// lost by stopping there). Electrons leaving through z < 0 are lost; the window is semi-infinite.
TransmissionResult TransportTransmission(double T0, double t, long electrons, const Physics& physics,
                                         const TransportTables& layer, const LayerRadiation& radiation,
                                         const WindowTables& window, double windowRange, std::mt19937_64& rng) {
  using namespace penetration_layout;
  using namespace electron_collisions;
  TransmissionResult result;
  result.layer.assign(kLayerDepthBins * kEnergyBins * kDirectionBins, 0.0);
  result.window.assign(kWindowDepthBins * kEnergyBins * kDirectionBins, 0.0);
  const double layerRange = CsdaRange(T0);
  // a straight piece of path from depth z0 along w, length s, the energy falling linearly from T by
  // loss: split at the depth cells of its medium and scored at each part's middle
  const auto score = [&](bool inWindow, double z0, double w, double s, double T, double loss) {
    if (!(s > 0)) return;
    const int depthBins = inWindow ? kWindowDepthBins : kLayerDepthBins;
    const double origin = inWindow ? t : 0.0;
    const double cellDepth = inWindow ? kWindowDepthMax / kWindowDepthBins * windowRange : t / kLayerDepthBins;
    const double range = inWindow ? windowRange : layerRange;
    std::vector<double>& tally = inWindow ? result.window : result.layer;
    int c = static_cast<int>((w + 1.0) * 0.5 * kDirectionBins);
    c = std::min(std::max(c, 0), kDirectionBins - 1);
    double done = 0;
    while (done < s) {
      const double zHere = z0 + w * done;
      const double cells = (zHere - origin) / cellDepth;
      // the cell the path runs through next (at a cell boundary: the one it goes into)
      int j = w < 0 ? static_cast<int>(std::ceil(cells)) - 1 : static_cast<int>(std::floor(cells));
      j = std::min(std::max(j, 0), depthBins - 1);
      double next = s;
      if (w > 0 && j < depthBins - 1) next = std::min(s, (origin + (j + 1) * cellDepth - z0) / w);
      if (w < 0 && j > 0) next = std::min(s, (origin + j * cellDepth - z0) / w);
      if (!(next > done)) next = s;  // rounding at a boundary: the rest in this cell
      const double piece = next - done, middle = 0.5 * (done + next);
      const double TMid = T - loss * middle / s;
      int m = static_cast<int>(TMid / T0 * kEnergyBins);
      m = std::min(std::max(m, 0), kEnergyBins - 1);
      tally[(j * kEnergyBins + m) * kDirectionBins + c] += piece / range;
      if (!inWindow) {
        result.layerTrack += piece / layerRange;
        result.layerDepthMoment += piece / layerRange * (z0 + w * middle) / layerRange;
      }
      done = next;
    }
  };
  // energy left behind by collisions in the medium, with the layer's radiative share taken out
  const auto deposit = [&](bool inWindow, double energy, double radiativeShare) {
    if (inWindow) {
      result.windowDeposit += energy / T0;
    } else {
      result.layerDeposit += energy * (1.0 - radiativeShare) / T0;
      result.radiated += energy * radiativeShare / T0;
    }
  };
  std::vector<LayeredElectron> waiting;
  for (long e = 0; e < electrons; ++e) {
    waiting.push_back({T0, 0, 0, 0, 1, false, true});
    bool entered = false;
    while (!waiting.empty()) {
      const LayeredElectron start = waiting.back();
      waiting.pop_back();
      double T = start.T, z = start.z, u = start.u, v = start.v, w = start.w;
      bool inWindow = start.inWindow;
      for (;;) {
        const auto stopping = [&](double E) { return inWindow ? window.Stopping(E) : layer.Stopping(E); };
        const double elastic = inWindow ? 1.0 / window.MeanFreePath(T) : 1.0 / layer.MeanFreePath(T);
        const double hard = inWindow ? window.HardCollisions(T) : layer.HardCollisions(T);
        const double photons = inWindow ? 0.0 : layer.HardPhotons(T);
        double s = -std::log(Uniform(rng)) / (elastic + hard + photons);
        const double middle = std::max(T - 0.5 * stopping(T) * s, kElectronCutoffEnergy);
        double loss = stopping(middle) * s;
        if (physics.softStraggling && !inWindow)
          loss = electron_shells::SampleSoftLoss(loss, layer.SoftStraggling(middle) * s, rng);
        bool stops = false;
        if (!(T - loss > kElectronCutoffEnergy)) {
          const double rest = T - kElectronCutoffEnergy;
          s = rest / stopping(0.5 * (T + kElectronCutoffEnergy));
          loss = rest;
          stops = true;
        }
        const double share = inWindow ? 0.0 : radiation.Radiative(std::max(middle, kElectronCutoffEnergy)) / stopping(middle);
        const double zEnd = z + w * s;
        const bool leaves = !inWindow && zEnd < 0;
        const bool intoWindow = !inWindow && w > 0 && zEnd >= t;
        const bool intoLayer = inWindow && zEnd < t;
        if (leaves || intoWindow || intoLayer) {
          const double boundary = leaves ? 0.0 : t;
          const double part = std::min(s, std::max(0.0, (boundary - z) / w));
          const double lossPart = loss * part / s;
          score(inWindow, z, w, part, T, lossPart);
          deposit(inWindow, lossPart, share);
          T -= lossPart;
          z = boundary;
          if (leaves) {
            result.escapedEnergy += T / T0;
            if (start.incident) {
              result.backscatterNumber += 1.0;
              result.backscatterEnergy += T / T0;
            }
            break;
          }
          inWindow = intoWindow;
          if (inWindow && start.incident) entered = true;
          if (!(T > kElectronCutoffEnergy)) {
            deposit(inWindow, T, 0.0);
            break;
          }
          continue;
        }
        score(inWindow, z, w, s, T, loss);
        deposit(inWindow, loss, share);
        z = zEnd;
        T -= loss;
        if (stops) {
          deposit(inWindow, T, 0.0);
          break;
        }
        const double pick = Uniform(rng) * (elastic + hard + photons);
        if (!inWindow && physics.radiativeEvents && T > kHardPhoton && pick >= elastic + hard) {
          const double k = SamplePhotonEnergy(T, rng);
          result.radiated += k / T0;
          T -= k;
          if (!(T > kElectronCutoffEnergy)) {
            deposit(inWindow, T, 0.0);
            break;
          }
          continue;
        }
        if (!inWindow && layer.Shells() && pick < hard) {
          if (!(layer.Shells()->HardCoefficient(T) > 0)) continue;
          const electron_shells::HardCollision event = layer.Shells()->Sample(T, rng);
          const double phi = 2.0 * tungsten::kPi * Uniform(rng);
          if (event.secondary > kElectronCutoffEnergy) {
            double us = u, vs = v, ws = w;
            Deflect(event.secondaryCosine, phi + tungsten::kPi, us, vs, ws);
            waiting.push_back({event.secondary, z, us, vs, ws, inWindow, false});
            deposit(inWindow, event.loss - event.secondary, 0.0);  // the binding energy
          } else {
            deposit(inWindow, event.loss, 0.0);
          }
          Deflect(event.primaryCosine, phi, u, v, w);
          T -= event.loss;
          if (!(T > kElectronCutoffEnergy)) {
            deposit(inWindow, T, 0.0);
            break;
          }
          continue;
        }
        if (physics.straggling && T > 2.0 * kHardTransfer && pick < hard) {
          // Moller collision with a free electron of the medium
          const double W = SampleMollerShare(T, rng) * T;
          const double phi = 2.0 * tungsten::kPi * Uniform(rng);
          if (W > kElectronCutoffEnergy) {
            double us = u, vs = v, ws = w;
            Deflect(CosineAfterCollision(T, W), phi + tungsten::kPi, us, vs, ws);
            waiting.push_back({W, z, us, vs, ws, inWindow, false});
          } else {
            deposit(inWindow, W, 0.0);
          }
          Deflect(CosineAfterCollision(T, T - W), phi, u, v, w);
          T -= W;
          if (!(T > kElectronCutoffEnergy)) {
            deposit(inWindow, T, 0.0);
            break;
          }
          continue;
        }
        const PartialWaveTable* waves = inWindow ? window.PartialWaves() : layer.PartialWaves();
        if (waves) {
          Deflect(1.0 - waves->SampleOneMinusCos(T, rng), 2.0 * tungsten::kPi * Uniform(rng), u, v, w);
          continue;
        }
        const double A = inWindow ? window.Screening(T) : layer.Screening(T);
        const double xi = Uniform(rng);
        const double cosTheta = 1.0 - 2.0 * A * xi / (1.0 + A - xi);
        Deflect(cosTheta, 2.0 * tungsten::kPi * Uniform(rng), u, v, w);
      }
    }
    if (entered) result.enteredWindow += 1.0;
  }
  const double n = static_cast<double>(electrons);
  for (double& x : result.layer) x /= n;
  for (double& x : result.window) x /= n;
  for (double* x : {&result.backscatterNumber, &result.backscatterEnergy, &result.escapedEnergy, &result.enteredWindow,
                    &result.layerDeposit, &result.windowDeposit, &result.radiated, &result.layerTrack,
                    &result.layerDepthMoment})
    *x /= n;
  return result;
}

/// reads rising scaled thicknesses t / R_W(T0) between 1e-6 and 10, separated by commas; false when
/// the text is not such a list
bool ParseThicknesses(const std::string& text, std::vector<double>& thicknesses) {
  thicknesses.clear();
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    char* end = nullptr;
    const double tau = std::strtod(item.c_str(), &end);
    if (item.empty() || *end != '\0' || !(tau >= 1e-6 && tau <= 10.0)) return false;
    if (!thicknesses.empty() && !(tau > thicknesses.back())) return false;
    thicknesses.push_back(tau);
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
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

/// the layer thicknesses t / R_W(T0) of the transmission table unless --thicknesses gives others
constexpr double kTransmissionThicknesses[] = {0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.4, 0.8};

/// writes a file atomically; false when it cannot
bool WriteFile(const std::string& output, const std::string& text) {
  const std::string temporary = output + ".tmp";
  std::FILE* out = std::fopen(temporary.c_str(), "wb");
  return out && std::fwrite(text.data(), 1, text.size(), out) == text.size() && std::fclose(out) == 0 &&
         std::rename(temporary.c_str(), output.c_str()) == 0;
}

/// the transmission table of one window: for each incident energy and layer thickness, the track in
/// the layer's and the window's cells (docs/physics.md, "Transmission targets from the own Monte Carlo")
int WriteTransmission(const std::string& output, long electrons, const Physics& physics, const TransportTables& tables,
                      const window_medium::WindowMaterial& window, const std::vector<double>& nodes,
                      const std::vector<double>& thicknesses, unsigned long long seed, const std::string& options) {
  using namespace penetration_layout;
  const LayerRadiation radiation(physics, nodes.back());
  const WindowTables windowTables(window, physics, nodes.back());
  std::mt19937_64 rng(seed);
  std::string text;
  char buffer[800];
  text += "# Track length of electrons in a transmission target, per incident electron: a tungsten layer 0 <= z < t,\n";
  std::snprintf(buffer, sizeof buffer,
                "# t = tau R_W(T0), on a window of %s filling z >= t (Z = %d, %.4g g/cm3, I = %.4g eV), electrons of T0\n",
                window.name, window.atomicNumber, window.density, window.meanExcitation * 1e3);
  text += buffer;
  text += "# falling along +z at z = 0; from the electron Monte Carlo tools/physics/electron_transport.cpp (" +
          std::to_string(electrons) + " electrons per energy and thickness, fixed seed).\n";
  text += std::string("# Layer: ") +
          (physics.partialWaves ? "elastic scattering from the Dirac partial waves of the screened atom"
                                : "screened Rutherford elastic scattering") +
          ", ICRU 37 + Seltzer-Berger stopping power" +
          (physics.straggling ? ", hard collisions above 1 keV with their electrons followed" : "") +
          (physics.shellBinding ? " (bound shells, Sternheimer-Liljequist oscillators)" : "") +
          (physics.softStraggling ? ", soft loss with its straggling" : "") +
          (physics.radiativeEvents ? ", photons above 1 keV emitted one by one" : "") + ".\n";
  text += std::string("# Window: ") +
          (physics.partialWaves ? "Dirac partial waves of its screened atom" : "screened Rutherford elastic scattering") +
          ", ICRU 37 collision stopping power (Bethe, its I and density, no density effect)" +
          (physics.straggling ? ", Moller collisions above 1 keV on its electrons taken as free, followed" : "") +
          ", no radiative loss. Steps stop at the boundary; the electrons cross it both ways.\n";
  text += "# Made by: electron_transport OUTPUT " + std::to_string(electrons) + options + " (seed " +
          std::to_string(seed) + ", std::mt19937_64).\n";
  text += "# Layout: N_T N_tau J_layer M C J_window window_depth_max; the T0 nodes [keV]; the tau nodes; then per T0\n";
  text += "# (outer) and tau (inner) one block: backscattered fraction of the incident electrons, fraction of them\n";
  text += "# that enter the window at least once, energy deposited in the layer over T0 (struck electrons too);\n";
  text += "# J_layer x M x C values, direction fastest, then energy, then depth: track length [R_W(T0), tungsten's\n";
  text += "# CSDA range, ICRU 37 + Seltzer-Berger] in the cell of z / t in [j, j + 1) / J_layer, T / T0 in\n";
  text += "# [m, m + 1) / M and cosine to +z in -1 + [c, c + 1) * 2 / C; then J_window x M x C values, the same order:\n";
  text += "# track length [R_win(T0), the window's CSDA range from its collision stopping power above] in the cell\n";
  text += "# of (z - t) / R_win(T0) in [j, j + 1) * window_depth_max / J_window (the last also holds everything\n";
  text += "# deeper). Each block's comment gives t, both ranges and where the energy went (over T0).\n";
  std::snprintf(buffer, sizeof buffer, "%d %d %d %d %d %d %.6g\n", static_cast<int>(nodes.size()),
                static_cast<int>(thicknesses.size()), kLayerDepthBins, kEnergyBins, kDirectionBins, kWindowDepthBins,
                kWindowDepthMax);
  text += buffer;
  for (const double T0 : nodes) {
    std::snprintf(buffer, sizeof buffer, "%g ", T0);
    text += buffer;
  }
  text.back() = '\n';
  for (const double tau : thicknesses) {
    std::snprintf(buffer, sizeof buffer, "%g ", tau);
    text += buffer;
  }
  text.back() = '\n';
  const auto cells = [&](const std::vector<double>& track, int depthBins) {
    for (int j = 0; j < depthBins; ++j) {
      for (int m = 0; m < kEnergyBins; ++m) {
        std::string line;
        for (int c = 0; c < kDirectionBins; ++c) {
          std::snprintf(buffer, sizeof buffer, "%.5g ", track[(j * kEnergyBins + m) * kDirectionBins + c]);
          line += buffer;
        }
        line.back() = '\n';
        text += line;
      }
    }
  };
  for (const double T0 : nodes) {
    const double layerRange = CsdaRange(T0), windowRange = window_medium::CsdaRange(window, T0);
    for (const double tau : thicknesses) {
      const TransmissionResult r = TransportTransmission(T0, tau * layerRange, electrons, physics, tables, radiation,
                                                         windowTables, windowRange, rng);
      const double sum = r.layerDeposit + r.windowDeposit + r.escapedEnergy + r.radiated;
      std::fprintf(stderr,
                   "T0 %5.0f keV, t/R %-6g: backscattered %.4f, into the window %.4f, layer %.4f, window %.4f, "
                   "out %.4f, radiated %.4f of T0\n",
                   T0, tau, r.backscatterNumber, r.enteredWindow, r.layerDeposit, r.windowDeposit, r.escapedEnergy,
                   r.radiated);
      std::snprintf(buffer, sizeof buffer,
                    "# T0 = %g keV, t/R = %g: t = %.5g um, R_W = %.5g um, R_window = %.5g um; over T0: deposited in "
                    "the layer %.5f, in the window %.5f, carried out through z = 0 %.5f (by the incident electrons "
                    "%.5f), radiated %.5f, sum %.6f; layer track %.5f R_W, its mean depth %.5f R_W\n",
                    T0, tau, tau * layerRange * 1e4, layerRange * 1e4, windowRange * 1e4, r.layerDeposit,
                    r.windowDeposit, r.escapedEnergy, r.backscatterEnergy, r.radiated, sum, r.layerTrack,
                    r.layerTrack > 0 ? r.layerDepthMoment / r.layerTrack : 0.0);
      text += buffer;
      std::snprintf(buffer, sizeof buffer, "%.5f %.5f %.5f\n", r.backscatterNumber, r.enteredWindow, r.layerDeposit);
      text += buffer;
      cells(r.layer, kLayerDepthBins);
      cells(r.window, kWindowDepthBins);
    }
  }
  if (!WriteFile(output, text)) {
    std::fprintf(stderr, "electron_transport: cannot write %s\n", output.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace penetration_layout;
  Physics physics;
  std::vector<double> nodes(kNodeVoltages.begin(), kNodeVoltages.end());
  unsigned long long seed = kDefaultSeed;
  std::vector<std::string> positional;
  std::string nodesOption, seedOption;  // as given, for the file's comment
  std::optional<window_medium::WindowMaterial> window;  // the transmission geometry's window, if any
  std::vector<double> thicknesses(std::begin(kTransmissionThicknesses), std::end(kTransmissionThicknesses));
  std::string transmissionOption, thicknessesOption;
  for (int a = 1; a < argc; ++a) {
    const std::string argument = argv[a];
    if (argument == "--transmission" || argument == "--thicknesses") {
      if (a + 1 >= argc) {
        std::fprintf(stderr, "electron_transport: %s needs a value\n", argument.c_str());
        return 2;
      }
      const std::string value = argv[++a];
      if (argument == "--transmission") {
        window = window_medium::WindowFromName(value);
        if (!window) {
          std::fprintf(stderr, "electron_transport: --transmission needs the window diamond, Be or Al (got %s)\n",
                       value.c_str());
          return 2;
        }
        transmissionOption = " --transmission " + std::string(window->name);
      } else {
        if (!ParseThicknesses(value, thicknesses)) {
          std::fprintf(stderr,
                       "electron_transport: --thicknesses needs rising layer thicknesses t / R between 1e-6 and 10, "
                       "separated by commas (got %s)\n",
                       value.c_str());
          return 2;
        }
        thicknessesOption = " --thicknesses " + value;
      }
      continue;
    } else if (argument == "--straggling") {
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
                 "[--coulomb-screening | --partial-waves] [--radiative-events] [--nodes T1,T2,...] [--seed N] "
                 "[--transmission diamond|Be|Al [--thicknesses tau1,tau2,...]]\n");
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
  if (!window && !thicknessesOption.empty()) {
    std::fprintf(stderr, "electron_transport: --thicknesses belongs to --transmission\n");
    return 2;
  }
  if (window && (physics.mott || physics.coulombScreening)) {
    std::fprintf(stderr,
                 "electron_transport: --transmission takes the screened Rutherford or the partial-wave elastic "
                 "scattering (--mott and --coulomb-screening are tungsten's corrections only)\n");
    return 2;
  }
  const TransportTables tables(physics, nodes.back());
  if (window) {
    return WriteTransmission(output, electrons, physics, tables, *window, nodes, thicknesses, seed,
                             std::string(physics.straggling ? " --straggling" : "") +
                                 (physics.shellBinding ? " --shell-binding" : "") +
                                 (physics.softStraggling ? " --soft-straggling" : "") +
                                 (physics.partialWaves ? " --partial-waves" : "") +
                                 (physics.radiativeEvents ? " --radiative-events" : "") + transmissionOption +
                                 thicknessesOption + nodesOption + seedOption);
  }
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
