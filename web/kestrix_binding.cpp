// The page's binding of the libraries (embind): JavaScript objects to RunSettings and back, one
// BatchRun per set of material filters. A C++ exception reaches JavaScript as an Error with its text.
//
// In JavaScript (web/engine.js wraps it):
//   wholeNumber("1e3") -> 1000 | null          voltageRange("physics", "Mo") -> {min, max}
//   offAxisRefusal(angle, along, across) -> null | {input, kind, limit, reason}
//   materialDescription(path)                  qualities() -> [{name, standard, target, ...}]
//   new Batch(tablePath, [{path, thickness}])  .run(settings) .fit(settings, request) .table(settings, options)
//   realiseQuality(tablePath, name, settings, [{path, thickness}]) -> {settings, filters, description, outcome}
//   transmissionRange(model) -> null | {min, max}   transmissionRefusal(settings) -> null | {input, reason}
// settings: {model, kv, angle, be, alEq, al, cu, offAxis, offAxisAcross (the typed texts), target
// ("W", "Mo", "Rh", "Ag", "Au"), noLines (bool), waveform, quantity, distance (mm), targetLayer [um],
// targetWindow ("diamond", "Be", "Al"), targetWindowMm [mm] (a transmission target: texts; targetLayer
// absent or "" for the reflection target)}; all from target on may be absent.

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cmath>
#include <exception>
#include <memory>
#include <sstream>
#include <utility>

#include "batch_run.h"
#include "beam_figures.h"
#include "beam_inputs.h"
#include "decimal_text.h"
#include "emission_models.h"
#include "entry_texts.h"
#include "export_table.h"
#include "input_number.h"
#include "material_file.h"
#include "off_axis.h"
#include "table_comment_lines.h"
#include "transmission_emission.h"

using emscripten::val;

