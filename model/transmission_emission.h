#pragma once
// The physics model's spectrum of a transmission target (transmission_target.h): a tungsten layer of
// thickness t on a window of diamond, beryllium or aluminium of thickness w; the electrons of T0 fall
// along the layer's normal (+z) and the beam leaves through the layer's back and the window, along
// +z. Nothing is fitted to measured beams; the steps are those of the reflection model
// (physics_emission.h) in this geometry:
//  1. Seltzer-Berger cross sections of tungsten and of the window's element (Z = 6, 4, 13);
//  2. the electrons' track by depth, energy and direction in the layer and in the window from the
//     own electron Monte Carlo (electron_transmission.h), backscattered electrons lost;
//  3. emission towards the ray with Poskus's shape functions of each element, the electrons'
//     direction cells taken relative to +z; the ray is the normal for the central ray and makes
//     the angle psi with it off the axis, cos psi = cos(along) cos(across) (symmetric: no heel
//     effect); a photon made at depth z of the layer crosses (t - z) / cos psi of tungsten and
//     w / cos psi of window, one made at depth s in the window (w - s) / cos psi of window;
//  4. tungsten's K and L lines from electron impact along the layer's track and from photoabsorption
//     of the layer's bremsstrahlung in the layer, with their cascades, isotropic, attenuated along
//     the same path out;
//  5. absolute: per electron on the target, as the reflection model (absolute_output.h turns it into
//     output per mAs).
// The target angle plays no part. The tube's other filters (its window entry, added filters) act on
// the beam after the target as in every run.
//
// Left out, each small against what is kept (docs/physics.md): the window's own characteristic lines
// (below 1.6 keV), fluorescence of the layer excited by the window's bremsstrahlung, and
// bremsstrahlung of electrons backscattered from the window into the layer beyond what the Monte
// Carlo's layer track already holds.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "emission_model.h"
#include "model_codes.h"
#include "target_material.h"
#include "transmission_target.h"

namespace kestrix {

/// tube voltages a transmission target is computed for: the electron table's incident energies [kV]
constexpr double kTransmissionMinimumVoltage = 20;
constexpr double kTransmissionMaximumVoltage = 300;
/// layer thicknesses a transmission target is computed for [um]: below 0.005 R_W(T0) (0.0056 um at
/// 20 kV, 0.42 um at 300 kV) by the thin-layer limit (electron_transmission.h), above 0.8 R_W(T0)
/// (0.89 um at 20 kV, 67 um at 300 kV) the rest of the layer only attenuates
constexpr double kSmallestLayerUm = 0.01;
constexpr double kLargestLayerUm = 1000;

/// CSDA range of electrons of T0 [keV] in a window material (ICRU 37 collision stopping power with
/// the material's I and density; the radiative loss, below 0.6 %, left out as the electron Monte
/// Carlo leaves it out; the unit of the table's window track) [mm]
double WindowCsdaRangeMm(TransmissionWindow window, double T0);

/// CSDA range of electrons of T0 [keV] in tungsten [um]; tau = t / this
double TungstenCsdaRangeUm(double T0);

/// Why this transmission target cannot be computed at this peak tube voltage [kV] with this model and
/// target material, nullopt when it can: the physics model and a tungsten layer only; the layer
/// finite and kSmallestLayerUm..kLargestLayerUm; the window finite, positive and at least the
/// electrons' CSDA range in its material at the voltage (otherwise electrons would leave the
/// window); the voltage kTransmissionMinimumVoltage..kTransmissionMaximumVoltage. A layer of zero
/// (the reflection target) is never refused here; a negative layer or one that is not a number is.
std::optional<std::string> TransmissionRefusal(SpectrumModel model, TargetMaterial target,
                                               const TransmissionTarget& transmission, double kVp);

/// 1 / cos psi of a point off the central ray at these angles [degrees] (cos psi = cos(along)
/// cos(across)): the ray's path through the layer, the window and every flat filter over their
/// thickness [1]; throws std::invalid_argument when an angle is not finite or above
/// kLargestOffAxisAngle (off_axis.h) in size
double TransmissionPathFactor(double alongDegrees, double acrossDegrees);

/// the emission's three parts, each [keV per keV per sr per electron]
struct TransmissionParts {
  GridArray layer{};   /// bremsstrahlung of the tungsten layer
  GridArray window{};  /// bremsstrahlung of the window
  GridArray lines{};   /// tungsten's K and L lines
};

class ElectronTransmission;

class TransmissionEmissionModel : public EmissionModel {
 public:
  /// the model of this transmission target (its layer above 0), with or without the K and L lines,
  /// with the delivered electron table of its window; throws std::invalid_argument for a target that
  /// TransmissionRefusal refuses at every voltage
  TransmissionEmissionModel(const TransmissionTarget& transmission, bool characteristicLines);
  /// the same with another electron table in the agreed layout (tests)
  TransmissionEmissionModel(const TransmissionTarget& transmission, bool characteristicLines,
                            std::shared_ptr<const ElectronTransmission> electrons);
  ~TransmissionEmissionModel() override;

  const char* Keyword() const override { return "physics"; }
  double MinimumVoltage() const override { return kTransmissionMinimumVoltage; }  /// [kV]
  double MaximumVoltage() const override { return kTransmissionMaximumVoltage; }  /// [kV]
  bool IsAbsolute() const override { return true; }
  const TransmissionTarget& Target() const { return transmission_; }

  /// [keV per keV per sr per electron]; `cosecTheta` is here the ray's path factor 1 / cos psi
  /// (TransmissionPathFactor, 1 on the central ray); throws std::invalid_argument for a path
  /// factor below 1 or not finite, std::out_of_range for a sample above 300 kV
  void SampleEmissions(const std::vector<double>& sampleVoltages, double cosecTheta, const AttenuationTable& table,
                       std::vector<GridArray>& emissions) const override;

  /// one sample of voltage T0 [kV], its parts apart; bins 2..floor(2 T0) (others 0); throws as
  /// SampleEmissions
  TransmissionParts SampleParts(double T0, double pathFactor, const AttenuationTable& table) const;

 private:
  struct Shared;
  TransmissionTarget transmission_;
  bool characteristicLines_;
  std::shared_ptr<const ElectronTransmission> electrons_;
  const Shared* shared_;
};

}  // namespace kestrix
