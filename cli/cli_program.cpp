#include "cli_program.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <optional>
#include <sstream>

#include "atomic_file.h"
#include "batch_run.h"
#include "exchange_folder.h"
#include "cli_options.h"
#include "detector_run.h"
#include "file_system.h"
#include "json_report.h"
#include "kestrix_version.h"
#include "text_report.h"

namespace kestrix {
namespace {

constexpr const char* kProgram = "kestrix-cli: ";

void ReportCorrections(std::ostream& err, const RunOutcome& outcome) {
  for (const std::string& correction : outcome.corrections) err << kProgram << "corrected: " << correction << '\n';
}

std::string QualitiesPath(const CliOptions& options) {
  return DataFileBeside(options.attenuationTablePath, kRadiationQualitiesFile);
}

// The files this run reads or writes besides the saved table, each with what it is to the run.
std::vector<std::pair<std::string, std::string>> FilesOfTheRun(const CliOptions& options,
                                                                const std::vector<LoadedFilter>& filters,
                                                                bool qualityRead) {
  std::vector<std::pair<std::string, std::string>> files{{options.attenuationTablePath, "the attenuation table"}};
  for (const LoadedFilter& filter : filters) files.emplace_back(filter.path, "a material file");
  if (qualityRead) files.emplace_back(QualitiesPath(options), "the table of radiation qualities");
  if (options.detector) {
    files.emplace_back(options.detector->path, "the detector's material file");
    files.emplace_back(options.detectorFluorescencePath, "the detectors' fluorescence table");
  }
  if (options.exchangeFolder) {
    for (const char* name : {kSpectrumExchangeFile, kResultFile}) {
      files.emplace_back(ExchangePath(*options.exchangeFolder, name), std::string("the exchange file ") + name);
    }
  }
  return files;
}

// Writes every file the run asks for, or none: the table and the exchange files are all written to
// temporary files before any is replaced, so a failure leaves every earlier file as it was.
void SaveOutputs(const CliOptions& options, const RunOutcome& outcome, const std::vector<LoadedFilter>& filters,
                 bool qualityRead) {
  std::vector<FileContent> table;
  if (options.savePath) {
    for (const auto& [path, role] : FilesOfTheRun(options, filters, qualityRead)) {
      if (SameFile(*options.savePath, path)) {
        throw UsageError("option --save: \"" + *options.savePath + "\" is " + role +
                         " of this run; choose another file");
      }
    }
    std::ostringstream text(std::ios::binary);
    if (options.header) WriteSpectrumHeader(text, options, filters, outcome, "\r\n");
    WriteSpectrumTable(text, TableOf(outcome, options));
    CheckSaveTarget(*options.savePath);
    table.push_back({*options.savePath, text.str()});
  }
  if (options.exchangeFolder) {
    SaveExchangeFiles(*options.exchangeFolder, outcome, table);
  } else if (!table.empty()) {
    SaveFilesTogether(table);
  }
}

int ListQualities(const CliOptions& options, std::ostream& out) {
  const std::string path = QualitiesPath(options);
  const std::vector<RadiationQuality> qualities = LoadRadiationQualities(path);
  std::ostringstream report;
  if (options.json) {
    WriteQualityListJson(report, path, qualities);
  } else {
    WriteQualityList(report, path, qualities);
  }
  out << report.str();
  return kExitSuccess;
}

/// The quality the command line names with the material filters it adds; throws UsageError for an
/// unknown name or an inherent filtration given for a quality that sets its own.
QualityPlan PlanFromCommandLine(const CliOptions& options) {
  const std::vector<RadiationQuality> qualities = LoadRadiationQualities(QualitiesPath(options));
  const RadiationQuality* quality = FindRadiationQuality(qualities, *options.quality);
  if (quality == nullptr) {
    throw UsageError("option --quality: \"" + *options.quality + "\" is not a quality of " + QualitiesPath(options) +
                     " (see --list-qualities)");
  }
  if (!quality->nominalHvl1AlMm && options.inherentFiltrationGiven) {
    throw UsageError("option --quality " + quality->name +
                     " sets the inherent filtration itself: leave out --be and --al-eq");
  }
  return PlanQuality(*quality, SettingsFor(options), options.filters, options.attenuationTablePath);
}

/// The tube fitted to the measurements of --fit-tube, at --kv or the highest measured voltage.
TubeFitOutcome FitTubeFromFile(const CliOptions& options, BatchRun& batch) {
  const std::string& path = *options.tubeMeasurementsPath;
  std::istringstream in;
  try {
    in = std::istringstream(ReadFileBytes(path), std::ios::binary);
  } catch (const FileSystemError& error) {
    throw TubeFitError(error.what());
  }
  const std::vector<TubeMeasurement> measurements = ReadTubeMeasurements(in, path);
  TubeFitOutcome tube =
      FitTubeInputs(batch, SettingsFor(options), measurements, options.varied, options.tubeUncertaintyPercent);
  double nominal = tube.settings.entries.tubeVoltageKV;
  if (!options.voltageGiven) {
    nominal = 0;
    for (const TubeMeasurement& measurement : measurements) nominal = std::max(nominal, measurement.tubeVoltageKV);
  }
  tube.settings = tube.SettingsAt(nominal);
  return tube;
}

int RunSingle(const CliOptions& options, BatchRun& batch, std::ostream& out, std::ostream& err,
              const std::optional<QualityPlan>& plan) {
  std::optional<QualityOutcome> realised;
  std::optional<FitOutcome> fitted;
  std::optional<TubeFitOutcome> tube;
  if (plan) {
    realised = RunQuality(batch, *plan);
    fitted = realised->fit;
  } else if (options.fit) {
    fitted = batch.Fit(SettingsFor(options), *options.fit);
  } else if (options.tubeMeasurementsPath) {
    tube = FitTubeFromFile(options, batch);
    for (const std::string& warning : tube->fit.warnings) err << kProgram << "warning: " << warning << '\n';
  }
  const RunOutcome outcome = realised ? realised->outcome
                             : fitted ? fitted->outcome
                             : tube   ? batch.Run(tube->settings)
                                      : batch.Run(SettingsFor(options));
  ReportCorrections(err, outcome);
  if (!outcome.results && (options.printFigures || options.exchangeFolder)) {
    err << kProgram << "no beam-quality figures" << (options.exchangeFolder ? " and no HVL_S2.temp" : "") << ": "
        << outcome.engineError << '\n';
    return kExitFailure;
  }

  std::optional<DetectorOutcome> detector;
  if (options.detector && options.printFigures) {
    const DetectorLayer layer = LoadDetectorLayer(options.detector->path, options.detector->thicknessMm,
                                                  options.detector->thresholdKeV, options.detectorFluorescencePath);
    detector = ComputeDetectorOutcome(outcome, layer, options.detector->material, options.distanceMm);
  }
  std::optional<UncertaintyOutcome> uncertainty;
  if (options.uncertainty && options.printFigures) {
    const RunSettings used = realised ? realised->settings
                             : fitted ? fitted->settings
                             : tube   ? tube->settings
                                      : SettingsFor(options);
    uncertainty = SampleUncertainty(batch, used, *options.uncertainty);
  }
  const ReportExtras extras{fitted ? &*fitted : nullptr, plan ? &plan->quality : nullptr, tube ? &*tube : nullptr,
                            detector ? &*detector : nullptr, uncertainty ? &*uncertainty : nullptr};
  std::ostringstream report;
  if (options.json) {
    WriteJsonReport(report, options, batch.Filters(), outcome, extras);
  } else {
    WriteTextReport(report, options, batch.Filters(), outcome, extras);
  }
  SaveOutputs(options, outcome, batch.Filters(), plan.has_value());
  out << report.str();
  return kExitSuccess;
}

int RunSweep(const CliOptions& options, BatchRun& batch, std::ostream& out, std::ostream& err) {
  RunSettings settings = SettingsFor(options);
  std::vector<RunOutcome> outcomes;
  bool figuresMissing = false;
  for (const double kiloVolts : options.sweep->Voltages()) {
    settings.entries.tubeVoltageKV = kiloVolts;
    try {
      outcomes.push_back(batch.Run(settings));
    } catch (const std::exception& error) {
      throw std::runtime_error("at " + VoltageText(kiloVolts) + " kV: " + error.what());
    }
    ReportCorrections(err, outcomes.back());
    if (!outcomes.back().results) {
      err << kProgram << "no beam-quality figures at " << VoltageText(kiloVolts)
          << " kV: " << outcomes.back().engineError << '\n';
      figuresMissing = true;
    }
  }
  if (figuresMissing) return kExitFailure;
  std::ostringstream report;
  if (options.json) {
    WriteSweepJson(report, options, batch.Filters(), outcomes);
  } else if (options.csv) {
    WriteSweepCsv(report, outcomes);
  } else {
    WriteSweepText(report, options, batch.Filters(), outcomes);
  }
  out << report.str();
  return kExitSuccess;
}

/// path when it names a file in the working folder, else the file of that name in dataFolder when there
/// is one there (only for a bare name, without a folder), else path itself
std::string InWorkingOrDataFolder(const std::string& path, const std::string& dataFolder) {
  const std::filesystem::path name = std::filesystem::u8path(path);
  std::error_code error;
  if (dataFolder.empty() || name.has_parent_path() || name.is_absolute() ||
      std::filesystem::exists(name, error)) {
    return path;
  }
  const std::filesystem::path delivered = std::filesystem::u8path(dataFolder) / name;
  return std::filesystem::is_regular_file(delivered, error) ? delivered.u8string() : path;
}

/// The attenuation table (unless --table named one) and material files named without a folder, from
/// the working folder or else from the delivered data.
void FindDeliveredFiles(CliOptions& options, const std::string& dataFolder) {
  if (!options.attenuationTableGiven) {
    options.attenuationTablePath = InWorkingOrDataFolder(options.attenuationTablePath, dataFolder);
  }
  for (FilterRequest& filter : options.filters) filter.path = InWorkingOrDataFolder(filter.path, dataFolder);
  if (options.detector) {
    // a delivered name ("CsI") is its material file: in the working folder, the delivered data, or
    // beside the attenuation table
    const std::filesystem::path table = std::filesystem::u8path(options.attenuationTablePath);
    const std::string tableFolder = table.has_parent_path() ? table.parent_path().u8string() : std::string(".");
    std::string& path = options.detector->path;
    for (const std::string& folder : {std::string("."), dataFolder, tableFolder}) {
      if (path != options.detector->material || folder.empty()) continue;
      path = DetectorMaterialIn(path, folder);
    }
    if (path.rfind("./", 0) == 0) path.erase(0, 2);
    path = InWorkingOrDataFolder(path, dataFolder);
    std::string& fluorescence = options.detectorFluorescencePath;
    fluorescence = InWorkingOrDataFolder(kDetectorFluorescenceFile, dataFolder);
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::u8path(fluorescence), error)) {
      fluorescence = DataFileBeside(options.attenuationTablePath, kDetectorFluorescenceFile);
    }
  }
}

}  // namespace