namespace kestrix::web {
namespace {

/// Runs body; a C++ exception becomes a thrown JavaScript Error carrying its message.
template <typename Body>
auto Guarded(Body body) -> decltype(body()) {
  std::string message;
  try {
    return body();
  } catch (const std::exception& error) {
    message = error.what();
  } catch (...) {
    message = "unknown failure";
  }
  val::global("Error").new_(message).throw_();
}

std::string Text(const val& object, const char* key) {
  const val value = object[key];
  return value.isUndefined() || value.isNull() ? std::string() : value.as<std::string>();
}

template <typename Choice>
Choice Chosen(const std::optional<Choice>& choice, const char* what, const std::string& word) {
  if (!choice) throw std::invalid_argument(std::string("unknown ") + what + " \"" + word + "\"");
  return *choice;
}

/// the number a text holds, read as kestrix-cli reads an option's number; "" is 0 (an input the
/// settings do not carry)
double OptionalNumber(const val& object, const char* key, const char* what) {
  const std::string text = Text(object, key);
  if (text.empty()) return 0;
  const std::optional<double> number = ParseWholeNumber(text);
  if (!number) throw std::invalid_argument(std::string(what) + ": \"" + text + "\" is not a number");
  return *number;
}

/// settings from {model, kv, angle, be, alEq, al, cu, offAxis, offAxisAcross, target, noLines,
/// waveform, quantity, distance}; the entries are read from their texts as kestrix-cli reads its options
RunSettings SettingsOf(const val& s) {
  RunSettings settings;
  const std::string model = Text(s, "model"), waveform = Text(s, "waveform"), quantity = Text(s, "quantity");
  settings.model = Chosen(ModelOfKeyword(model), "model", model);
  settings.waveform = Chosen(WaveformOfKeyword(waveform), "waveform", waveform);
  settings.quantity = Chosen(QuantityOfKeyword(quantity), "quantity", quantity);
  settings.entries = ParseRunEntries(RunInputTexts{Text(s, "kv"), Text(s, "angle"), Text(s, "be"), Text(s, "alEq"),
                                                   Text(s, "al"), Text(s, "cu")});
  if (!s["distance"].isUndefined()) settings.distanceMm = s["distance"].as<double>();
  const std::string target = Text(s, "target");
  if (!target.empty()) settings.entries.target = Chosen(TargetFromSymbol(target), "target", target);
  settings.entries.characteristicLines = !(s["noLines"].isTrue());
  settings.entries.offAxisAlongDegrees = OptionalNumber(s, "offAxis", "off-axis angle along the axis");
  settings.entries.offAxisAcrossDegrees = OptionalNumber(s, "offAxisAcross", "off-axis angle across the axis");
  // a transmission target: its layer's text present and not 0
  const double layerUm = OptionalNumber(s, "targetLayer", "transmission target's layer");
  if (layerUm != 0) {
    const std::string window = Text(s, "targetWindow");
    settings.entries.transmission.layerUm = layerUm;
    settings.entries.transmission.window = Chosen(TransmissionWindowFromName(window), "window", window);
    settings.entries.transmission.windowMm = OptionalNumber(s, "targetWindowMm", "transmission target's window");
  }
  return settings;
}

std::vector<FilterRequest> FiltersOf(const val& array) {
  std::vector<FilterRequest> filters;
  const unsigned count = array["length"].as<unsigned>();
  for (unsigned k = 0; k < count; ++k) {
    filters.push_back(FilterRequest{array[k]["path"].as<std::string>(), array[k]["thickness"].as<double>()});
  }
  return filters;
}

val NumberOrNull(const std::optional<double>& value) { return value ? val(*value) : val::null(); }
val TextOrNull(const std::optional<double>& value) { return value ? val(ShortestDecimal(*value)) : val::null(); }

/// {key, value, text (as --json prints it), missing (why there is no value)}
val Figure(const char* key, const std::optional<double>& value, const std::string& missing) {
  val figure = val::object();
  figure.set("key", key);
  figure.set("value", NumberOrNull(value));
  figure.set("text", TextOrNull(value));
  figure.set("missing", value ? std::string() : missing);
  return figure;
}

/// bins 1..lastBin as a Float64Array (600 bins to 300 keV; floor(2 kVp) for a beam above 300 kV)
val Bins(const GridArray& spectrum, int lastBin) {
  return val::global("Float64Array").new_(emscripten::typed_memory_view(static_cast<std::size_t>(lastBin), spectrum.data() + 1));
}

val Entries(const RunEntries& e) {
  val entries = val::object();
  entries.set("target", std::string(TargetSymbol(e.target)));
  entries.set("kv", ShortestDecimal(e.tubeVoltageKV));
  entries.set("angle", ShortestDecimal(e.targetAngleDegrees));
  entries.set("be", ShortestDecimal(e.berylliumMm));
  entries.set("alEq", ShortestDecimal(e.aluminiumEquivalentMm));
  entries.set("al", ShortestDecimal(e.addedAluminiumMm));
  entries.set("cu", ShortestDecimal(e.addedCopperMm));
  return entries;
}

val OutcomeOf(const RunOutcome& outcome) {
  val result = val::object();
  const UsedEntries& u = outcome.used;
  result.set("used", Entries(RunEntries{u.tubeVoltageKV, u.targetAngleDegrees, u.berylliumMm, u.aluminiumEquivalentMm,
                                        u.addedAluminiumMm, u.addedCopperMm, u.target}));
  val corrections = val::array();
  for (const std::string& correction : outcome.corrections) corrections.call<void>("push", correction);
  result.set("corrections", corrections);
  result.set("spectrum", Bins(outcome.quantitySpectrum, outcome.lastBin));
  result.set("photonSpectrum", Bins(outcome.photonSpectrumOnGrid, outcome.lastBin));
  if (outcome.absoluteSpectrum) {
    result.set("perMas", Bins(FluencePerMasSpectrum(*outcome.absoluteSpectrum, outcome.output.distanceMm), outcome.lastBin));
  } else {
    result.set("perMas", val::null());
  }
  val figures = val::array();
  for (std::size_t k = 0; k < FigureFields().size(); ++k) {
    const std::optional<double> value = FigureValue(outcome, k);
    figures.call<void>("push", Figure(FigureFields()[k].key, value,
                                      value ? std::string() : outcome.results ? MissingFigureReason(outcome, k)
                                                                              : outcome.engineError));
  }
  for (std::size_t f = 0; f < kExtendedFigureCount; ++f) {
    figures.call<void>("push", Figure(ExtendedFigureFields()[f].key, outcome.extended.values[f],
                                      outcome.extended.missing[f]));
  }
  const BeamOutput& output = outcome.output;
  figures.call<void>("push", Figure(kDistanceKey, output.distanceMm, ""));
  figures.call<void>("push", Figure(kAirKermaKey, output.airKermaMicroGrayPerMas, output.missing));
  figures.call<void>("push", Figure(kPhotonFluenceKey, output.photonFluencePerMasPerMm2, output.missing));
  result.set("figures", figures);
  result.set("resultFileText", outcome.resultFileText);
  result.set("engineError", outcome.engineError);
  return result;
}

val FiltersValue(const std::vector<LoadedFilter>& loaded) {
  val filters = val::array();
  for (const LoadedFilter& filter : loaded) {
    val f = val::object();
    f.set("path", filter.path);
    f.set("description", filter.description);
    f.set("thickness", filter.thicknessMm);
    filters.call<void>("push", f);
  }
  return filters;
}

FitRequest FitRequestOf(const val& r) {
  FitRequest request;
  const std::string entry = Text(r, "entry"), material = Text(r, "material");
  if (entry == "al-eq") {
    request.entry = FittedEntry::InherentAluminiumEquivalent;
  } else if (entry == "al") {
    request.entry = FittedEntry::AddedAluminium;
  } else if (entry == "cu") {
    request.entry = FittedEntry::AddedCopper;
  } else {
    throw std::invalid_argument("unknown fitted entry \"" + entry + "\"");
  }
  if (material != "al" && material != "cu") throw std::invalid_argument("unknown layer material \"" + material + "\"");
  request.material = material == "al" ? LayerMaterial::Aluminium : LayerMaterial::Copper;
  request.targetHvl1Mm = r["target"].as<double>();
  return request;
}

TableNotation NotationOf(const std::string& word) { return word == "exp" ? TableNotation::Exponential : TableNotation::Plain; }

/// The export options {separator: "comma"|"space", unit: "keV"|"MeV", normalisation: "max"|"total",
/// energyNotation, valueNotation: "plain"|"exp"} of the desktop's data export.
SpectrumTableOptions TableOptionsOf(const val& o) {
  SpectrumTableOptions options;
  options.separator = Text(o, "separator") == "space" ? TableSeparator::Space : TableSeparator::Comma;
  options.unit = Text(o, "unit") == "MeV" ? TableEnergyUnit::MeV : TableEnergyUnit::KeV;
  options.normalisation = Text(o, "normalisation") == "total" ? TableNormalisation::TotalOne : TableNormalisation::MaximumOne;
  options.energyNotation = NotationOf(Text(o, "energyNotation"));
  options.valueNotation = NotationOf(Text(o, "valueNotation"));
  return options;
}

/// What a table of outcome was computed with, for its '#' lines; the model's line names a tube other
/// than tungsten with its lines and a point off the central ray as kestrix-cli's --header does:
/// "physics (Mo target) (off axis 5 degrees along (positive towards the cathode), 0 degrees across)".
SpectrumDescription DescriptionOf(const RunSettings& settings, const std::vector<LoadedFilter>& filters,
                                  const RunOutcome& outcome, const SpectrumTableOptions& options) {
  SpectrumDescription d;
  d.program = "kestrix (web)";
  d.model = ModelDescription(settings.model, outcome.used.target, settings.entries);
  d.tubeVoltageKV = outcome.used.tubeVoltageKV;
  d.targetAngleDegrees = outcome.used.targetAngleDegrees;
  d.transmission = settings.entries.transmission.IsTransmission();
  d.waveform = WaveformKeyword(settings.waveform);
  d.berylliumMm = outcome.used.berylliumMm;
  d.aluminiumEquivalentMm = outcome.used.aluminiumEquivalentMm;
  d.addedAluminiumMm = outcome.used.addedAluminiumMm;
  d.addedCopperMm = outcome.used.addedCopperMm;
  for (const LoadedFilter& filter : filters) d.filters.push_back({filter.description, filter.thicknessMm, filter.path});
  d.quantity = QuantityKeyword(settings.quantity);
  d.normalisation = options.normalisation == TableNormalisation::MaximumOne ? "max" : "total";
  d.energyUnit = options.unit == TableEnergyUnit::KeV ? "keV" : "MeV";
  return d;
}

/// BatchRun for the page: its filters fixed at construction, their thicknesses changeable.
class Batch {
 public:
  Batch(const std::string& tablePath, const val& filters)
      : batch_(Guarded([&] { return std::make_unique<BatchRun>(tablePath, FiltersOf(filters)); })) {}

