#pragma once
// The five beam-quality figures of the engine, named and formatted alike for every output.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "batch_run.h"
#include "measured_spectrum.h"
#include "detector_run.h"
#include "uncertainty_run.h"

namespace kestrix {

/// One line of HVL_S2.temp.
struct FigureField {
  const char* label;  /// e.g. "HVL Al [mm]"
  const char* key;    /// JSON key, e.g. "hvl_al_mm"
  int width;          /// field width in the result file
  int decimals;       /// decimals in the result file
};

/// The five figures in result-file order: HVL Al [mm], effective energy Al [keV], HVL Cu [mm],
/// effective energy Cu [keV], photons per mm2 per C/kg.
const std::vector<FigureField>& FigureFields();

/// The value of figure `field` (index into FigureFields), nullopt for a field of asterisks
/// or when the engine gave no results.
std::optional<double> FigureValue(const RunOutcome& outcome, std::size_t field);

/// The value as the result file writes it, without its leading blanks ("0.947", "1234567890123");
/// asterisks of the field's width when there is none.
std::string FigureText(const std::optional<double>& value, const FigureField& field);

/// Why figure `field` of outcome has no value (only meaningful when FigureValue is nullopt).
std::string MissingFigureReason(const RunOutcome& outcome, std::size_t field);

/// Extended figure `figure` (an ExtendedFigure) rounded to its field's decimals, or "none".
std::string ExtendedFigureText(const ExtendedBeamQuality& extended, std::size_t figure);

/// What a report tells beyond the run itself: the fit that chose a thickness, the quality that
/// set the inputs (either may be absent).
struct ReportExtras {
  const FitOutcome* fit = nullptr;
  const RadiationQuality* quality = nullptr;
  const TubeFitOutcome* tubeFit = nullptr;
  const DetectorOutcome* detector = nullptr;
  const UncertaintyOutcome* uncertainty = nullptr;
  const MeasuredSpectrum* measured = nullptr;  /// the run is of this spectrum, not of a model
};

/// "measured spectrum m.csv: 600 rows from 0.5 to 300 keV, on the 0.5 keV grid"
std::string MeasuredDescription(const MeasuredSpectrum& measured);

/// "al_eq 2.70001 +/- 0.012 mm, angle 12.0001 +/- 0.31 degrees from 6 layers at 60, 80, 100 kV: rms
/// deviation 0.0001 %" (each standard uncertainty to two digits, when there is one) and, when the fit
/// ended on a bound, why
std::string TubeFitDescription(const TubeFitOutcome& tube);

/// "60 kV hvl1_al_mm: measured 2.1 mm, fitted 2.10001 mm (+0.0005 %)"
std::string TubeResidualDescription(const TubeResidual& residual);

/// unit word of a tube input: "mm", "degrees" or "kV"
const char* TubeInputUnit(TubeInput input);

/// "added aluminium 1.234 mm gives HVL1 2.5800 mm Al (target 2.58 mm Al)"
std::string FitDescription(const FitOutcome& fit);

/// "RQR5 (IEC 61267): 70 kV, added aluminium fitted to the nominal HVL1 2.58 mm Al" or
/// "N-100 (ISO 4037): 100 kV, 1 mm Be, 4 mm Al, added Cu 5 mm" or "RQA5 (IEC 61267): 70 kV, RQR5
/// (added aluminium fitted to its nominal HVL1 2.58 mm Al) then added Al 21 mm, nominal HVL1 6.8 mm Al"
std::string QualityDescription(const RadiationQuality& quality);

/// The first half-value layer of outcome beside the quality's nominal one (which it must have):
/// "6.7123 mm Al, nominal 6.8 mm Al (-1.3 %)"
std::string NominalComparison(const RadiationQuality& quality, const RunOutcome& outcome);

/// One published figure of a quality beside the realised beam's.
struct QualityDeviation {
  ExtendedFigure figure = kHvl1Al;
  double nominal = 0;               /// the published value, in the figure's unit
  std::optional<double> reached;    /// the beam's value; nullopt where it has none
  std::string missing;              /// why the beam has none (empty when it has one)
  std::optional<double> deviationPercent;  /// 100 (reached / nominal - 1) [%]
};

/// Every published figure of quality (its nominal HVL1, then its nominal figures) against outcome.
std::vector<QualityDeviation> QualityDeviations(const RadiationQuality& quality, const RunOutcome& outcome);

/// The numbers of a deviation as every text output prints them, without units.
struct DeviationTexts {
  std::string reached;  /// the beam's value to its figure's decimals ("0.27123"), empty where it has none
  std::string nominal;  /// the published value in its shortest form ("0.271")
  std::string percent;  /// the deviation signed to one decimal ("+0.1", "-0.8") [%], empty where there is none
};
/// the numbers of deviation as DeviationDescription and kestrix-cli's text report print them
DeviationTexts DeviationTextsOf(const QualityDeviation& deviation);

/// "HVL2 Cu: 0.27123 mm, nominal 0.271 mm (+0.1 %)" or "mean energy: 47.51 keV, nominal 47.9 keV (-0.8 %)"
std::string DeviationDescription(const QualityDeviation& deviation);

}  // namespace kestrix
