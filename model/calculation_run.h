#pragma once
// The model side of one calculation run: reading and limiting the main window's entries,
// computing the photon-number spectrum and its peak, and the display conversion.

#include <array>
#include <optional>
#include <stdexcept>
#include <string>

#include "calculation_state.h"
#include "energy_grid.h"
#include "model_codes.h"
#include "target_material.h"
#include "transmission_target.h"
#include "waveform_synthesis.h"

namespace kestrix {

/// tube voltage limits of the formula models (Tucker, Birch) [kV]; every model's own range, which
/// the corrections and checks below use, is ModelVoltageRange (emission_models.h)
constexpr double kMaximumTubeVoltage = 300;
constexpr double kMinimumTubeVoltage = 30;
/// millimetres typed by the user to centimetres
constexpr double kCentimetresPerMillimetre = 0.1;
/// inherent aluminium equivalent put in when the inherent entries are impossible [cm]
constexpr double kReplacementInherentAluminium = 0.05;

/// the entries of a run as numbers, in the units the user types them
struct RunEntries {
  double tubeVoltageKV = 200;          /// peak tube voltage [kV]
  double targetAngleDegrees = 20;      /// target angle [degrees]
  double berylliumMm = 3;              /// inherent window [mm Be]
  double aluminiumEquivalentMm = 5;    /// inherent aluminium equivalent [mm Al]
  double addedAluminiumMm = 0;         /// added aluminium [mm Al]
  double addedCopperMm = 0;            /// added copper [mm Cu]
  /// the target's material (not a main-window entry: the command line and Python choose it)
  TargetMaterial target = TargetMaterial::Tungsten;
  /// false: bremsstrahlung alone, without the characteristic lines (physics model only)
  bool characteristicLines = true;
  /// the point's direction off the central ray (off_axis.h): along the anode-cathode axis, positive
  /// towards the cathode, and across it; 0 and 0 is the central ray [degrees]
  double offAxisAlongDegrees = 0;
  double offAxisAcrossDegrees = 0;
  /// a transmission target (physics model, tungsten) instead of the thick reflection target;
  /// layerUm 0, the default, is the reflection target at the target angle
  TransmissionTarget transmission;
};

/// the entries as numbers after the run's corrections
struct RunInputs {
  double kVp = 0;                 /// peak tube voltage inside the model's range [kV]
  double targetAngleDegrees = 0;  /// target angle [degrees]
  FilterSet filters;              /// thicknesses [cm]
  TargetMaterial target = TargetMaterial::Tungsten;  /// as entered
  bool characteristicLines = true;                   /// as entered
  double offAxisAlongDegrees = 0;                    /// as entered [degrees]
  double offAxisAcrossDegrees = 0;                   /// as entered [degrees]
  TransmissionTarget transmission;                   /// as entered
  /// the range's end ("300" or "30") when the voltage was corrected: the text to write back into Text1
  std::optional<std::string> tubeVoltageText;
  /// true when the inherent filtration was replaced: Text2 shows "0", Text13 "0.5"
  bool inherentFiltrationReplaced = false;
};

/// why a run is refused
enum class RunRefusal {
  NoTable,             // no attenuation table is loaded
  VoltageOutOfRange,   // value: the tube voltage [kV]
  TargetAngle,         // value: the target angle [degrees]
  NotFinite,           // value: the first photon energy where the spectrum is not finite [keV]
  EverythingAbsorbed,  // the filtered spectrum is zero everywhere
  Transmission,        // value: the layer [um]; the transmission target cannot be computed (TransmissionRefusal)
};

/// A run that cannot be computed; the text is a clear message for the user, reason and value
/// let a front end word it in its own language.
class RunError : public std::runtime_error {
 public:
  RunError(RunRefusal reason, double value, const std::string& message)
      : std::runtime_error(message), reason_(reason), value_(value) {}
  RunRefusal Reason() const { return reason_; }
  /// the quantity named by the reason (voltage, angle or energy), 0 when it names none
  double Value() const { return value_; }

 private:
  RunRefusal reason_;
  double value_;
};

/// Applies the run's silent corrections to the entries and converts them to the model's units:
/// a voltage above the model's range becomes its highest voltage, one at or below its lowest (or
/// not a number) the lowest (the range of ModelVoltageRange with the entries' transmission target:
/// 20 to 300 kV for a transmission target of the physics model); when the
/// inherent window plus aluminium equivalent is <= 0 (Tucker) or < 0 (Birch) they become 0 mm Be
/// and 0.5 mm Al.
RunInputs CorrectRunEntries(const RunEntries& entries, SpectrumModel model);

/// 1 / sin(angle) with the calculation's own degree conversion; throws RunError when the
/// sine is not positive or the result is not finite.
double CosecantOfTargetAngle(double degrees);

/// Clears SpectrumBins, synthesizes the photon-number spectrum and finds SpectrumPeak.
/// A transmission target (inputs.transmission.IsTransmission()) is computed by
/// TransmissionEmissionModel (transmission_emission.h): the target angle is not used, a point off
/// the central ray lengthens every path by 1 / cos psi (TransmissionPathFactor), and a target that
/// TransmissionRefusal refuses throws RunError with RunRefusal::Transmission.
/// Throws RunError when no table is loaded, kVp lies outside the model's range, the angle is refused,
/// the peak is 0 (everything absorbed) or a bin, or its exposure or energy, is not finite;
/// SpectrumBins and SpectrumPeak then keep the last run's values and nothing else changes (apart
/// from the scratch PhaseEmission).
void ComputePhotonSpectrum(const RunInputs& inputs, SpectrumModel model, RectificationType type,
                           CalculationState& state);

/// SpectrumBins(i) / SpectrumPeak for i = 1..600 (index 0 unused), 0 outside bins
/// 2..floor(2 kVp) and when the peak is 0 [relative].
std::array<double, kExchangeLast + 1> RelativePhotonSpectrum(const CalculationState& state, double kVp);
/// The same on the whole grid, bins 1..1000: SpectrumBins(i) / SpectrumPeak for i = 2..floor(2 kVp);
/// at or below 300 kV bins 1..600 equal RelativePhotonSpectrum's and the rest are 0 [relative].
GridArray RelativePhotonSpectrumOnGrid(const CalculationState& state, double kVp);

/// Converts the photon-number spectrum in SpectrumBins (bins 2..floor(2 kVp)) in place to
/// `quantity` (exposure: x E x muEnAir; energy: x E) and recomputes SpectrumPeak for a
/// conversion; photon number leaves both unchanged.
void ApplyDisplayQuantity(DisplayQuantity quantity, double kVp, CalculationState& state);

/// Largest value of `bins` over 2..floor(2 kVp), scanning from 0 (ties keep the earlier value).
double FindSpectrumPeak(const GridArray& bins, double kVp);

}  // namespace kestrix
