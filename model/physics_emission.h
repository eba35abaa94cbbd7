#pragma once
// The physics emission model: the spectrum of a thick target (tungsten; molybdenum, rhodium, silver
// and gold for mammography and low-voltage tubes) computed from physical data,
// in the manner of Poludniowski & Evans (Med. Phys. 34 (2007) 2164, 2175) and Omar, Andreo &
// Poludniowski (Med. Phys. 47 (2020) 4005, 4763), with nothing fitted to measured beams:
//  1. bremsstrahlung cross sections of Seltzer and Berger (bremsstrahlung_cross_section.h);
//  2. the electrons' track length against depth, energy and direction, with the backscattered
//     electrons lost, from Monte Carlo electron transport (electron_penetration.h);
//  3. emission into the take-off direction with the partial-wave shape functions of Poskus, and
//     attenuation in tungsten along the path out of the target from each depth;
//  4. tungsten K and L lines from electron impact and from photoabsorption of the bremsstrahlung in
//     the target, with their cascades (characteristic_lines.h), isotropic and self-attenuated;
//  5. absolute: per electron on the target (absolute_output.h turns it into output per mAs).
//
// Geometry, as in Omar et al. 2020: the electrons fall along the normal of the target surface, and
// the take-off direction leaves the surface at the target angle alpha; a photon made at depth z
// travels z / sin(alpha) through tungsten.

#include <array>
#include <memory>
#include <mutex>
#include <vector>

#include "electron_penetration.h"
#include "emission_model.h"
#include "target_material.h"

namespace kestrix {

/// Bremsstrahlung shape function of Poskus (At. Data Nucl. Data Tables 129-130 (2019) 101277): the
/// probability per unit solid angle that the photon leaves at cosine mu to the electron's direction,
///   S = 3 / (8 pi (2A + B)) (1 - C^2) [(A + B) / (1 - C mu)^2 + (A - B) (mu - C)^2 / (1 - C mu)^4]  [1/sr],
/// normalised over the sphere for any A, B >= 0 and 0 <= C < 1.
double BremsstrahlungShapeFunction(double A, double B, double C, double mu);

/// Share of the photons that are made at depth x below the surface of a thick target and sent
/// isotropically over the outward hemisphere which interact in the target before they leave, x in units
/// of the photons' attenuation length (mu z): 1 - E2(x), E2 the exponential integral of order 2 [1]
double OutwardAbsorbedShare(double x);

class PhysicsEmissionModel : public EmissionModel {
 public:
  /// builds the tables the spectra share (a few milliseconds); `characteristicLines` false leaves
  /// the K and L lines out (bremsstrahlung only)
  explicit PhysicsEmissionModel(bool characteristicLines = true);
  /// the same for a target of another material: its own density, stopping power, cross sections,
  /// shape functions, electron table, lines and self-attenuation
  PhysicsEmissionModel(TargetMaterial target, bool characteristicLines);
  ~PhysicsEmissionModel() override;

  const char* Keyword() const override { return "physics"; }
  /// 20 kV: the lowest incident energy of the PENELOPE electron tables [kV]
  double MinimumVoltage() const override;
  /// the highest voltage of a run, TableMaximumVoltage(): tungsten 500 kV, the other targets
  /// 50 kV. A run above 300 kV carries its spectra on the whole grid (RunOutcome::lastBin); the
  /// exchange files and the engine's figures stop at kExchangeVoltageLimit [kV]
  double MaximumVoltage() const override;
  /// the highest voltage the emission is computed for: tungsten 500 kV (the highest incident energy of
  /// its joined electron table, PENELOPE's to 300 keV and the own Monte Carlo's above, and the end of
  /// the energy grid), the other targets 50 kV [kV]
  double TableMaximumVoltage() const;
  TargetMaterial Target() const { return target_; }
  bool CharacteristicLines() const { return characteristicLines_; }
  bool IsAbsolute() const override { return true; }

  /// [keV per keV per sr per electron]; throws std::out_of_range for a sample above 500 kV and
  /// std::invalid_argument for a cosecTheta below 1 or not finite
  void SampleEmissions(const std::vector<double>& sampleVoltages, double cosecTheta, const AttenuationTable& table,
                       std::vector<GridArray>& emissions) const override;

  /// emission of one sample of voltage T0 [kV], into bins 2..floor(2 T0) of `emission` (others 0);
  /// throws std::invalid_argument for a cosecTheta below 1 or not finite
  void SampleEmission(double T0, double cosecTheta, const AttenuationTable& table, GridArray& emission) const;

  /// The emissions of the samples of one waveform [keV per keV per sr per electron], as SampleEmissions
  /// gives them but sharing work: a few samples, the nodes (always the highest one, which is exact to
  /// the last digit), are computed exactly; every other sample takes, at each reduced photon energy
  /// k/T0, the bremsstrahlung of each depth cell before self-attenuation, per electron-table node,
  /// interpolated in log T0 between the three nearest nodes, blends it as its own tracks are blended,
  /// self-attenuates it exactly along its own path, computes its electron-impact lines itself and
  /// interpolates its photoabsorption lines. No interpolation crosses an absorption edge; voltages just
  /// above one are nodes. Measured deviation of the figures (docs/physics.md): 12-peak below 5e-5,
  /// single-phase up to 2.3e-4 at low voltages behind heavy filtration, so SynthesizeSpectrum uses it
  /// for 12-peak only. Falls back to SampleEmissions for one sample or when nodes are half the
  /// samples. Throws as SampleEmissions.
  void WaveformEmissions(const std::vector<double>& sampleVoltages, double cosecTheta, const AttenuationTable& table,
                         std::vector<GridArray>& emissions) const;

