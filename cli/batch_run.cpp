#include "batch_run.h"

#include <filesystem>
#include <sstream>

#include "atomic_file.h"
#include "file_system.h"
#include "half_value_layer.h"
#include "input_number.h"
#include "json_writer.h"
#include "material_file.h"

namespace kestrix {
namespace {

std::string ModelName(SpectrumModel model) { return model == SpectrumModel::Tucker ? "Tucker's" : "Birch's"; }

std::vector<std::string> DescribeCorrections(const RunInputTexts& entries, const RunInputs& inputs,
                                             SpectrumModel model) {
  std::vector<std::string> corrections;
  // the desktop rewrites exactly 30 kV as "30" too; only a changed value is a correction
  const double typed = ParseLeadingNumber(entries.tubeVoltage);
  if (inputs.tubeVoltageText && typed != inputs.kVp) {
    const bool high = typed > kMaximumTubeVoltage;
    corrections.push_back("tube voltage " + ShortestDecimal(typed) + " kV is " +
                          (high ? "above 300 kV" : "at or below 30 kV") + ": " + *inputs.tubeVoltageText +
                          " kV used");
  }
  if (inputs.inherentFiltrationReplaced) {
    corrections.push_back("inherent filtration " + ShortestDecimal(ParseLeadingNumber(entries.beryllium)) +
                          " mm Be + " + ShortestDecimal(ParseLeadingNumber(entries.aluminiumEquivalent)) +
                          " mm Al eq. is not possible with " + ModelName(model) + " model (the sum must be " +
                          (model == SpectrumModel::Tucker ? "positive" : "zero or more") +
                          "): 0 mm Be and 0.5 mm Al eq. used");
  }
  return corrections;
}

UsedEntries EntriesUsed(const RunInputTexts& entries, const RunInputs& inputs) {
  UsedEntries used;
  used.tubeVoltageKV = inputs.kVp;
  used.targetAngleDegrees = inputs.targetAngleDegrees;
  used.berylliumMm = inputs.inherentFiltrationReplaced ? 0.0 : ParseLeadingNumber(entries.beryllium);
  used.aluminiumEquivalentMm =
      inputs.inherentFiltrationReplaced ? 0.5 : ParseLeadingNumber(entries.aluminiumEquivalent);
  used.addedAluminiumMm = ParseLeadingNumber(entries.addedAluminium);
  used.addedCopperMm = ParseLeadingNumber(entries.addedCopper);
  return used;
}

std::string ExchangeText(const ExchangeSpectrum& relative) {
  std::ostringstream out(std::ios::binary);
  WriteSpectrumExchange(out, relative);
  return out.str();
}

ExchangeSpectrum ReadBackAsExport(const std::string& text) {
  std::istringstream in(text, std::ios::binary);
  return ReadSpectrumExchangeList(in, kSpectrumExchangeFile);
}

EngineTable ReadEngineTableFile(const std::string& path) {
  std::istringstream in;
  try {
    in = std::istringstream(ReadFileBytes(path), std::ios::binary);
  } catch (const FileSystemError& error) {
    throw EngineInputError("cannot open " + path + " (" + error.reason() + ")");
  }
  return ReadEngineTable(in, path);
}

std::string InFolder(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

std::string VoltageText(double kiloVolts) { return ShortestDecimal(kiloVolts); }

BatchRun::BatchRun(const std::string& tablePath, const std::vector<FilterRequest>& filters) {
  state_.LoadAttenuationTable(tablePath);
  engineTable_ = ReadEngineTableFile(tablePath);
  for (const FilterRequest& request : filters) {
    const MaterialFile material = LoadMaterialFile(request.path);
    const GridArray coefficients = ArbitraryFilterCoefficientsFor(material);
    AddArbitraryFilter(state_.filters, coefficients, request.thicknessMm * kCentimetresPerMillimetre);
    filters_.push_back(LoadedFilter{request.path, material.description, request.thicknessMm});
  }
}

RunOutcome BatchRun::Run(const RunSettings& settings) {
  RunOutcome outcome;
  outcome.inputs = ReadRunInputs(settings.entries, settings.model);
  outcome.used = EntriesUsed(settings.entries, outcome.inputs);
  outcome.corrections = DescribeCorrections(settings.entries, outcome.inputs, settings.model);

  // the desktop run: photon-number spectrum, its relative values into the exchange file
  ComputePhotonSpectrum(outcome.inputs, settings.model, settings.waveform, state_);
  const double kVp = outcome.inputs.kVp;
  outcome.photonSpectrum = RelativePhotonSpectrum(state_, kVp);
  outcome.exchangeFileText = ExchangeText(outcome.photonSpectrum);
  outcome.exchange = ReadBackAsExport(outcome.exchangeFileText);

  if (settings.quantity == DisplayQuantity::PhotonNumber) {
    outcome.tabulated = outcome.exchange;
  } else {
    ApplyDisplayQuantity(settings.quantity, kVp, state_);
    outcome.tabulated = ReadBackAsExport(ExchangeText(RelativePhotonSpectrum(state_, kVp)));
  }

  // Quillon's run on the exchange file's text, read with its own record format
  try {
    std::istringstream in(outcome.exchangeFileText, std::ios::binary);
    const ExchangeSpectrum engineSpectrum = ReadSpectrumExchangeRecords(in, kSpectrumExchangeFile);
    const EngineArray photonNumbers = ToEngineSpectrum(engineSpectrum);
    const EngineResults computed = ComputeBeamQuality(engineTable_, photonNumbers);
    const KermaWeights weights = ComputeKermaWeights(engineTable_, photonNumbers);
    outcome.layerBelowFirstStep = {
        TransmissionCurve(weights, engineTable_.muAl, kAluminiumStepping.stepCm).NextStep() < 50.0f,
        TransmissionCurve(weights, engineTable_.muCu, kCopperStepping.stepCm).NextStep() < 50.0f};
    std::ostringstream resultText(std::ios::binary);
    WriteResultFile(resultText, computed);
    outcome.resultFileText = resultText.str();
    std::istringstream back(outcome.resultFileText, std::ios::binary);
    outcome.results = ReadResultFile(back, kResultFile);
  } catch (const EngineInputError& error) {
    outcome.engineError = error.what();
  }
  return outcome;
}

std::vector<std::string> SaveExchangeFiles(const std::string& folder, const RunOutcome& outcome) {
  const std::string spectrumPath = InFolder(folder, kSpectrumExchangeFile);
  const std::string resultPath = InFolder(folder, kResultFile);
  // Both are checked first, so that a refused result file does not cost the earlier spectrum.
  CheckSaveTarget(spectrumPath);
  CheckSaveTarget(resultPath);
  std::error_code error;
  std::filesystem::remove(std::filesystem::u8path(resultPath), error);
  if (error) throw std::runtime_error("Cannot remove the earlier \"" + resultPath + "\": " + error.message());

  const std::string& spectrum = outcome.exchangeFileText;
  SaveFileAtomically(spectrumPath, [&spectrum](std::ostream& out) { out << spectrum; });
  if (!outcome.results) return {spectrumPath};
  try {
    const std::string& results = outcome.resultFileText;
    SaveFileAtomically(resultPath, [&results](std::ostream& out) { out << results; });
  } catch (...) {
    RemoveFileIfThere(spectrumPath);
    throw;
  }
  return {spectrumPath, resultPath};
}

void CheckSaveTarget(const std::string& path) {
  const std::filesystem::path target = std::filesystem::u8path(path);
  std::error_code error;
  if (target.has_parent_path() && !std::filesystem::is_directory(target.parent_path(), error)) {
    throw std::runtime_error("Cannot save \"" + path + "\": the folder " + target.parent_path().u8string() +
                             " does not exist");
  }
  try {
    CheckReplaceableTarget(path);
  } catch (const FileSystemError& error) {
    throw std::runtime_error("Cannot save \"" + path + "\": " + error.what());
  }
}

void RemoveFileIfThere(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove(std::filesystem::u8path(path), ignored);
}

}  // namespace kestrix