std::string InstalledDataFolder(const std::string& programPath) {
  if (programPath.empty()) return std::string();
  const std::filesystem::path program = std::filesystem::u8path(programPath);
  return (program.parent_path().parent_path() / "share" / "kestrix").u8string();
}

int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                   const std::string& dataFolder) {
  CliOptions options;
  try {
    options = ParseCommandLine(arguments);
  } catch (const UsageError& error) {
    err << kProgram << PrintableText(error.what()) << "\nTry 'kestrix-cli --help' for the options.\n";
    return kExitUsage;
  }
  if (options.help) {
    out << UsageText();
    return kExitSuccess;
  }
  if (options.version) {
    out << "kestrix-cli " << kKestrixVersion << '\n';
    return kExitSuccess;
  }
  FindDeliveredFiles(options, dataFolder);
  try {
    if (options.listQualities) return ListQualities(options, out);
    std::optional<QualityPlan> plan;
    if (options.quality) plan = PlanFromCommandLine(options);
    BatchRun batch(options.attenuationTablePath, plan ? plan->filters : options.filters);
    return options.sweep ? RunSweep(options, batch, out, err) : RunSingle(options, batch, out, err, plan);
  } catch (const UsageError& error) {
    err << kProgram << PrintableText(error.what()) << "\nTry 'kestrix-cli --help' for the options.\n";
    return kExitUsage;
  } catch (const std::exception& error) {
    err << kProgram << PrintableText(error.what()) << '\n';
    return kExitFailure;
  }
}

}  // namespace kestrix