 private:
  struct Tables;
  struct ShapeData;
  struct AngularFactors;
  /// track per incident electron by depth cell and energy cell [cm]
  using DepthEnergyTable =
      std::array<std::array<double, penetration_layout::kEnergyBins>, penetration_layout::kDepthBins>;
  /// nodes of reduced photon energy k/T of the shape functions
  static constexpr int kShapeNodeCount = 12;
  /// track weighted with the shape function, by depth cell, energy cell and k/T node [cm/sr]
  using DirectedTrackTable = std::array<std::array<std::array<double, kShapeNodeCount>, penetration_layout::kEnergyBins>,
                                        penetration_layout::kDepthBins>;
  /// what the steps of one sample hand on to each other
  struct SampleWork {
    int top = 0;             // highest grid bin of the sample
    double range = 0;        // CSDA range R(T0) [cm]
    double cellDepth = 0;    // depth of one cell of the electron table [cm]
    DirectedTrackTable toward{};  // track weighted with the shape function towards the take-off direction [cm/sr]
    DepthEnergyTable all{};       // track [cm]
    std::vector<double> crossSection;    // n dsigma/dk by energy cell and bin [1/(cm keV)]
    std::vector<int> lowerNode;          // k/T node below the bin's k/T, by energy cell and bin
    std::vector<double> lowerNodeShare;  // crossSection times the weight of that node [1/(cm keV)]
    std::vector<double> upperNodeShare;  // crossSection times the weight of the node above [1/(cm keV)]
    std::array<int, penetration_layout::kEnergyBins> lastBin{};  // highest bin each energy cell reaches
  };

  static void CrossSections(const Tables& tables, double T0, SampleWork& work);
  static void ElectronTracks(const Tables& tables, const AngularFactors& angular, double T0, SampleWork& work);
  /// the same with the electron table's nodes and weights of `bracket`
  static void ElectronTracks(const Tables& tables, const AngularFactors& angular, double T0,
                             const ElectronPenetration::Bracket& bracket, SampleWork& work);
  /// mu: the target's linear attenuation coefficient by grid index [1/cm]
  static void SelfAttenuatedEmission(double cosecTheta, const double* mu, const SampleWork& work, GridArray& emission);
  /// directed photons per keV per sr per electron from each depth cell before self-attenuation, by depth
  /// cell j and bin i at rows[j (top + 1) + i] [1/(keV sr)]
  static void DepthEmission(const SampleWork& work, std::vector<double>& rows);
  /// one term n k dsigma/dk of energy cell m at point p of a grid of reduced photon energy, split
  /// between the shape-function nodes q and q + 1
  struct ReducedTerm;
  /// the terms on the grid k/T0 = p / (kEnergyBins perCell), p = 1..kEnergyBins perCell, which puts
  /// points on the energy cells' edges
  static void ReducedCrossSections(const Tables& tables, double T0, int perCell, std::vector<ReducedTerm>& terms);
  /// photon energy times the directed emission by depth cell before self-attenuation on that grid, at
  /// [p kDepthBins + j], p = 0..kEnergyBins perCell [1/sr]; needs work.toward
  static void ReducedDepthEmission(const std::vector<ReducedTerm>& terms, int perCell, const SampleWork& work,
                                   std::vector<double>& weighted);
  static void AttenuateDepthEmission(double cosecTheta, const double* mu, const SampleWork& work,
                                     const std::vector<double>& rows, GridArray& emission);
  /// the escape of the lines after photoabsorption inside the target, shared by the samples of a spectrum
  struct LineEscapes;
  /// that escape for the lines in bins 2..top, for the target angle with this cosecant
  static LineEscapes EscapesOf(const Tables& tables, double cosecTheta, const double* muTarget, int top);
  static void AddCharacteristicLines(const Tables& tables, const LineEscapes& escapes, double T0, double cosecTheta,
                                     const double* muTarget,
                                     const SampleWork& work, GridArray& emission);

  /// the shape function towards the central ray of the target angle with this cosecant, for electrons
  /// up to `highest` [keV]
  std::shared_ptr<const AngularFactors> FactorsToward(double cosecTheta, double highest) const;
  void SampleEmissionToward(const AngularFactors& angular, const LineEscapes& escapes, double T0, double cosecTheta,
                            const AttenuationTable& table,
                            GridArray& emission) const;
  /// the lines of the vacancies that the electrons make (electron impact, with the cascades) alone, as
  /// AddCharacteristicLines adds them, from the plain track of every cell, added to `lines`
  void AddImpactLines(double T0, double cosecTheta, const double* muTarget, GridArray& lines) const;
  /// a node of WaveformEmissions: the exact emission, and what the samples between nodes interpolate
  struct WaveformNode;
  void NodeEmission(const AngularFactors& angular, const LineEscapes& escapes, double cosecTheta,
                    const AttenuationTable& table, int perCell, WaveformNode& node, GridArray& emission) const;

  TargetMaterial target_;
  bool characteristicLines_;
  std::unique_ptr<const Tables> tables_;
  std::unique_ptr<const ShapeData> shapes_;
  mutable std::mutex lastAngularMutex_;  // guards the two below
  mutable std::shared_ptr<const AngularFactors> lastAngular_;
  mutable double lastCosecTheta_ = 0;
};

}  // namespace kestrix
