#pragma once
// Commissioning a tube model from measured half-value layers: up to three of the inherent aluminium
// equivalent, the added aluminium, the added copper and the target angle are adjusted so that the
// beams at the measured tube voltages give the measured layers, by least squares on the relative
// deviations (Levenberg-Marquardt, kept inside each input's bounds).

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
  Count
};
constexpr std::size_t kTubeInputCount = static_cast<std::size_t>(TubeInput::Count);

/// Values of the four inputs, indexed by TubeInput: al_eq [mm], al [mm], cu [mm], angle [degrees].
using TubeInputValues = std::array<double, kTubeInputCount>;

/// "al_eq", "al", "cu", "angle": the words the front ends use
const char* TubeInputKey(TubeInput input);
/// the input named key ("al_eq" or "al-eq", "al", "cu", "angle"); nullopt for another word
std::optional<TubeInput> TubeInputNamed(const std::string& key);
/// lowest and highest value the fit may give the input: thicknesses 0 to 100 mm, the angle 1 to
/// 90 degrees
std::array<double, 2> TubeInputBounds(TubeInput input);

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
/// "hvl1_al_mm", "hvl2_al_mm", "hvl1_cu_mm", "hvl2_cu_mm" in any order, then one row per tube
/// voltage [kV] with the layers [mm]; an empty field is a layer not measured. Blank lines and
/// lines starting with '#' are skipped; CR LF and LF alike. Throws TubeFitError naming sourceName
/// and the line for an unknown or repeated column, a missing kv column, a wrong field count, a
/// value that is not wholly a positive number, a row without any layer, or no rows at all.
std::vector<TubeMeasurement> ReadTubeMeasurements(std::istream& in, const std::string& sourceName);

/// The extended figures of the beam with the given inputs at tubeVoltageKV [kV]; nullopt when that
/// beam cannot be computed (everything absorbed).
using TubeFigures = std::function<std::optional<ExtendedBeamQuality>(const TubeInputValues& inputs, double tubeVoltageKV)>;

/// What to fit: the measurements, the adjusted inputs and where they start.
struct TubeFitRequest {
  std::vector<TubeMeasurement> measurements;
  std::vector<TubeInput> varied;  /// one to three distinct inputs
  TubeInputValues start{};        /// all four inputs; the others keep these values
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
  TubeInputValues inputs{};              /// all four, the varied ones fitted (to 1e-6 of their unit)
  std::vector<TubeResidual> residuals;   /// per measurement, per measured layer, in reading order
  double rmsDeviationPercent = 0;        /// root mean square of the deviations, to kFigureSignificantDigits [%]
  int iterations = 0;                    /// Levenberg-Marquardt steps taken
  /// true when a varied input ended on one of its bounds (the measurements want it beyond)
  bool atBound = false;
};

/// Fits request.varied so that the relative deviations of every measured layer have the least sum
/// of squares. Throws TubeFitError for no varied input, more than three or a repeated one, a start
/// outside an input's bounds, fewer measured layers than varied inputs, or a start whose beam has
/// a measured layer missing (the text names the voltage and the reason).
TubeFit FitTube(const TubeFitRequest& request, const TubeFigures& figures);

}  // namespace kestrix