  val Run(const val& settings) {
    return Guarded([&] { return OutcomeOf(batch_->Run(SettingsOf(settings))); });
  }

  /// {thickness, hvl1, entries (the settings' entries with the fitted one), outcome}
  val Fit(const val& settings, const val& request) {
    return Guarded([&] {
      const FitOutcome fit = batch_->Fit(SettingsOf(settings), FitRequestOf(request));
      val result = val::object();
      result.set("thickness", ShortestDecimal(fit.fit.thicknessMm));
      result.set("hvl1", ShortestDecimal(fit.fit.hvl1Mm));
      result.set("entries", Entries(fit.settings.entries));
      result.set("description", FitDescription(fit));
      result.set("outcome", OutcomeOf(fit.outcome));
      return result;
    });
  }

  /// The spectrum of settings as the data export writes it (CR LF line ends), with the '#' lines
  /// of --header before it when options.header is true.
  std::string Table(const val& settings, const val& options) {
    return Guarded([&] {
      const RunSettings run = SettingsOf(settings);
      const SpectrumTableOptions table = TableOptionsOf(options);
      const RunOutcome outcome = batch_->Run(run);
      std::ostringstream text(std::ios::binary);
      if (options["header"].as<bool>()) {
        for (const std::string& line : SpectrumHeaderLines(DescriptionOf(run, batch_->Filters(), outcome, table))) {
          text << line << "\r\n";
        }
      }
      WriteSpectrumTable(text, BuildSpectrumTable(outcome.tabulatedOnGrid, outcome.lastBin, table, '.'));
      return text.str();
    });
  }

