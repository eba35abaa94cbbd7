#pragma once
// Commissioning a tube model from measured half-value layers: up to three of the inherent aluminium
// equivalent, the added aluminium, the added copper, the target angle and the generator's tube-voltage
// offset are adjusted so that the beams at the measured tube voltages give the measured layers, by
// least squares on the relative deviations (Levenberg-Marquardt, kept inside each input's bounds),
// with each fitted input's standard uncertainty from the residuals.

#include <array>
#include <functional>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "beam_quality.h"

namespace kestrix {

/// An input of the beam that a commissioning fit can adjust.
enum class TubeInput : std::size_t {
  InherentAluminiumEquivalent,  /// [mm Al]
  AddedAluminium,               /// [mm Al]
  AddedCopper,                  /// [mm Cu]
  TargetAngle,                  /// [degrees]
  /// the generator's deviation from the nominal tube voltage: a beam measured at nominal U is
  /// computed at U + offset [kV]
  KvOffset,
  Count
};
constexpr std::size_t kTubeInputCount = static_cast<std::size_t>(TubeInput::Count);

/// Values of the inputs, indexed by TubeInput: al_eq [mm], al [mm], cu [mm], angle [degrees],
/// kv_offset [kV].
using TubeInputValues = std::array<double, kTubeInputCount>;

/// "al_eq", "al", "cu", "angle", "kv_offset": the words the front ends use
const char* TubeInputKey(TubeInput input);
/// the input named key ("al_eq" or "al-eq", "al", "cu", "angle", "kv_offset" or "kv-offset");
/// nullopt for another word
std::optional<TubeInput> TubeInputNamed(const std::string& key);
/// lowest and highest value the fit may give the input: thicknesses 0 to 100 mm, the angle 1 to
/// 90 degrees, the voltage offset -30 to +30 kV
std::array<double, 2> TubeInputBounds(TubeInput input);

/// thinnest measured layer a fit takes [mm]: no beam of the models has a thinner half-value layer
/// in aluminium or copper, and a thinner one is a mistyped value
constexpr double kThinnestMeasuredLayerMm = 1e-4;
/// most evaluations of all the measured beams one fit makes before it stops unconverged
constexpr int kMaximumTubeFitEvaluations = 60;

/// The layers a measurement can hold, as ExtendedFigure positions: HVL1 and HVL2 in Al and Cu.
constexpr std::array<ExtendedFigure, 4> kMeasurableFigures{kHvl1Al, kHvl2Al, kHvl1Cu, kHvl2Cu};

/// Layers measured at one tube voltage.
struct TubeMeasurement {
  double tubeVoltageKV = 0;  /// [kV]
  /// measured layer per kMeasurableFigures entry [mm]; nullopt: not measured
  std::array<std::optional<double>, kMeasurableFigures.size()> layersMm{};
};

/// Measurements, or a fit, that cannot be used; the text says which and why.
class TubeFitError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Reads measurements as comma-separated text: a header row of column names, "kv" and any of
/// "hvl1_al_mm", "hvl2_al_mm", "hvl1_cu_mm", "hvl2_cu_mm" in any order and in any case ("kV",
/// "HVL1_Al_mm"), then one row per tube voltage [kV] with the layers [mm]; an empty field is a
/// layer not measured. A UTF-8 byte-order mark at the start, blank lines and lines starting with
/// '#' are skipped; CR LF and LF alike. Throws TubeFitError naming sourceName and the line for an
/// unknown or repeated column, a missing kv column, a wrong field count, a value that is not
/// wholly a positive number, a layer thinner than kThinnestMeasuredLayerMm or thicker than
/// kThickestLayerMm, a row without any layer, or no rows at all.
std::vector<TubeMeasurement> ReadTubeMeasurements(std::istream& in, const std::string& sourceName);

/// The extended figures of the beam with the given inputs at tubeVoltageKV [kV]; nullopt when that
/// beam cannot be computed (everything absorbed).
using TubeFigures = std::function<std::optional<ExtendedBeamQuality>(const TubeInputValues& inputs, double tubeVoltageKV)>;

/// What to fit: the measurements, the adjusted inputs and where they start.
struct TubeFitRequest {
  std::vector<TubeMeasurement> measurements;
  std::vector<TubeInput> varied;  /// one to three distinct inputs
  TubeInputValues start{};        /// all inputs; the others keep these values
  /// the measurements' own relative standard uncertainty [%]; a fit whose rms deviation exceeds it
  /// says so in its warnings
  std::optional<double> uncertaintyPercent;
};

/// The deviation of one measured layer from the fitted beam's.
struct TubeResidual {
  double tubeVoltageKV = 0;     /// [kV]
  ExtendedFigure figure = kHvl1Al;
  double measuredMm = 0;        /// [mm]
  double computedMm = 0;        /// the fitted beam's layer [mm]
  double deviationPercent = 0;  /// 100 (computed / measured - 1), to kFigureSignificantDigits [%]
};

struct TubeFit {
  TubeInputValues inputs{};              /// all inputs, the varied ones fitted (to 1e-6 of their unit)
  std::vector<TubeResidual> residuals;   /// per measurement, per measured layer, in reading order
  double rmsDeviationPercent = 0;        /// root mean square of the deviations, to kFigureSignificantDigits [%]
  int iterations = 0;                    /// Levenberg-Marquardt steps taken
  int evaluations = 0;                   /// evaluations of all the measured beams
  /// false when the fit stopped after kMaximumTubeFitEvaluations before its steps became negligible
  bool converged = true;
  /// true when a varied input ended on one of its bounds (the measurements want it beyond)
  bool atBound = false;
  /// per varied input, in request order: true when it ended on one of its bounds
  std::vector<bool> inputAtBound;
  /// per varied input, in request order: its standard uncertainty in its unit, s sqrt((J^T J)^-1)_kk
  /// with J the Jacobian of the relative deviations at the solution and s^2 the sum of squared
  /// deviations over (layers - inputs); nullopt when there are no more layers than inputs or J^T J
  /// is singular (the measurements do not fix the input)
  std::vector<std::optional<double>> uncertainties;
  /// why an uncertainty is missing (empty when all are given)
  std::string uncertaintyMissing;
  /// sentences for the user: a fit that did not converge, inputs on their bounds, an rms deviation
  /// beyond the measurements' stated uncertainty
  std::vector<std::string> warnings;
};

/// Fits request.varied so that the relative deviations of every measured layer have the least sum
/// of squares. `nearby`, when given, computes the figures of inputs a small step (a Jacobian step)
/// from those `figures` was last called with, and may do so more cheaply; it must agree with
/// `figures` to rounding. Throws TubeFitError for no varied input, more than three or a repeated
/// one, a start outside an input's bounds, a measured layer outside kThinnestMeasuredLayerMm to
/// kThickestLayerMm, a stated uncertainty that is not positive, fewer measured layers than varied
/// inputs, or a start whose beam has a measured layer missing (the text names the voltage and the
/// reason).
TubeFit FitTube(const TubeFitRequest& request, const TubeFigures& figures, const TubeFigures* nearby = nullptr);

}  // namespace kestrix
