#pragma once
// The command line of kestrix-cli: options that mirror the main window, output choices,
// and a tube-voltage sweep. Numbers are checked strictly here; the calculation's own
// corrections (voltage limits, inherent filtration) are applied later by the run.

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "beam_settings.h"
#include "entry_texts.h"
#include "filtration_fit.h"
#include "model_codes.h"
#include "radiation_quality.h"
#include "tube_fit.h"
#include "uncertainty_run.h"
#include "export_table.h"
#include "monte_carlo_source.h"

namespace kestrix {

/// A command line that cannot be used; the text says which option and why.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// --sweep FROM:TO:STEP over the tube voltage [kV].
struct VoltageSweep {
  double fromKV = 0;
  double toKV = 0;
  double stepKV = 0;
  /// FROM, FROM + STEP, ... up to TO (TO included when it lies on the grid), each rounded to 1e-9 kV
  std::vector<double> Voltages() const;
};

/// most runs one sweep may ask for
constexpr int kMaximumSweepRuns = 10000;

/// --detector MATERIAL:MM[,THRESHOLD]: a detector layer behind the beam.
struct DetectorOption {
  std::string material;               /// as given: a delivered name ("CsI") or a material file
  std::string path;                   /// the material file found for it
  double thicknessMm = 0;             /// [mm]
  std::optional<double> thresholdKeV;  /// [keV]
};

struct CliOptions {
  SpectrumModel model = SpectrumModel::Tucker;
  /// the six entries of the main window as typed on the command line (checked to be whole numbers):
  /// tube voltage [kV], target angle [degrees], Be window, Al equivalent, added Al, added Cu [mm]
  RunInputTexts entries{"200", "20", "3", "5", "0", "0"};
  RectificationType waveform = RectificationType::ConstantPotential;
  DisplayQuantity quantity = DisplayQuantity::PhotonNumber;
  std::vector<FilterRequest> filters;
  std::string attenuationTablePath = kAttenuationTableFile;
  bool attenuationTableGiven = false;  /// --table given: no other folder is searched
  /// RadiationQualities.tsv as the run finds it: beside --table, else in the working folder or the
  /// delivered data
  std::string qualitiesPath = kRadiationQualitiesFile;
  SpectrumTableOptions tableOptions;

  bool printTable = true;    /// false with --no-table
  bool printFigures = true;  /// false with --no-figures
  bool json = false;
  std::optional<std::string> exchangeFolder;  /// --exchange DIR
  std::optional<std::string> savePath;        /// --save FILE: the export table with CR LF line ends
  std::optional<VoltageSweep> sweep;
  /// --distance MM: distance from the focal spot of the absolute output [mm]
  double distanceMm = 1000;
  /// --normalise per-mas: the table in photons per keV per mm2 per mAs at the distance
  bool perMas = false;
  bool help = false;
  bool version = false;  /// --version
  /// --fit ENTRY with --target-hvl-al MM or --target-hvl-cu MM
  std::optional<FitRequest> fit;
  /// --quality NAME: a standard radiation quality from the table beside the attenuation table
  std::optional<std::string> quality;
  bool listQualities = false;  /// --list-qualities
  bool listModels = false;     /// --list-models
  /// --be or --al-eq given (an N or H quality sets both itself)
  bool inherentFiltrationGiven = false;
  bool targetGiven = false;  /// --target was given (a quality's own target may not be contradicted)
  /// --csv: the figures (of a sweep, a single run, or the list of qualities) as a plain comma-separated
  /// table with a header row of the JSON keys
  bool csv = false;
  /// --header: '#' lines describing the beam before the table on standard output and in --save
  bool header = false;
  /// --fit-tube FILE: measured layers (CSV) that the --vary inputs are fitted to
  std::optional<std::string> tubeMeasurementsPath;
  std::vector<TubeInput> varied;  /// --vary al-eq,angle
  /// --uncertainty-percent P: the measurements' relative standard uncertainty [%], for the fit's warning
  std::optional<double> tubeUncertaintyPercent;
  bool voltageGiven = false;      /// --kv given
  /// --export FORMAT: --save writes the photon spectrum as a Monte Carlo code's source instead of the table
  std::optional<SourceFormat> exportFormat;
  /// --spectrum FILE: the figures of a measured spectrum (energy_keV,value rows) instead of a model beam
  std::optional<std::string> measuredPath;
  TargetMaterial target = TargetMaterial::Tungsten;  /// --target W|Mo|Rh|Ag|Au
  bool characteristicLines = true;                   /// false with --no-lines
  std::optional<DetectorOption> detector;
  /// --uncertainty kv=1.5,al-eq=0.1,angle=1[,samples=N,seed=S]
  std::optional<UncertaintyRequest> uncertainty;
  /// DetectorFluorescence.tsv as found for the detector (working folder, else the delivered data)
  std::string detectorFluorescencePath;
  /// --off-axis ALONG[,ACROSS]: the point's angles off the central ray [degrees]
  double offAxisAlongDegrees = 0;
  double offAxisAcrossDegrees = 0;
  /// --target-thickness UM with --target-window MATERIAL:MM: a transmission target (layerUm 0: the
  /// reflection target at --angle)
  TransmissionTarget transmission;
};

/// The settings of the command line's single run: its typed entries read as the main window reads them.
RunSettings SettingsFor(const CliOptions& options);

/// Reads the arguments after the program name. Throws UsageError for an unknown option, a missing
/// or bad value, a number that is not wholly a number, a negative thickness (--be, --al-eq, --al,
/// --cu, --filter), an option given twice, more than three filters, a --kv or a sweep that reaches
/// outside the model's tube-voltage range, or options that cannot go together (--sweep with --kv,
/// --exchange, --save, --fit, --fit-tube, --header or --list-qualities; a transmission target
/// (--target-thickness, --target-window) without the other option, with --angle, --off-axis,
/// --quality, --spectrum, an angle to fit or sample, or one TransmissionTubeRefusal refuses; --csv with --json or
/// --no-figures; --quality with --fit, --kv, --al or --cu; --fit without exactly one target layer,
/// a target without --fit; --fit-tube without --vary or the other way round, or with --sweep,
/// --fit, --quality or --list-qualities).
CliOptions ParseCommandLine(const std::vector<std::string>& arguments);

/// lowest and highest tube voltage the model computes [kV] (ModelVoltageRange); a single run
/// or a sweep with a voltage outside is refused
std::pair<double, double> TubeVoltageRange(SpectrumModel model);

/// The --help text: every option with its unit and default.
std::string UsageText();

}  // namespace kestrix