  void SetFilterThickness(unsigned index, double thicknessMm) {
    Guarded([&] { batch_->SetFilterThickness(index, thicknessMm); });
  }

  val Filters() const { return FiltersValue(batch_->Filters()); }

 private:
  std::unique_ptr<BatchRun> batch_;
};

val WholeNumber(const std::string& text) { return NumberOrNull(ParseWholeNumber(text)); }

/// the tube voltages [kV] `model` computes with the target of that symbol, as every front end refuses
val VoltageRangeOf(const std::string& model, const std::string& target) {
  return Guarded([&] {
    const VoltageRange range =
        ModelVoltageRange(Chosen(ModelOfKeyword(model), "model", model), Chosen(TargetFromSymbol(target), "target", target));
    val result = val::object();
    result.set("min", range.lowest);
    result.set("max", range.highest);
    return result;
  });
}

/// the tube voltages [kV] of `model`'s transmission target, null when the model computes none
val TransmissionRangeOf(const std::string& model) {
  return Guarded([&] {
    const SpectrumModel chosen = Chosen(ModelOfKeyword(model), "model", model);
    // a tungsten layer on a window thicker than the electrons' range in any material
    const TransmissionTarget thick{1, TransmissionWindow::Diamond, 10};
    const VoltageRange range = ModelVoltageRange(chosen, TargetMaterial::Tungsten, thick);
    if (TransmissionRefusal(chosen, TargetMaterial::Tungsten, thick, range.lowest)) return val::null();
    val result = val::object();
    result.set("min", range.lowest);
    result.set("max", range.highest);
    return result;
  });
}

/// null, or {input: "model"|"target"|"kv"|"target-layer"|"target-window-mm", reason (the library's text)}:
/// why the settings' transmission target cannot be computed (TransmissionRefusal at their tube voltage)
val TransmissionRefusalOf(const val& settings) {
  return Guarded([&] {
    const RunSettings run = SettingsOf(settings);
    const TransmissionTarget& t = run.entries.transmission;
    const std::optional<std::string> refusal =
        TransmissionRefusal(run.model, run.entries.target, t, run.entries.tubeVoltageKV);
    if (!refusal) return val::null();
    const VoltageRange range = ModelVoltageRange(run.model, run.entries.target, t);
    const char* input = run.model != SpectrumModel::Physics                                   ? "model"
                        : run.entries.target != TargetMaterial::Tungsten                       ? "target"
                        : !(t.layerUm >= kSmallestLayerUm && t.layerUm <= kLargestLayerUm)     ? "target-layer"
                        : !range.Contains(run.entries.tubeVoltageKV)                           ? "kv"
                                                                                               : "target-window-mm";
    val result = val::object();
    result.set("input", std::string(input));
    result.set("reason", *refusal);
    return result;
  });
}

/// null when the point at these angles [degrees] can be computed (OffAxisRefusal), else {input:
/// "along"|"across", kind: "range" (an angle beyond limit in size or not finite) | "behind" (the ray
/// behind the target surface), limit [degrees], reason (the library's text)}
val OffAxisRefusalOf(double angle, double along, double across) {
  return Guarded([&] {
    const std::optional<std::string> refusal = OffAxisRefusal(angle, along, across);
    if (!refusal) return val::null();
    const auto beyond = [](double value) { return !std::isfinite(value) || std::fabs(value) > kLargestOffAxisAngle; };
    val result = val::object();
    result.set("input", beyond(along) || !beyond(across) ? "along" : "across");
    result.set("kind", beyond(along) || beyond(across) ? "range" : "behind");
    result.set("limit", kLargestOffAxisAngle);
    result.set("reason", *refusal);
    return result;
  });
}

/// null, or {input: "kv"|"be"|"alEq"|"al"|"cu"|"filter", filter (index), reason}: the first input
/// that kestrix-cli and Python refuse rather than correct
val Refusal(const val& settings, const val& filters) {
  return Guarded([&] {
    const std::optional<InputRefusal> refusal = StrictInputRefusal(SettingsOf(settings), FiltersOf(filters));
    if (!refusal) return val::null();
    static const char* const names[] = {"kv", "angle", "be", "alEq", "al", "cu", "filter"};
    val result = val::object();
    result.set("input", names[static_cast<int>(refusal->input)]);
    result.set("filter", static_cast<unsigned>(refusal->filter));
    result.set("reason", refusal->reason);
    return result;
  });
}

std::string MaterialDescription(const std::string& path) {
  return Guarded([&] { return LoadMaterialFile(path).description; });
}

val QualityValue(const RadiationQuality& q) {
  val quality = val::object();
  quality.set("name", q.name);
  quality.set("standard", q.standard);
  quality.set("kv", q.tubeVoltageKV);
  quality.set("target", std::string(TargetSymbol(q.target)));
  quality.set("description", QualityDescription(q));
  quality.set("basedOn", q.basedOn);
  quality.set("nominalHvl1", NumberOrNull(q.nominalHvl1AlMm));
  return quality;
}

val Qualities(const std::string& path) {
  return Guarded([&] {
    val list = val::array();
    for (const RadiationQuality& quality : LoadRadiationQualities(path)) list.call<void>("push", QualityValue(quality));
    return list;
  });
}

/// The standard quality `name` realised on settings with the user's filters: {entries, filters
/// (user's and the quality's, with thicknesses), quality, fit (text or ""), outcome}
/// every published figure of quality beside outcome's, in kestrix-cli's "quality_deviations" order:
/// [{key, nominal, reached, deviationPercent (texts as --json prints them; reached and deviation null
/// where the beam has none), missing (why), text ("HVL2 Cu: 0.27123 mm, nominal 0.271 mm (+0.1 %)")}]
val Deviations(const RadiationQuality& quality, const RunOutcome& outcome) {
  val deviations = val::array();
  for (const QualityDeviation& deviation : QualityDeviations(quality, outcome)) {
    val item = val::object();
    item.set("key", ExtendedFigureFields()[deviation.figure].key);
    item.set("nominal", ShortestDecimal(deviation.nominal));
    item.set("reached", TextOrNull(deviation.reached));
    item.set("deviationPercent", TextOrNull(deviation.deviationPercent));
    item.set("missing", deviation.missing);
    item.set("text", DeviationDescription(deviation));
    deviations.call<void>("push", item);
  }
  return deviations;
}

val RealiseQuality(const std::string& tablePath, const std::string& name, const val& settings, const val& filters) {
  return Guarded([&] {
    const std::vector<RadiationQuality> qualities = LoadRadiationQualities(DataFileBeside(tablePath, kRadiationQualitiesFile));
    const RadiationQuality* quality = FindRadiationQuality(qualities, name);
    if (quality == nullptr) throw std::invalid_argument("\"" + name + "\" is not a standard quality");
    const QualityPlan plan = PlanQuality(*quality, SettingsOf(settings), FiltersOf(filters), tablePath);
    BatchRun batch(tablePath, plan.filters);
    const QualityOutcome realised = RunQuality(batch, plan);
    val result = val::object();
    result.set("entries", Entries(realised.settings.entries));
    result.set("filters", FiltersValue(batch.Filters()));
    result.set("quality", QualityValue(*quality));
    result.set("fit", realised.fit ? FitDescription(*realised.fit) : std::string());
    result.set("comparison", Deviations(*quality, realised.outcome));
    result.set("outcome", OutcomeOf(realised.outcome));
    return result;
  });
}

}  // namespace

EMSCRIPTEN_BINDINGS(kestrix) {
  emscripten::class_<Batch>("Batch")
      .constructor<std::string, val>()
      .function("run", &Batch::Run)
      .function("fit", &Batch::Fit)
      .function("table", &Batch::Table)
      .function("setFilterThickness", &Batch::SetFilterThickness)
      .function("filters", &Batch::Filters);
  emscripten::function("wholeNumber", &WholeNumber);
  emscripten::function("voltageRange", &VoltageRangeOf);
  emscripten::function("offAxisRefusal", &OffAxisRefusalOf);
  emscripten::function("transmissionRange", &TransmissionRangeOf);
  emscripten::function("transmissionRefusal", &TransmissionRefusalOf);
  emscripten::function("refusal", &Refusal);
  emscripten::function("materialDescription", &MaterialDescription);
  emscripten::function("qualities", &Qualities);
  emscripten::function("realiseQuality", &RealiseQuality);
}

}  // namespace kestrix::web
