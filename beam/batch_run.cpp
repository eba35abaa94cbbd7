#include "batch_run.h"

#include <cmath>
#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <type_traits>
#include <utility>

#include "atomic_file.h"
#include "decimal_text.h"
#include "emission_models.h"
#include "exchange_folder.h"
#include "export_table.h"
#include "file_system.h"
#include "half_value_layer.h"
#include "material_file.h"
#include "display_pattern.h"
#include "message_text.h"

namespace kestrix {
namespace {

std::string ModelName(SpectrumModel model) { return model == SpectrumModel::Tucker ? "Tucker's" : "Birch's"; }

std::vector<std::string> DescribeCorrections(const RunEntries& entries, const RunInputs& inputs, SpectrumModel model) {
  std::vector<std::string> corrections;
  // the desktop rewrites exactly 30 kV as "30" too; only a changed value is a correction
  const double typed = entries.tubeVoltageKV;
  if (inputs.tubeVoltageText && typed != inputs.kVp) {
    const VoltageRange range = ModelVoltageRange(model, entries.target);
    const bool high = typed > range.highest;
    corrections.push_back("tube voltage " + ShortestDecimal(typed) + " kV is " +
                          (high ? "above " + ShortestDecimal(range.highest) + " kV"
                                : "at or below " + ShortestDecimal(range.lowest) + " kV") +
                          ": " + *inputs.tubeVoltageText + " kV used");
  }
  if (inputs.inherentFiltrationReplaced) {
    corrections.push_back("inherent filtration " + ShortestDecimal(entries.berylliumMm) + " mm Be + " +
                          ShortestDecimal(entries.aluminiumEquivalentMm) + " mm Al eq. is not possible with " +
                          ModelName(model) + " model (the sum must be " +
                          (model == SpectrumModel::Tucker ? "positive" : "zero or more") +
                          "): 0 mm Be and 0.5 mm Al eq. used");
  }
  return corrections;
}

UsedEntries EntriesUsed(const RunEntries& entries, const RunInputs& inputs) {
  UsedEntries used;
  used.tubeVoltageKV = inputs.kVp;
  used.targetAngleDegrees = inputs.targetAngleDegrees;
  used.berylliumMm = inputs.inherentFiltrationReplaced ? 0.0 : entries.berylliumMm;
  used.aluminiumEquivalentMm = inputs.inherentFiltrationReplaced ? 0.5 : entries.aluminiumEquivalentMm;
  used.addedAluminiumMm = entries.addedAluminiumMm;
  used.addedCopperMm = entries.addedCopperMm;
  used.target = inputs.target;
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

double& EntryValue(RunEntries& entries, FittedEntry entry) {
  switch (entry) {
    case FittedEntry::InherentAluminiumEquivalent: return entries.aluminiumEquivalentMm;
    case FittedEntry::AddedCopper: return entries.addedCopperMm;
    default: return entries.addedAluminiumMm;
  }
}

RunSettings WithThickness(RunSettings settings, FittedEntry entry, double thicknessMm) {
  EntryValue(settings.entries, entry) = thicknessMm;
  return settings;
}

std::string Mm(double value) { return ShortestDecimal(value) + " mm"; }

// the layer search of the double-precision figures starts where the engine's kerma weights start
static_assert(kFirstKermaGridIndex == kFirstKermaIndex);
// a table of a run's spectrum holds the model's grid
static_assert(std::is_same_v<TableSpectrum, GridArray>);

/// the values of `spectrum` rounded to five decimals, as the exchange file would hold them, bins 1..lastBin
GridArray RoundedAsExchange(const GridArray& spectrum, int lastBin) {
  GridArray rounded{};
  for (int i = 1; i <= lastBin; ++i) rounded[i] = ParseDecimalText(FormatPattern(spectrum[i], "0.00000")).value_or(0.0);
  return rounded;
}

/// the extended figures of a relative spectrum whose bins end at lastBin: above the exchange files'
/// bins on the whole grid, else on those bins as ever
ExtendedBeamQuality ExtendedOf(const GridArray& spectrum, int lastBin, const AttenuationTable& table) {
  if (lastBin > kExchangeLast) return ComputeExtendedBeamQualityOnGrid(spectrum, table);
  PhotonSpectrum part{};
  std::copy(spectrum.begin(), spectrum.begin() + part.size(), part.begin());
  return ComputeExtendedBeamQuality(part, table);
}

}  // namespace

std::string VoltageText(double kiloVolts) { return ShortestDecimal(kiloVolts); }

const char* const kBeyondExchangeReason =
    "the exchange files (B_SPCTL.temp, HVL_S2.temp) hold the spectrum to 300 keV only, so the engine's figures "
    "computed from them are not given above 300 kV; the extended figures and the output cover the whole spectrum";

ExchangeSpectrum ExchangePart(const GridArray& spectrum) {
  ExchangeSpectrum part{};
  std::copy(spectrum.begin(), spectrum.begin() + part.size(), part.begin());
  return part;
}

GridArray OnGrid(const ExchangeSpectrum& spectrum) {
  GridArray grid{};
  std::copy(spectrum.begin(), spectrum.end(), grid.begin());
  return grid;
}

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

void BatchRun::SetFilterThickness(std::size_t index, double thicknessMm) {
  // the loaded filters occupy slots 1, 2, 3 in the order given
  state_.filters.thickness.at(index + 1) = thicknessMm * kCentimetresPerMillimetre;
  filters_.at(index).thicknessMm = thicknessMm;
}

RunOutcome BatchRun::Run(const RunSettings& settings) {
  RunOutcome outcome;
  outcome.inputs = CorrectRunEntries(settings.entries, settings.model);
  outcome.used = EntriesUsed(settings.entries, outcome.inputs);
  outcome.corrections = DescribeCorrections(settings.entries, outcome.inputs, settings.model);

  // the desktop run: photon-number spectrum, its relative values into the exchange file
  CheckDistance(settings.distanceMm);
  ComputePhotonSpectrum(outcome.inputs, settings.model, settings.waveform, state_);
  const double kVp = outcome.inputs.kVp;
  outcome.lastBin = RunLastBin(kVp);
  const bool exchangeHeld = outcome.lastBin <= kExchangeLast;
  if (EmissionModelFor(settings.model).IsAbsolute()) {
    // the waveform average is per sample; per electron it is weighted by the tube current
    const double perElectron = SamplesPerCurrentWeight(settings.waveform);
    GridArray& absolute = outcome.absoluteSpectrum.emplace();
    const int top = TopBinFor(kVp);
    for (int i = 2; i <= top; ++i) absolute[i] = state_.SpectrumBins[i] * perElectron;
  }
  outcome.output = OutputAt(outcome, settings.model, settings.distanceMm);
  outcome.photonSpectrumOnGrid = RelativePhotonSpectrumOnGrid(state_, kVp);
  outcome.photonSpectrum = ExchangePart(outcome.photonSpectrumOnGrid);
  // up to 300 kV the tables are read back from the exchange file's text; above, rounded as it would round
  if (exchangeHeld) {
    outcome.exchangeFileText = ExchangeText(outcome.photonSpectrum);
    outcome.exchange = ReadBackAsExport(outcome.exchangeFileText);
  } else {
    outcome.exchange = ExchangePart(RoundedAsExchange(outcome.photonSpectrumOnGrid, outcome.lastBin));
  }

  if (settings.quantity == DisplayQuantity::PhotonNumber) {
    outcome.quantitySpectrum = outcome.photonSpectrumOnGrid;
    outcome.tabulatedOnGrid = exchangeHeld ? OnGrid(outcome.exchange)
                                           : RoundedAsExchange(outcome.photonSpectrumOnGrid, outcome.lastBin);
  } else {
    ApplyDisplayQuantity(settings.quantity, kVp, state_);
    outcome.quantitySpectrum = RelativePhotonSpectrumOnGrid(state_, kVp);
    outcome.tabulatedOnGrid = exchangeHeld ? OnGrid(ReadBackAsExport(ExchangeText(ExchangePart(outcome.quantitySpectrum))))
                                           : RoundedAsExchange(outcome.quantitySpectrum, outcome.lastBin);
  }
  outcome.tabulated = ExchangePart(outcome.tabulatedOnGrid);

  ComputeFigures(outcome);
  return outcome;
}

RunOutcome BatchRun::Weigh(const ExchangeSpectrum& photons) {
  double peak = 0;
  for (int i = 1; i <= kExchangeRows; ++i) {
    if (!(photons[i] >= 0) || !std::isfinite(photons[i])) {
      const std::string value = std::isfinite(photons[i]) ? ShortestDecimal(photons[i]) : "a non-finite number of";
      throw std::invalid_argument("the spectrum holds " + value + " photons at " + ShortestDecimal(PhotonEnergy(i)) +
                                  " keV (a finite number of 0 or more is needed)");
    }
    peak = std::max(peak, photons[i]);
  }
  if (!(peak > 0)) throw std::invalid_argument("the spectrum holds no photons");
  RunOutcome outcome;
  for (int i = 1; i <= kExchangeRows; ++i) outcome.photonSpectrum[i] = photons[i] / peak;
  outcome.photonSpectrumOnGrid = OnGrid(outcome.photonSpectrum);
  outcome.exchangeFileText = ExchangeText(outcome.photonSpectrum);
  outcome.exchange = ReadBackAsExport(outcome.exchangeFileText);
  outcome.quantitySpectrum = outcome.photonSpectrumOnGrid;
  outcome.tabulated = outcome.exchange;
  outcome.tabulatedOnGrid = OnGrid(outcome.tabulated);
  outcome.output.missing = "a spectrum given by its values is relative: it gives the shape, not photons per electron";
  ComputeFigures(outcome);
  return outcome;
}

void BatchRun::ComputeFigures(RunOutcome& outcome) {
  outcome.extended = ExtendedOf(outcome.photonSpectrumOnGrid, outcome.lastBin, state_.table);
  if (outcome.lastBin > kExchangeLast) {
    outcome.engineError = kBeyondExchangeReason;
    return;
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
}

BeamOutput BatchRun::OutputAt(const RunOutcome& outcome, SpectrumModel model, double distanceMm) const {
  CheckDistance(distanceMm);
  if (!outcome.absoluteSpectrum) return RelativeModelOutput(ModelKeyword(model), distanceMm);
  return ComputeBeamOutput(*outcome.absoluteSpectrum, distanceMm, state_.table);
}

std::optional<double> BatchRun::FirstLayer(const RunSettings& settings, LayerMaterial material) {
  const RunInputs inputs = CorrectRunEntries(settings.entries, settings.model);
  try {
    ComputePhotonSpectrum(inputs, settings.model, settings.waveform, state_);
  } catch (const RunError&) {
    return std::nullopt;  // everything absorbed: no layer at this thickness
  }
  return ExtendedOf(RelativePhotonSpectrumOnGrid(state_, inputs.kVp), RunLastBin(inputs.kVp), state_.table)
      .FirstHalfValueLayerMm(material);
}

std::optional<ExtendedBeamQuality> BatchRun::Extended(const RunSettings& settings) {
  const std::optional<std::pair<GridArray, double>> spectrum = RelativeGridSpectrum(settings);
  if (!spectrum) return std::nullopt;
  return ExtendedOf(spectrum->first, RunLastBin(spectrum->second), state_.table);
}

std::optional<std::pair<GridArray, double>> BatchRun::RelativeGridSpectrum(const RunSettings& settings) {
  const RunInputs inputs = CorrectRunEntries(settings.entries, settings.model);
  if (inputs.inherentFiltrationReplaced) return std::nullopt;
  CosecantOfTargetAngle(inputs.targetAngleDegrees);
  try {
    ComputePhotonSpectrum(inputs, settings.model, settings.waveform, state_);
  } catch (const RunError&) {
    return std::nullopt;  // everything absorbed
  }
  return std::make_pair(RelativePhotonSpectrumOnGrid(state_, inputs.kVp), inputs.kVp);
}

std::optional<PhotonSpectrum> BatchRun::RelativeSpectrum(const RunSettings& settings) {
  const RunInputs inputs = CorrectRunEntries(settings.entries, settings.model);
  if (inputs.inherentFiltrationReplaced) return std::nullopt;
  CosecantOfTargetAngle(inputs.targetAngleDegrees);
  try {
    ComputePhotonSpectrum(inputs, settings.model, settings.waveform, state_);
  } catch (const RunError&) {
    return std::nullopt;  // everything absorbed
  }
  return RelativePhotonSpectrum(state_, inputs.kVp);
}

ExtendedBeamQuality BatchRun::ExtendedRefiltered(const PhotonSpectrum& spectrum, double extraAluminiumMm,
                                                 double extraCopperMm) const {
  PhotonSpectrum filtered = spectrum;
  for (int i = 1; i <= kExchangeLast; ++i) {
    filtered[i] *= std::exp(-state_.table.muAl[i] * extraAluminiumMm * kCentimetresPerMillimetre -
                            state_.table.muCu[i] * extraCopperMm * kCentimetresPerMillimetre);
  }
  return ComputeExtendedBeamQuality(filtered, state_.table);
}

FitOutcome BatchRun::Fit(const RunSettings& settings, const FitRequest& request) {
  // an unusable angle is refused whatever the thickness, with the run's own message
  CosecantOfTargetAngle(CorrectRunEntries(settings.entries, settings.model).targetAngleDegrees);
  // a thickness that makes the run replace the inherent filtration (Tucker without any) is not fitted
  double thinnestMm = 0;
  if (request.entry == FittedEntry::InherentAluminiumEquivalent &&
      CorrectRunEntries(WithThickness(settings, request.entry, 0).entries, settings.model).inherentFiltrationReplaced) {
    thinnestMm = kFitResolutionMm;
  }
  const LayerForThickness layer = [&](double thicknessMm) -> std::optional<double> {
    const RunSettings trial = WithThickness(settings, request.entry, thicknessMm);
    if (CorrectRunEntries(trial.entries, trial.model).inherentFiltrationReplaced) return std::nullopt;
    return FirstLayer(trial, request.material);
  };
  FitOutcome fitted;
  fitted.request = request;
  fitted.fit = FitFiltration(layer, request, thinnestMm);
  fitted.settings = WithThickness(settings, request.entry, fitted.fit.thicknessMm);
  fitted.outcome = Run(fitted.settings);
  return fitted;
}

namespace {

constexpr std::size_t Slot(TubeInput input) { return static_cast<std::size_t>(input); }

/// the filtration inputs, which change the spectrum only by a factor
bool SameEmission(const TubeInputValues& a, const TubeInputValues& b) {
  return a[Slot(TubeInput::TargetAngle)] == b[Slot(TubeInput::TargetAngle)] &&
         a[Slot(TubeInput::KvOffset)] == b[Slot(TubeInput::KvOffset)];
}

RunSettings WithTubeInputs(RunSettings settings, const TubeInputValues& values) {
  RunEntries& entries = settings.entries;
  entries.aluminiumEquivalentMm = values[static_cast<std::size_t>(TubeInput::InherentAluminiumEquivalent)];
  entries.addedAluminiumMm = values[static_cast<std::size_t>(TubeInput::AddedAluminium)];
  entries.addedCopperMm = values[static_cast<std::size_t>(TubeInput::AddedCopper)];
  entries.targetAngleDegrees = values[static_cast<std::size_t>(TubeInput::TargetAngle)];
  return settings;
}

}  // namespace

RunSettings TubeFitOutcome::SettingsAt(double nominalKV) const {
  RunSettings at = settings;
  at.entries.tubeVoltageKV = nominalKV + fit.inputs[Slot(TubeInput::KvOffset)];
  return at;
}

TubeFitOutcome FitTubeInputs(BatchRun& batch, const RunSettings& settings,
                             const std::vector<TubeMeasurement>& measurements, const std::vector<TubeInput>& varied,
                             std::optional<double> uncertaintyPercent) {
  for (const TubeMeasurement& measurement : measurements) {
    const VoltageRange range = ModelVoltageRange(settings.model, settings.entries.target);
    if (!range.Contains(measurement.tubeVoltageKV)) {
      throw TubeFitError("the measurement at " + VoltageText(measurement.tubeVoltageKV) + " kV is outside the " +
                         ModelKeyword(settings.model) + " model's range of " + ShortestDecimal(range.lowest) +
                         " to " + ShortestDecimal(range.highest) + " kV");
    }
  }
  const UsedEntries used = EntriesUsed(settings.entries, CorrectRunEntries(settings.entries, settings.model));
  TubeFitRequest request{measurements, varied, {}, uncertaintyPercent};
  request.start[static_cast<std::size_t>(TubeInput::InherentAluminiumEquivalent)] = used.aluminiumEquivalentMm;
  request.start[static_cast<std::size_t>(TubeInput::AddedAluminium)] = used.addedAluminiumMm;
  request.start[static_cast<std::size_t>(TubeInput::AddedCopper)] = used.addedCopperMm;
  request.start[static_cast<std::size_t>(TubeInput::TargetAngle)] = used.targetAngleDegrees;
  // an unusable angle is refused with the run's own message, before any fitting
  CosecantOfTargetAngle(used.targetAngleDegrees);
  // The last spectrum computed at each measured voltage: a Jacobian step in a filtration input
  // only filters it further, which costs far less than computing the emission again.
  struct Computed {
    TubeInputValues inputs;
    std::optional<PhotonSpectrum> spectrum;
  };
  std::map<double, Computed> last;
  const auto computeAt = [&](const TubeInputValues& values, double kiloVolts) -> std::optional<ExtendedBeamQuality> {
    RunSettings trial = WithTubeInputs(settings, values);
    const double applied = kiloVolts + values[Slot(TubeInput::KvOffset)];
    // an offset that takes a voltage outside the models' range gives no beam
    if (!(applied >= kMinimumTubeVoltage && applied <= kMaximumTubeVoltage)) return std::nullopt;
    trial.entries.tubeVoltageKV = applied;
    Computed& computed = last[kiloVolts];
    computed = Computed{values, batch.RelativeSpectrum(trial)};
    if (!computed.spectrum) return std::nullopt;
    return batch.ExtendedRefiltered(*computed.spectrum, 0, 0);
  };
  const TubeFigures figures = computeAt;
  const TubeFigures nearby = [&](const TubeInputValues& values, double kiloVolts) -> std::optional<ExtendedBeamQuality> {
    const auto found = last.find(kiloVolts);
    if (found == last.end() || !found->second.spectrum || !SameEmission(found->second.inputs, values)) {
      return computeAt(values, kiloVolts);
    }
    const TubeInputValues& from = found->second.inputs;
    const double aluminium = values[Slot(TubeInput::InherentAluminiumEquivalent)] + values[Slot(TubeInput::AddedAluminium)] -
                             from[Slot(TubeInput::InherentAluminiumEquivalent)] - from[Slot(TubeInput::AddedAluminium)];
    const double copper = values[Slot(TubeInput::AddedCopper)] - from[Slot(TubeInput::AddedCopper)];
    RunSettings trial = WithTubeInputs(settings, values);
    if (CorrectRunEntries(trial.entries, trial.model).inherentFiltrationReplaced) return std::nullopt;
    return batch.ExtendedRefiltered(*found->second.spectrum, aluminium, copper);
  };
  TubeFitOutcome outcome{measurements, varied, FitTube(request, figures, &nearby), {}};
  outcome.settings = WithTubeInputs(settings, outcome.fit.inputs);
  return outcome;
}

std::string DataFileBeside(const std::string& tablePath, const std::string& name) {
  // "/" or, on Windows, "\\" ends the folder
  const std::filesystem::path table = std::filesystem::u8path(tablePath);
  if (!table.has_parent_path()) return name;
  return (table.parent_path() / std::filesystem::u8path(name)).u8string();
}

QualityPlan PlanQuality(const RadiationQuality& quality, const RunSettings& base,
                        const std::vector<FilterRequest>& userFilters, const std::string& tablePath) {
  QualityPlan plan{quality, base, userFilters};
  RunEntries& entries = plan.settings.entries;
  // the quality's tube: its target, which the model must offer
  if (entries.target != TargetMaterial::Tungsten && entries.target != quality.target) {
    throw RadiationQualityError("quality " + quality.name + " has a " + TargetSymbol(quality.target) + " target, not " +
                                TargetSymbol(entries.target));
  }
  entries.target = quality.target;
  if (const std::optional<std::string> refusal = TubeRefusal(plan.settings.model, entries.target, true)) {
    throw RadiationQualityError("quality " + quality.name + ": " + *refusal);
  }
  entries.tubeVoltageKV = quality.tubeVoltageKV;
  entries.addedCopperMm = 0;
  if (quality.berylliumMm && quality.aluminiumMm) {
    entries.berylliumMm = *quality.berylliumMm;
    entries.aluminiumEquivalentMm = *quality.aluminiumMm;
    entries.addedAluminiumMm = 0;
  }
  // a based quality is set up as its base first, with the base's whole filtration; the aluminium
  // and copper it adds come after the base's fit (RunQuality)
  const bool addedAfterFit = !quality.basedOn.empty();
  for (const QualityFilter& filter : addedAfterFit ? quality.baseFilters : quality.filters) {
    if (filter.material == "Cu") {
      entries.addedCopperMm = filter.thicknessMm;
    } else if (filter.material == "Al") {
      entries.addedAluminiumMm = filter.thicknessMm;
    } else {
      plan.filters.push_back(FilterRequest{DataFileBeside(tablePath, filter.material + ".ele"), filter.thicknessMm});
    }
  }
  if (plan.filters.size() > static_cast<std::size_t>(kArbitraryFilterSlots)) {
    throw RadiationQualityError("quality " + ExcerptText(quality.name) + " needs " +
                                std::to_string(plan.filters.size() - userFilters.size()) +
                                " material filter(s) of its own; with the " + std::to_string(userFilters.size()) +
                                " given that is more than " + std::to_string(kArbitraryFilterSlots));
  }
  return plan;
}

QualityOutcome RunQuality(BatchRun& batch, const QualityPlan& plan) {
  QualityOutcome realised{plan, std::nullopt, plan.settings, {}};
  const RadiationQuality& quality = plan.quality;
  if (!quality.fittedHvl1AlMm) {
    realised.outcome = batch.Run(plan.settings);
    return realised;
  }
  const double nominal = *quality.fittedHvl1AlMm;
  RunSettings settings = plan.settings;
  settings.entries.addedAluminiumMm = 0;
  try {
    realised.fit = batch.Fit(settings, FitRequest{FittedEntry::AddedAluminium, LayerMaterial::Aluminium, nominal});
  } catch (const FiltrationFitError& error) {
    if (!error.thinnestHvl1Mm || nominal >= *error.thinnestHvl1Mm) throw;
    const UsedEntries used = EntriesUsed(settings.entries, CorrectRunEntries(settings.entries, settings.model));
    const double be = used.berylliumMm;
    const double al = used.aluminiumEquivalentMm;
    const std::string layer = quality.basedOn.empty() ? ", nominal HVL1 " : ", realised from " + quality.basedOn +
                                                                             " whose nominal HVL1 is ";
    throw QualityRefusal(ExcerptText(quality.name) + " (" + VoltageText(quality.tubeVoltageKV) + " kV" + layer + Mm(nominal) +
                         " Al) cannot be realised with the inherent filtration " + Mm(be) + " Be + " +
                         Mm(al) + " Al eq.: without added aluminium the beam already has HVL1 " +
                         FixedDigits(*error.thinnestHvl1Mm, 3) + " mm Al, harder than the quality",
                         *error.thinnestHvl1Mm, be, al);
  }
  if (quality.basedOn.empty()) {
    realised.settings = realised.fit->settings;
    realised.outcome = realised.fit->outcome;
    return realised;
  }
  // the standard's filter goes in front of the tube as set up for the base quality; both
  // thicknesses are whole micrometres, so the sum is rounded to them
  double aluminiumMm = realised.fit->fit.thicknessMm;
  double copperMm = 0;
  for (const QualityFilter& filter : quality.filters) {
    (filter.material == "Al" ? aluminiumMm : copperMm) += filter.thicknessMm;
  }
  realised.settings = realised.fit->settings;
  realised.settings.entries.addedAluminiumMm = std::round(aluminiumMm * kFitStepsPerMm) / kFitStepsPerMm;
  realised.settings.entries.addedCopperMm = copperMm;
  realised.outcome = batch.Run(realised.settings);
  return realised;
}

std::vector<std::string> SaveExchangeFiles(const std::string& folder, const RunOutcome& outcome,
                                           const std::vector<FileContent>& others) {
  if (outcome.lastBin > kExchangeLast || outcome.exchangeFileText.empty()) {
    throw std::runtime_error(std::string("Cannot save the exchange files: ") + kBeyondExchangeReason);
  }
  // Both are checked first, with the reasons a front end words (a missing folder, a read-only file).
  CheckSaveTarget(ExchangePath(folder, kSpectrumExchangeFile));
  CheckSaveTarget(ExchangePath(folder, kResultFile));
  return SaveExchangePair(folder, outcome.exchangeFileText,
                          outcome.results ? std::optional<std::string>(outcome.resultFileText) : std::nullopt, others);
}

bool SameFile(const std::string& first, const std::string& second) {
  const std::filesystem::path a = std::filesystem::u8path(first);
  const std::filesystem::path b = std::filesystem::u8path(second);
  std::error_code error;
  if (std::filesystem::exists(a, error) && std::filesystem::exists(b, error)) {
    const bool same = std::filesystem::equivalent(a, b, error);
    if (!error) return same;
  }
  const std::filesystem::path canonicalA = std::filesystem::weakly_canonical(a, error);
  if (error) return false;
  const std::filesystem::path canonicalB = std::filesystem::weakly_canonical(b, error);
  return !error && canonicalA == canonicalB;
}

void CheckSaveTarget(const std::string& path) {
  const std::filesystem::path target = std::filesystem::u8path(path);
  std::error_code error;
  if (target.has_parent_path() && !std::filesystem::is_directory(target.parent_path(), error)) {
    const bool exists = std::filesystem::exists(target.parent_path(), error);
    throw std::runtime_error("Cannot save \"" + path + "\": " +
                             (exists ? target.parent_path().u8string() + " is a file, not a folder"
                                     : "the folder " + target.parent_path().u8string() + " does not exist"));
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
