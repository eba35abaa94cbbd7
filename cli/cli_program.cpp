#include "cli_program.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <optional>
#include <sstream>

#include "atomic_file.h"
#include "batch_run.h"
#include "beam_inputs.h"
#include "exchange_folder.h"
#include "cli_options.h"
#include "data_files.h"
#include "data_folder.h"
#include "detector_run.h"
#include "file_system.h"
#include "json_report.h"
#include "measured_spectrum.h"
#include "monte_carlo_source.h"
#include "kestrix_version.h"
#include "message_text.h"
#include "model_list.h"
#include "text_report.h"

namespace kestrix {
namespace {

constexpr const char* kProgram = "kestrix-cli: ";

void ReportCorrections(std::ostream& err, const RunOutcome& outcome) {
  for (const std::string& correction : outcome.corrections) err << kProgram << "corrected: " << correction << '\n';
}

const std::string& QualitiesPath(const CliOptions& options) { return options.qualitiesPath; }

// The files this run reads or writes besides the saved table, each with what it is to the run.
std::vector<std::pair<std::string, std::string>> FilesOfTheRun(const CliOptions& options,
                                                                const std::vector<LoadedFilter>& filters,
                                                                bool qualityRead) {
  std::vector<std::pair<std::string, std::string>> files{{options.attenuationTablePath, "the attenuation table"}};
  for (const LoadedFilter& filter : filters) files.emplace_back(filter.path, "a material file");
  if (qualityRead) files.emplace_back(QualitiesPath(options), "the table of radiation qualities");
  if (options.tubeMeasurementsPath) files.emplace_back(*options.tubeMeasurementsPath, "the measured layers (--fit-tube)");
  if (options.measuredPath) files.emplace_back(*options.measuredPath, "the measured spectrum");
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
// temporary files before any is replaced, so a failure leaves every earlier file as it was. Returns
// the paths saved.
std::vector<std::string> SaveOutputs(const CliOptions& options, const RunOutcome& outcome,
                                     const std::vector<LoadedFilter>& filters, bool qualityRead) {
  std::vector<FileContent> table;
  if (options.savePath) {
    for (const auto& [path, role] : FilesOfTheRun(options, filters, qualityRead)) {
      if (SameFile(*options.savePath, path)) {
        throw UsageError("option --save: " + QuotedExcerpt(*options.savePath) + " is " + role +
                         " of this run; choose another file");
      }
    }
    std::ostringstream text(std::ios::binary);
    if (options.exportFormat) {
      const std::string beam = options.measuredPath ? "measured spectrum " + *options.measuredPath
                                                    : SourceTitle(DescriptionOf(options, filters, outcome));
      WriteSource(text, *options.exportFormat, SourceOf(outcome, options.model), "kestrix-cli: " + beam);
    } else {
      if (options.header) WriteSpectrumHeader(text, options, filters, outcome, "\r\n");
      WriteSpectrumTable(text, TableOf(outcome, options));
    }
    CheckSaveTarget(*options.savePath);
    table.push_back({*options.savePath, text.str()});
  }
  std::vector<std::string> saved;
  if (options.exchangeFolder) {
    saved = SaveExchangeFiles(*options.exchangeFolder, outcome, table);
  } else if (!table.empty()) {
    SaveFilesTogether(table);
  }
  if (options.savePath) saved.push_back(*options.savePath);
  return saved;
}

/// Hands the report to out; when out fails (a full disk, a closed pipe) the message names the files
/// that were saved all the same. Returns the exit status.
int PrintReport(const std::string& report, const std::vector<std::string>& saved, std::ostream& out,
                std::ostream& err) {
  out << report;
  out.flush();
  if (out) return kExitSuccess;
  err << kProgram << "the output could not be written";
  if (!saved.empty()) {
    err << "; these files were saved before:";
    for (const std::string& path : saved) err << ' ' << QuotedExcerpt(path);
  }
  err << '\n';
  return kExitFailure;
}

int ListQualities(const CliOptions& options, std::ostream& out, std::ostream& err) {
  const std::string path = QualitiesPath(options);
  const std::vector<RadiationQuality> qualities = LoadRadiationQualities(path);
  std::ostringstream report;
  if (options.json) {
    WriteQualityListJson(report, path, qualities);
  } else if (options.csv) {
    WriteQualityListCsv(report, qualities);
  } else {
    WriteQualityList(report, path, qualities);
  }
  return PrintReport(report.str(), {}, out, err);
}

/// The quality the command line names with the material filters it adds; throws UsageError for an
/// unknown name or an inherent filtration given for a quality that sets its own.
QualityPlan PlanFromCommandLine(const CliOptions& options, const std::string& dataFolder) {
  const std::vector<RadiationQuality> qualities = LoadRadiationQualities(QualitiesPath(options));
  const RadiationQuality* quality = FindRadiationQuality(qualities, *options.quality);
  if (quality == nullptr) {
    throw UsageError("option --quality: " + QuotedExcerpt(*options.quality) + " is not a quality of " + QualitiesPath(options) +
                     " (see --list-qualities)");
  }
  if (!quality->nominalHvl1AlMm && options.inherentFiltrationGiven) {
    throw UsageError("option --quality " + ExcerptText(quality->name) +
                     " sets the inherent filtration itself: leave out --be and --al-eq");
  }
  // the quality names its tube's target: another one given is a contradiction, tungsten too
  if (options.targetGiven && options.target != quality->target) {
    throw UsageError("option --quality " + ExcerptText(quality->name) + " has a " + TargetSymbol(quality->target) +
                     " target, not " + TargetSymbol(options.target) + ": leave out --target");
  }
  QualityPlan plan = PlanQuality(*quality, SettingsFor(options), options.filters, options.attenuationTablePath);
  // a single run at the quality's own voltage is refused outside the model's range, as --kv is (a
  // sweep checks its own voltages)
  if (!options.sweep) {
    if (const auto refusal = VoltageRefusal(quality->tubeVoltageKV, plan.settings.model, plan.settings.entries.target)) {
      throw UsageError("option --quality " + ExcerptText(quality->name) + ": " + *refusal);
    }
  }
  // the quality's own filters (Sn.ele, Pb.ele beside the table) are each found like a --filter
  for (std::size_t k = options.filters.size(); k < plan.filters.size(); ++k) {
    plan.filters[k].path = FindMaterialFile(plan.filters[k].path, dataFolder);
  }
  return plan;
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
  // above 300 kV there is no exchange file to save, and no engine figures: the report says why
  if (options.exchangeFolder && outcome.lastBin > kExchangeLast) {
    throw UsageError("option --exchange at " + VoltageText(outcome.used.tubeVoltageKV) + " kV: " + kBeyondExchangeReason);
  }
  if (!outcome.results && outcome.lastBin <= kExchangeLast && (options.printFigures || options.exchangeFolder)) {
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
  } else if (options.csv) {
    WriteSweepCsv(report, {outcome}, HasAbsoluteOutput(options));
  } else {
    WriteTextReport(report, options, batch.Filters(), outcome, extras);
  }
  const std::vector<std::string> saved = SaveOutputs(options, outcome, batch.Filters(), plan.has_value());
  return PrintReport(report.str(), saved, out, err);
}

/// The figures of the measured spectrum of --spectrum through the engine, reported as a run's.
int RunMeasured(const CliOptions& options, BatchRun& batch, std::ostream& out, std::ostream& err) {
  const MeasuredSpectrum measured = LoadMeasuredSpectrum(*options.measuredPath);
  const RunOutcome outcome = batch.Weigh(measured.photons);
  if (!outcome.results && (options.printFigures || options.exchangeFolder)) {
    err << kProgram << "no beam-quality figures" << (options.exchangeFolder ? " and no HVL_S2.temp" : "") << ": "
        << outcome.engineError << '\n';
    return kExitFailure;
  }
  ReportExtras extras;
  extras.measured = &measured;
  std::ostringstream report;
  if (options.json) {
    WriteJsonReport(report, options, batch.Filters(), outcome, extras);
  } else {
    WriteTextReport(report, options, batch.Filters(), outcome, extras);
  }
  const std::vector<std::string> saved = SaveOutputs(options, outcome, batch.Filters(), false);
  return PrintReport(report.str(), saved, out, err);
}

int RunSweep(const CliOptions& options, BatchRun& batch, std::ostream& out, std::ostream& err,
             const std::optional<QualityPlan>& plan) {
  // a quality's filtration at every voltage; one whose aluminium is fitted to its voltage has none
  if (plan && plan->quality.fittedHvl1AlMm) {
    throw UsageError("option --sweep: " + ExcerptText(plan->quality.name) +
                     " fits its added aluminium to its nominal layer at its own voltage, so it has no filtration to "
                     "sweep; a sweep takes the qualities of fixed filtration (N-..., H-...)");
  }
  RunSettings settings = plan ? plan->settings : SettingsFor(options);
  // the voltages against the range of the tube the quality set (the command line's were checked already)
  for (const double kiloVolts : options.sweep->Voltages()) {
    if (const auto refusal = VoltageRefusal(kiloVolts, settings.model, settings.entries.target)) {
      throw UsageError("option --sweep: " + *refusal);
    }
  }
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
    if (!outcomes.back().results && outcomes.back().lastBin <= kExchangeLast) {
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
    WriteSweepCsv(report, outcomes, HasAbsoluteOutput(options));
  } else {
    WriteSweepText(report, options, batch.Filters(), outcomes);
  }
  return PrintReport(report.str(), {}, out, err);
}

/// The attenuation table (unless --table named one), the table of qualities and the material files,
/// each from the working folder or else from the delivered data; a bare material name ("Sn", "PMMA")
/// is the delivered material file of that name.
void FindDeliveredFiles(CliOptions& options, const std::string& dataFolder) {
  if (!options.attenuationTableGiven) {
    options.attenuationTablePath = WorkingOrDeliveredFile(options.attenuationTablePath, dataFolder);
    options.qualitiesPath = WorkingOrDeliveredFile(kRadiationQualitiesFile, dataFolder);
  } else {
    options.qualitiesPath = DataFileBeside(options.attenuationTablePath, kRadiationQualitiesFile);
  }
  for (FilterRequest& filter : options.filters) filter.path = FindMaterialFile(filter.path, dataFolder);
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
    path = WorkingOrDeliveredFile(path, dataFolder);
    std::string& fluorescence = options.detectorFluorescencePath;
    fluorescence = WorkingOrDeliveredFile(kDetectorFluorescenceFile, dataFolder);
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::u8path(fluorescence), error)) {
      fluorescence = DataFileBeside(options.attenuationTablePath, kDetectorFluorescenceFile);
    }
  }
}

}  // namespace

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
  if (options.listModels) {
    options.json ? WriteModelListJson(out) : WriteModelList(out);
    return kExitSuccess;
  }
  FindDeliveredFiles(options, dataFolder);
  try {
    if (options.listQualities) return ListQualities(options, out, err);
    std::optional<QualityPlan> plan;
    if (options.quality) plan = PlanFromCommandLine(options, dataFolder);
    BatchRun batch(options.attenuationTablePath, plan ? plan->filters : options.filters);
    if (options.measuredPath) return RunMeasured(options, batch, out, err);
    return options.sweep ? RunSweep(options, batch, out, err, plan) : RunSingle(options, batch, out, err, plan);
  } catch (const UsageError& error) {
    err << kProgram << PrintableText(error.what()) << "\nTry 'kestrix-cli --help' for the options.\n";
    return kExitUsage;
  } catch (const std::exception& error) {
    err << kProgram << PrintableText(error.what()) << '\n';
    return kExitFailure;
  }
}

}  // namespace kestrix
