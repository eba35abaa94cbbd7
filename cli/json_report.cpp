#include "json_report.h"

#include "beam_figures.h"
#include "beam_inputs.h"
#include "emission_models.h"
#include "json_writer.h"
#include "text_report.h"

namespace kestrix {
namespace {

void WriteInputs(JsonWriter& json, const CliOptions& options, const std::vector<LoadedFilter>& filters,
                 const RunOutcome* single, const UsedEntries& used) {
  json.Key("inputs");
  json.BeginObject();
  json.Key("model");
  json.String(ModelKeyword(options.model));
  json.Key("target");
  json.String(TargetSymbol(single != nullptr ? used.target : options.target));
  json.Key("characteristic_lines");
  json.Bool(options.characteristicLines);
  json.Key("off_axis_deg");  // [along the anode-cathode axis, across it]
  json.BeginArray(true);
  json.Number(options.offAxisAlongDegrees);
  json.Number(options.offAxisAcrossDegrees);
  json.EndArray();
  // {"layer_um", "window", "window_mm"}, null for the reflection target
  json.Key("transmission");
  if (options.transmission.IsTransmission()) {
    json.BeginObject();
    json.Key("layer_um");
    json.Number(options.transmission.layerUm);
    json.Key("window");
    json.String(TransmissionWindowName(options.transmission.window));
    json.Key("window_mm");
    json.Number(options.transmission.windowMm);
    json.EndObject();
  } else {
    json.Null();
  }
  RunEntries tube;
  tube.target = single != nullptr ? used.target : options.target;
  tube.transmission = options.transmission;
  const VoltageRange range = RunVoltageRange(options.model, tube);
  json.Key("model_voltage_range_kV");  // [lowest, highest] the model computes for the target
  json.BeginArray(true);
  json.Number(range.lowest);
  json.Number(range.highest);
  json.EndArray();
  if (single != nullptr) {
    json.Key("tube_voltage_kV");
    json.Number(used.tubeVoltageKV);
  } else {
    json.Key("sweep");
    json.BeginObject();
    json.Key("from_kV");
    json.Number(options.sweep->fromKV);
    json.Key("to_kV");
    json.Number(options.sweep->toKV);
    json.Key("step_kV");
    json.Number(options.sweep->stepKV);
    json.EndObject();
  }
  const std::pair<const char*, double> entries[] = {
      {"target_angle_degrees", used.targetAngleDegrees}, {"beryllium_mm", used.berylliumMm},
      {"aluminium_equivalent_mm", used.aluminiumEquivalentMm}, {"added_aluminium_mm", used.addedAluminiumMm},
      {"added_copper_mm", used.addedCopperMm}};
  for (const auto& [key, value] : entries) {
    json.Key(key);
    // a transmission target has no target angle
    if (options.transmission.IsTransmission() && key == entries[0].first) {
      json.Null();
    } else {
      json.Number(value);
    }
  }
  json.Key("waveform");
  json.String(WaveformKeyword(options.waveform));
  json.Key("quantity");
  json.String(QuantityKeyword(options.quantity));
  json.Key("filters");
  json.BeginArray();
  for (const LoadedFilter& filter : filters) {
    json.BeginObject();
    json.Key("file");
    json.String(filter.path);
    json.Key("description");
    json.String(filter.description);
    json.Key("thickness_mm");
    json.Number(filter.thicknessMm);
    json.EndObject();
  }
  json.EndArray();
  json.Key("attenuation_table");
  json.String(options.attenuationTablePath);
  json.EndObject();
}

void WriteMeasured(JsonWriter& json, const CliOptions& options, const MeasuredSpectrum& measured) {
  json.Key("measured_spectrum");
  json.BeginObject();
  json.Key("file");
  json.String(measured.source);
  json.Key("rows");
  json.Number(static_cast<double>(measured.energiesKeV.size()));
  json.Key("first_energy_keV");
  json.Number(measured.energiesKeV.front());
  json.Key("last_energy_keV");
  json.Number(measured.energiesKeV.back());
  json.Key("attenuation_table");
  json.String(options.attenuationTablePath);
  json.EndObject();
}

void WriteCorrections(JsonWriter& json, const RunOutcome& outcome) {
  json.Key("corrections");
  json.BeginArray();
  for (const std::string& correction : outcome.corrections) json.String(correction);
  json.EndArray();
}

void WriteExtended(JsonWriter& json, const ExtendedBeamQuality& extended) {
  json.Key("extended");
  json.BeginObject();
  for (std::size_t f = 0; f < kExtendedFigureCount; ++f) {
    json.Key(ExtendedFigureFields()[f].key);
    json.Number(extended.values[f]);
  }
  json.Key("missing");
  json.BeginObject();
  for (std::size_t f = 0; f < kExtendedFigureCount; ++f) {
    if (extended.values[f]) continue;
    json.Key(ExtendedFigureFields()[f].key);
    json.String(extended.missing[f]);
  }
  json.EndObject();
  json.EndObject();
}

void WriteOutput(JsonWriter& json, const BeamOutput& output) {
  json.Key("output");
  json.BeginObject();
  json.Key(kDistanceKey);
  json.Number(output.distanceMm);
  json.Key(kAirKermaKey);
  json.Number(output.airKermaMicroGrayPerMas);
  json.Key(kPhotonFluenceKey);
  json.Number(output.photonFluencePerMasPerMm2);
  json.Key(kWaterKermaKey);
  json.Number(output.waterKermaMicroGrayPerMas);
  json.Key(kTissueKermaKey);
  json.Number(output.tissueKermaMicroGrayPerMas);
  json.Key("missing");
  json.BeginObject();
  const std::pair<const char*, const std::optional<double>*> figures[] = {
      {kAirKermaKey, &output.airKermaMicroGrayPerMas},
      {kPhotonFluenceKey, &output.photonFluencePerMasPerMm2},
      {kWaterKermaKey, &output.waterKermaMicroGrayPerMas},
      {kTissueKermaKey, &output.tissueKermaMicroGrayPerMas}};
  for (const auto& [key, value] : figures) {
    if (*value) continue;
    json.Key(key);
    json.String(output.missing);
  }
  json.EndObject();
  json.EndObject();
}

void WriteDetector(JsonWriter& json, const DetectorOutcome& detector) {
  json.Key("detector");
  json.BeginObject();
  json.Key("material");
  json.String(detector.material);
  json.Key("description");
  json.String(detector.description);
  json.Key("thickness_mm");
  json.Number(detector.thicknessMm);
  json.Key("threshold_keV");
  json.Number(detector.thresholdKeV);
  json.Key(kDetectorQdeKey);
  json.Number(detector.quantumDetectionEfficiency);
  json.Key(kDetectorAbsorbedFractionKey);
  json.Number(detector.absorbedEnergyFraction);
  json.Key(kDistanceKey);
  json.Number(detector.distanceMm);
  json.Key(kDetectorAbsorbedEnergyKey);
  json.Number(detector.absorbedEnergyKeVPerMasPerMm2);
  json.Key(kDetectorPhotonsKey);
  json.Number(detector.detectedPhotonsPerMasPerMm2);
  json.Key("fluorescence_escape");
  json.String(detector.fluorescenceEscape);
  json.Key("missing");
  json.BeginObject();
  if (!detector.missing.empty()) {
    json.Key(kDetectorAbsorbedEnergyKey);
    json.String(detector.missing);
    json.Key(kDetectorPhotonsKey);
    json.String(detector.missing);
  }
  json.EndObject();
  json.EndObject();
}

void WriteUncertainty(JsonWriter& json, const UncertaintyOutcome& uncertainty) {
  json.Key("uncertainty");
  json.BeginObject();
  json.Key("samples");
  json.Integer(uncertainty.request.samples);
  json.Key("seed");
  json.Integer(static_cast<long long>(uncertainty.request.seed));
  json.Key("standard_uncertainties");
  json.BeginObject();
  json.Key("kv");
  json.Number(uncertainty.request.kvUncertainty);
  json.Key("al_eq");
  json.Number(uncertainty.request.alEqUncertainty);
  json.Key("angle");
  json.Number(uncertainty.request.angleUncertainty);
  json.EndObject();
  for (const FigureSpread& figure : uncertainty.figures) {
    json.Key(figure.key);
    json.BeginObject();
    const std::pair<const char*, const std::optional<double>*> entries[] = {
        {"mean", &figure.mean}, {"std", &figure.std}, {"p2_5", &figure.p2_5}, {"p97_5", &figure.p97_5}};
    for (const auto& [key, value] : entries) {
      json.Key(key);
      json.Number(*value);
    }
    json.EndObject();
  }
  json.Key("model_spread");
  json.BeginObject();
  for (const ModelFigure& figure : uncertainty.modelSpread) {
    json.Key(figure.key);
    json.BeginObject();
    for (const auto& [model, value] : figure.values) {
      json.Key(model);
      json.Number(value);
    }
    json.Key("range");
    json.Number(figure.range);
    json.EndObject();
  }
  json.EndObject();
  json.Key("missing");
  json.BeginObject();
  for (const FigureSpread& figure : uncertainty.figures) {
    if (figure.missing.empty()) continue;
    json.Key(figure.key);
    json.String(figure.missing);
  }
  json.EndObject();
  json.EndObject();
}

void WriteResults(JsonWriter& json, const RunOutcome& outcome, const DetectorOutcome* detector = nullptr,
                  const UncertaintyOutcome* uncertainty = nullptr) {
  json.Key("results");
  json.BeginObject();
  const std::vector<FigureField>& fields = FigureFields();
  for (std::size_t k = 0; k < fields.size(); ++k) {
    json.Key(fields[k].key);
    json.Number(FigureValue(outcome, k));
  }
  json.Key("missing");
  json.BeginObject();
  for (std::size_t k = 0; k < fields.size(); ++k) {
    if (FigureValue(outcome, k)) continue;
    json.Key(fields[k].key);
    json.String(MissingFigureReason(outcome, k));
  }
  json.EndObject();
  WriteExtended(json, outcome.extended);
  WriteOutput(json, outcome.output);
  if (detector != nullptr) WriteDetector(json, *detector);
  if (uncertainty != nullptr) WriteUncertainty(json, *uncertainty);
  json.EndObject();
}

void WriteQuality(JsonWriter& json, const RadiationQuality& quality) {
  json.BeginObject();
  json.Key("name");
  json.String(quality.name);
  json.Key("standard");
  json.String(quality.standard);
  json.Key("tube_voltage_kV");
  json.Number(quality.tubeVoltageKV);
  json.Key("target");
  json.String(TargetSymbol(quality.target));
  json.Key("beryllium_mm");
  json.Number(quality.berylliumMm);
  json.Key("aluminium_mm");
  json.Number(quality.aluminiumMm);
  json.Key("filters");
  json.BeginArray();
  for (const QualityFilter& filter : quality.filters) {
    json.BeginObject();
    json.Key("material");
    json.String(filter.material);
    json.Key("thickness_mm");
    json.Number(filter.thicknessMm);
    json.EndObject();
  }
  json.EndArray();
  json.Key("nominal_hvl1_al_mm");
  std::optional<double> hvl1 = quality.nominalHvl1AlMm;
  for (const NominalFigure& figure : quality.nominalFigures) {
    if (figure.figure == kHvl1Al) hvl1 = figure.value;
  }
  json.Number(hvl1);
  // the other published figures, keyed as the results' figures with "nominal_" before them
  for (const ExtendedFigure shown : {kHvl2Al, kHvl1Cu, kHvl2Cu, kMeanEnergy}) {
    json.Key(std::string("nominal_") + ExtendedFigureFields()[shown].key);
    std::optional<double> value;
    for (const NominalFigure& figure : quality.nominalFigures) {
      if (figure.figure == shown) value = figure.value;
    }
    json.Number(value);
  }
  json.Key("based_on");
  if (quality.basedOn.empty()) {
    json.Null();
  } else {
    json.String(quality.basedOn);
  }
  json.EndObject();
}

/// every published figure of the realised quality beside the beam's: "quality_deviations":
/// {"hvl1_al_mm": {"nominal", "reached", "deviation_percent"}, ...}, reached and deviation null
/// where the beam has no value
void WriteQualityDeviations(JsonWriter& json, const RadiationQuality& quality, const RunOutcome& outcome) {
  json.Key("quality_deviations");
  json.BeginObject();
  for (const QualityDeviation& deviation : QualityDeviations(quality, outcome)) {
    json.Key(ExtendedFigureFields()[deviation.figure].key);
    json.BeginObject();
    json.Key("nominal");
    json.Number(deviation.nominal);
    json.Key("reached");
    json.Number(deviation.reached);
    json.Key("deviation_percent");
    json.Number(deviation.deviationPercent);
    json.EndObject();
  }
  json.EndObject();
}

void WriteFit(JsonWriter& json, const FitOutcome& fit) {
  const bool aluminium = fit.request.material == LayerMaterial::Aluminium;
  json.Key("fit");
  json.BeginObject();
  json.Key("entry");
  json.String(FittedEntryKeyword(fit.request.entry));
  json.Key("thickness_mm");
  json.Number(fit.fit.thicknessMm);
  json.Key("target");
  json.BeginObject();
  json.Key(ExtendedFigureFields()[aluminium ? kHvl1Al : kHvl1Cu].key);
  json.Number(fit.request.targetHvl1Mm);
  json.EndObject();
  json.Key("reached");
  json.BeginObject();
  json.Key(ExtendedFigureFields()[aluminium ? kHvl1Al : kHvl1Cu].key);
  json.Number(fit.fit.hvl1Mm);
  json.EndObject();
  json.EndObject();
}

void WriteTubeFit(JsonWriter& json, const TubeFitOutcome& tube) {
  json.Key("tube_fit");
  json.BeginObject();
  json.Key("vary");
  json.BeginArray();
  for (const TubeInput input : tube.varied) json.String(TubeInputKey(input));
  json.EndArray();
  json.Key("params");
  json.BeginObject();
  for (const TubeInput input : tube.varied) {
    json.Key(TubeInputKey(input));
    json.Number(tube.fit.inputs[static_cast<std::size_t>(input)]);
  }
  json.EndObject();
  json.Key("residuals");
  json.BeginArray();
  for (const TubeResidual& residual : tube.fit.residuals) {
    json.BeginObject();
    json.Key("kv");
    json.Number(residual.tubeVoltageKV);
    json.Key("figure");
    json.String(ExtendedFigureFields()[residual.figure].key);
    json.Key("measured_mm");
    json.Number(residual.measuredMm);
    json.Key("computed_mm");
    json.Number(residual.computedMm);
    json.Key("deviation_percent");
    json.Number(residual.deviationPercent);
    json.EndObject();
  }
  json.EndArray();
  json.Key("rms_deviation_percent");
  json.Number(tube.fit.rmsDeviationPercent);
  json.Key("uncertainties");
  json.BeginObject();
  for (std::size_t j = 0; j < tube.varied.size(); ++j) {
    json.Key(TubeInputKey(tube.varied[j]));
    json.Number(tube.fit.uncertainties[j]);
  }
  json.EndObject();
  if (!tube.fit.uncertaintyMissing.empty()) {
    json.Key("uncertainties_missing");
    json.String(tube.fit.uncertaintyMissing);
  }
  json.Key("iterations");
  json.Integer(tube.fit.iterations);
  json.Key("evaluations");
  json.Integer(tube.fit.evaluations);
  json.Key("converged");
  json.Bool(tube.fit.converged);
  json.Key("at_bound");
  json.Bool(tube.fit.atBound);
  json.Key("params_at_bound");
  json.BeginObject();
  for (std::size_t j = 0; j < tube.varied.size(); ++j) {
    json.Key(TubeInputKey(tube.varied[j]));
    json.Bool(tube.fit.inputAtBound[j]);
  }
  json.EndObject();
  json.Key("warnings");
  json.BeginArray();
  for (const std::string& warning : tube.fit.warnings) json.String(warning);
  json.EndArray();
  json.EndObject();
}

void WriteSpectrum(JsonWriter& json, const CliOptions& options, const RunOutcome& outcome) {
  const SpectrumTableOptions& table = options.tableOptions;
  const bool keV = table.unit == TableEnergyUnit::KeV;
  const SpectrumTable built = TableOf(outcome, options);
  json.Key("spectrum");
  json.BeginObject();
  json.Key("quantity");
  json.String(QuantityKeyword(options.quantity));
  json.Key("energy_unit");
  json.String(keV ? "keV" : "MeV");
  json.Key("normalisation");
  json.String(options.perMas ? "per-mas" : table.normalisation == TableNormalisation::MaximumOne ? "max" : "total");
  if (options.perMas) {
    json.Key("value_unit");
    json.String("photons per keV per mm2 per mAs at " + ShortestDecimal(options.distanceMm) + " mm");
  }
  json.Key("energy");
  json.BeginArray(true);
  // a division gives the nearest double to 0.5 i or 0.0005 i, so the shortest text is the plain decimal
  for (int i = 1; i <= built.rows; ++i) json.Number(i / (keV ? 2.0 : 2000.0));
  json.EndArray();
  json.Key("value");
  json.BeginArray(true);
  for (int i = 1; i <= built.rows; ++i) json.Number(built.values[i]);
  json.EndArray();
  json.EndObject();
}

}  // namespace

void WriteJsonReport(std::ostream& out, const CliOptions& options, const std::vector<LoadedFilter>& filters,
                     const RunOutcome& outcome, const ReportExtras& extras) {
  JsonWriter json(out);
  json.BeginObject();
  json.Key("program");
  json.String("kestrix-cli");
  if (extras.measured != nullptr) {
    WriteMeasured(json, options, *extras.measured);
  } else {
    WriteInputs(json, options, filters, &outcome, outcome.used);
  }
  WriteCorrections(json, outcome);
  if (extras.quality != nullptr) {
    json.Key("quality");
    WriteQuality(json, *extras.quality);
    WriteQualityDeviations(json, *extras.quality, outcome);
  }
  if (extras.fit != nullptr) WriteFit(json, *extras.fit);
  if (extras.tubeFit != nullptr) WriteTubeFit(json, *extras.tubeFit);
  if (options.printFigures) WriteResults(json, outcome, extras.detector, extras.uncertainty);
  if (options.printTable) WriteSpectrum(json, options, outcome);
  json.EndObject();
}

void WriteSweepJson(std::ostream& out, const CliOptions& options, const std::vector<LoadedFilter>& filters,
                    const std::vector<RunOutcome>& outcomes) {
  JsonWriter json(out);
  json.BeginObject();
  json.Key("program");
  json.String("kestrix-cli");
  WriteInputs(json, options, filters, nullptr, outcomes.empty() ? UsedEntries{} : outcomes.front().used);
  json.Key("runs");
  json.BeginArray();
  for (const RunOutcome& outcome : outcomes) {
    json.BeginObject();
    json.Key("tube_voltage_kV");
    json.Number(outcome.used.tubeVoltageKV);
    WriteCorrections(json, outcome);
    WriteResults(json, outcome);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

void WriteQualityListJson(std::ostream& out, const std::string& source, const std::vector<RadiationQuality>& qualities) {
  JsonWriter json(out);
  json.BeginObject();
  json.Key("program");
  json.String("kestrix-cli");
  json.Key("source");
  json.String(source);
  json.Key("qualities");
  json.BeginArray();
  for (const RadiationQuality& quality : qualities) WriteQuality(json, quality);
  json.EndArray();
  json.EndObject();
}

}  // namespace kestrix
