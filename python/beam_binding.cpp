// kestrix.Beam: one calculation kept with its batch run (as given, fitted or of a standard quality);
// kestrix.Spectrum, its spectra as numpy arrays; kestrix.fit and kestrix.qualities.

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <sstream>

#include "attenuation_table.h"
#include "beam_figures.h"
#include "beam_inputs.h"
#include "bindings.h"
#include "built_instance.h"
#include "message_text.h"
#include "pickle_state.h"
#include "decimal_text.h"
#include "radiation_quality.h"
#include "table_comment_lines.h"
#include "atomic_file.h"
#include "tube_fit.h"

namespace py = pybind11;

namespace kestrix::python {
namespace {

/// A spectrum on the 0.5 keV grid: bins 1..600 (0.5 to 300 keV), to floor(2 kVp) for a beam above 300 kV,
/// with what it was computed with.
struct Spectrum {
  py::array_t<double> energyKeV;  /// photon energy of each bin [keV]
  py::array_t<double> values;     /// value of each bin [relative, or 1/(keV mm2 mAs) for "per_mas"]
  std::string quantity;           /// "photon", "exposure" or "energy"
  std::string normalisation;      /// "max" (peak 1) or "total" (sum 1)
  SpectrumDescription description;
};

py::array_t<double> ReadOnly(py::array_t<double> array) {
  array.attr("setflags")(py::arg("write") = false);
  return array;
}

py::array_t<double> ArrayOf(const std::vector<double>& numbers) {
  py::array_t<double> array(static_cast<py::ssize_t>(numbers.size()));
  std::copy(numbers.begin(), numbers.end(), array.mutable_data());
  return ReadOnly(array);
}

std::vector<double> NumbersOf(const py::array_t<double>& array) {
  const auto a = array.unchecked<1>();
  std::vector<double> numbers(static_cast<std::size_t>(a.shape(0)));
  for (py::ssize_t i = 0; i < a.shape(0); ++i) numbers[static_cast<std::size_t>(i)] = a(i);
  return numbers;
}

/// the spectrum of bins 1..lastBin of relative (600 up to 300 kV, floor(2 kVp) above)
Spectrum SpectrumOf(const GridArray& relative, int lastBin, const std::string& quantity, SpectrumDescription description) {
  std::vector<double> energy(static_cast<std::size_t>(lastBin));
  std::vector<double> values(static_cast<std::size_t>(lastBin));
  for (int i = 1; i <= lastBin; ++i) {
    energy[i - 1] = i / 2.0;
    values[i - 1] = relative[i];
  }
  description.quantity = quantity;
  description.normalisation = "max";
  return Spectrum{ArrayOf(energy), ArrayOf(values), quantity, "max", std::move(description)};
}

Spectrum SpectrumOf(const ExchangeSpectrum& relative, const std::string& quantity, SpectrumDescription description) {
  return SpectrumOf(OnGrid(relative), kExchangeRows, quantity, std::move(description));
}

Spectrum Normalised(const Spectrum& spectrum, const std::string& kind) {
  if (kind != "max" && kind != "total") throw std::invalid_argument("kind: " + QuotedExcerpt(kind) + " is not one of max | total");
  std::vector<double> values = NumbersOf(spectrum.values);
  double scale = 0;
  for (const double v : values) scale = kind == "max" ? std::max(scale, v) : scale + v;
  if (!(scale > 0)) throw std::invalid_argument("normalised: the spectrum is zero everywhere");
  for (double& v : values) v /= scale;
  Spectrum scaled{spectrum.energyKeV, ArrayOf(values), spectrum.quantity, kind, spectrum.description};
  scaled.description.normalisation = kind;
  return scaled;
}

/// the description as plain Python values, for pickling
py::tuple DescriptionState(const SpectrumDescription& d) {
  py::list filters;
  for (const DescribedFilter& f : d.filters) filters.append(py::make_tuple(f.description, f.thicknessMm, f.source));
  return py::make_tuple(d.program, d.model, d.tubeVoltageKV, d.targetAngleDegrees, d.waveform, d.berylliumMm,
                        d.aluminiumEquivalentMm, d.addedAluminiumMm, d.addedCopperMm, filters, d.quantity,
                        d.normalisation, d.energyUnit);
}

/// the description of DescriptionState, each item checked
SpectrumDescription DescriptionFromState(const StateTuple& t) {
  SpectrumDescription d;
  d.program = t.Text(0, "program");
  d.model = t.Text(1, "model");
  d.tubeVoltageKV = t.Number(2, "tube voltage", "kV");
  d.targetAngleDegrees = t.Number(3, "target angle", "degrees");
  d.waveform = t.Text(4, "waveform");
  d.berylliumMm = t.Number(5, "beryllium window", "mm");
  d.aluminiumEquivalentMm = t.Number(6, "inherent aluminium equivalent", "mm");
  d.addedAluminiumMm = t.Number(7, "added aluminium", "mm");
  d.addedCopperMm = t.Number(8, "added copper", "mm");
  const std::vector<py::handle> filters = t.Items(9, "filters");
  for (std::size_t k = 0; k < filters.size(); ++k) {
    const StateTuple filter(t.Name(9, "filters") + "[" + std::to_string(k) + "]", filters[k], 3);
    d.filters.push_back({filter.Text(0, "description"), filter.Number(1, "thickness", "mm"), filter.Text(2, "source")});
  }
  d.quantity = t.Text(10, "quantity");
  d.normalisation = t.Text(11, "normalisation");
  d.energyUnit = t.Text(12, "energy unit");
  return d;
}

py::tuple SpectrumState(const Spectrum& s) {
  return py::make_tuple(py::list(py::cast(NumbersOf(s.energyKeV))), py::list(py::cast(NumbersOf(s.values))), s.quantity,
                        s.normalisation, DescriptionState(s.description));
}

/// the spectrum of SpectrumState: 600 bins on the 0.5 keV grid (up to 1000 for a beam above 300 kV),
/// no negative value, known words
Spectrum SpectrumFromState(const py::handle& state) {
  const StateTuple t("Spectrum state", state, 5);
  const std::size_t given = t.Items(0, "energy_keV").size();
  const std::size_t rows = given > static_cast<std::size_t>(kExchangeRows) && given <= static_cast<std::size_t>(kGridLast)
                               ? given
                               : static_cast<std::size_t>(kExchangeRows);
  const std::vector<double> energy = t.Numbers(0, "energy_keV", rows, "keV");
  for (std::size_t i = 1; i <= rows; ++i) {
    if (energy[i - 1] != static_cast<double>(i) / 2.0) {
      throw std::invalid_argument(t.Name(0, "energy_keV") + ": not the grid of 0.5 to " +
                                  ShortestDecimal(static_cast<double>(rows) / 2.0) + " keV in 0.5 keV steps");
    }
  }
  const std::vector<double> values = t.Numbers(1, "values", rows, "the spectrum's unit");
  if (std::any_of(values.begin(), values.end(), [](double v) { return v < 0; })) {
    throw std::invalid_argument(t.Name(1, "values") + ": a spectrum has no negative value");
  }
  const std::string quantity = t.Text(2, "quantity");
  t.CheckChoice(2, "quantity", quantity, {"photon", "exposure", "energy"});
  const std::string normalisation = t.Text(3, "normalisation");
  t.CheckChoice(3, "normalisation", normalisation, {"max", "total", "per_mas"});
  return Spectrum{ArrayOf(energy), ArrayOf(values), quantity, normalisation,
                  DescriptionFromState(t.Tuple(4, "description", 13))};
}

DisplayQuantity QuantityOf(const std::string& name) {
  const std::optional<DisplayQuantity> quantity = QuantityOfKeyword(name);
  if (!quantity) throw std::invalid_argument("quantity: " + QuotedExcerpt(name) + " is not one of photon | exposure | energy");
  return *quantity;
}

/// One calculation with the batch run that made it, so that other quantities can be computed later.
class Beam {
 public:
  /// the beam of the arguments as they stand
  static std::unique_ptr<Beam> Compute(const BeamArguments& arguments) {
    const BeamRequest request = ResolveBeam(arguments);
    auto beam = std::unique_ptr<Beam>(new Beam(arguments, request.settings));
    beam->batch_ = std::make_unique<BatchRun>(request.tablePath, request.filters);
    beam->outcome_ = beam->batch_->Run(request.settings);
    beam->Realised();
    return beam;
  }

  /// the beam of the arguments with one entry's thickness fitted to a first half-value layer
  static std::unique_ptr<Beam> Fitted(const BeamArguments& arguments, const FitRequest& fit) {
    const BeamRequest request = ResolveBeam(arguments);
    auto beam = std::unique_ptr<Beam>(new Beam(arguments, request.settings));
    beam->batch_ = std::make_unique<BatchRun>(request.tablePath, request.filters);
    FitOutcome fitted = beam->batch_->Fit(request.settings, fit);
    beam->settings_ = fitted.settings;
    beam->outcome_ = std::move(fitted.outcome);
    beam->fit_ = std::move(fitted);
    beam->Realised();
    return beam;
  }

  /// a standard radiation quality realised with the arguments' model, angle, waveform, filters and
  /// (RQR, RQA, RQT) inherent filtration; inherentGiven: "be" or "al_eq" when one was given, else nullptr
  static std::unique_ptr<Beam> OfQuality(const BeamArguments& arguments, const std::string& name,
                                         const char* inherentGiven) {
    const BeamRequest request = ResolveBeam(arguments);
    const std::string delivered = (std::filesystem::path(DataFolder()) / kAttenuationTableFile).string();
    const std::string source = DataFileBeside(delivered, kRadiationQualitiesFile);
    const std::vector<RadiationQuality> qualities = LoadRadiationQualities(source);
    const RadiationQuality* quality = FindRadiationQuality(qualities, name);
    if (quality == nullptr) {
      throw std::invalid_argument("name: " + QuotedExcerpt(name) + " is not a quality of " + source +
                                  " (see kestrix.qualities())");
    }
    if (!quality->nominalHvl1AlMm && inherentGiven != nullptr) {
      throw std::invalid_argument(std::string(inherentGiven) + ": quality " + quality->name +
                                  " sets the inherent filtration itself: leave out be and al_eq");
    }
    const QualityPlan plan = PlanQuality(*quality, request.settings, request.filters, delivered);
    if (const auto refusal = VoltageRefusal(quality->tubeVoltageKV, plan.settings.model, plan.settings.entries.target)) {
      throw std::invalid_argument("name: quality " + quality->name + ": " + *refusal);
    }
    BeamArguments shown = arguments;
    for (const std::vector<QualityFilter>* filters : {&quality->baseFilters, &quality->filters}) {
      for (const QualityFilter& filter : *filters) {
        if (filter.material != "Cu" && filter.material != "Al") shown.filters.emplace_back(filter.material, filter.thicknessMm);
      }
    }
    auto beam = std::unique_ptr<Beam>(new Beam(shown, plan.settings));
    beam->batch_ = std::make_unique<BatchRun>(request.tablePath, plan.filters);
    QualityOutcome realised = RunQuality(*beam->batch_, plan);
    beam->settings_ = realised.settings;
    beam->outcome_ = std::move(realised.outcome);
    beam->fit_ = std::move(realised.fit);
    beam->quality_ = *quality;
    beam->Realised();
    return beam;
  }

  /// the inputs that make this beam again with Compute (a fitted thickness or a quality's settings included)
  const BeamArguments& Inputs() const { return inputs_; }
  const std::vector<std::pair<std::string, double>>& Filters() const { return inputs_.filters; }
  const RunSettings& Settings() const { return settings_; }
  const RunOutcome& Outcome() const { return outcome_; }
  const std::optional<FitOutcome>& Fit() const { return fit_; }
  const std::optional<RadiationQuality>& Quality() const { return quality_; }
  const std::vector<LoadedFilter>& LoadedFilters() const { return batch_->Filters(); }

  /// the reports of a fit or a quality, kept as Python values so that a pickled beam keeps them
  py::object fitReport = py::none();
  py::object qualityReport = py::none();

  /// fluence and air kerma per mAs at another distance [mm]
  BeamOutput OutputAt(double distanceMm) const { return batch_->OutputAt(outcome_, settings_.model, distanceMm); }

  /// the quantity relative to its peak in full precision; runs the calculation again for exposure and energy
  GridArray Relative(DisplayQuantity quantity) {
    if (quantity == DisplayQuantity::PhotonNumber) return outcome_.photonSpectrumOnGrid;
    std::lock_guard<std::mutex> lock(mutex_);
    RunSettings settings = settings_;
    settings.quantity = quantity;
    return batch_->Run(settings).quantitySpectrum;
  }

 private:
  Beam(BeamArguments inputs, RunSettings settings) : inputs_(std::move(inputs)), settings_(std::move(settings)) {}

  /// the inputs as computed: the entries of the run's settings
  void Realised() {
    const RunEntries& e = settings_.entries;
    inputs_.kv = e.tubeVoltageKV;
    inputs_.angle = e.targetAngleDegrees;
    inputs_.be = e.berylliumMm;
    inputs_.alEq = e.aluminiumEquivalentMm;
    inputs_.al = e.addedAluminiumMm;
    inputs_.cu = e.addedCopperMm;
    inputs_.model = ModelKeyword(settings_.model);
    inputs_.waveform = WaveformKeyword(settings_.waveform);
    inputs_.target = TargetSymbol(e.target);
    inputs_.lines = e.characteristicLines;
    inputs_.offAxisAlong = e.offAxisAlongDegrees;
    inputs_.offAxisAcross = e.offAxisAcrossDegrees;
    inputs_.angleGiven = false;
    inputs_.targetThicknessUm.reset();
    inputs_.targetWindow.reset();
    if (e.transmission.IsTransmission()) {
      inputs_.angle = BeamArguments{}.angle;
      inputs_.targetThicknessUm = e.transmission.layerUm;
      inputs_.targetWindow = std::make_pair(std::string(TransmissionWindowName(e.transmission.window)), e.transmission.windowMm);
    }
  }

  BeamArguments inputs_;
  RunSettings settings_;  /// the inputs of outcome_
  std::unique_ptr<BatchRun> batch_;
  RunOutcome outcome_;
  std::optional<FitOutcome> fit_;
  std::optional<RadiationQuality> quality_;
  std::mutex mutex_;
};

SpectrumDescription DescriptionOf(const Beam& beam) {
  SpectrumDescription d;
  d.program = "kestrix (Python)";
  const UsedEntries& used = beam.Outcome().used;
  d.model = ModelDescription(beam.Settings().model, used.target, beam.Settings().entries);
  d.tubeVoltageKV = used.tubeVoltageKV;
  d.targetAngleDegrees = used.targetAngleDegrees;
  d.transmission = beam.Settings().entries.transmission.IsTransmission();
  d.waveform = WaveformKeyword(beam.Settings().waveform);
  d.berylliumMm = used.berylliumMm;
  d.aluminiumEquivalentMm = used.aluminiumEquivalentMm;
  d.addedAluminiumMm = used.addedAluminiumMm;
  d.addedCopperMm = used.addedCopperMm;
  const std::vector<LoadedFilter>& loaded = beam.LoadedFilters();
  for (std::size_t k = 0; k < loaded.size(); ++k) {
    d.filters.push_back({loaded[k].description, loaded[k].thicknessMm,
                         k < beam.Filters().size() ? beam.Filters()[k].first : loaded[k].path});
  }
  return d;
}

py::object FitReport(const std::optional<FitOutcome>& fit);
py::object QualityDict(const RadiationQuality& quality);
py::dict QualityDeviationsDict(const RadiationQuality& quality, const RunOutcome& outcome);

/// Builds a beam with the GIL released, then reports its corrections.
template <typename Make>
std::unique_ptr<Beam> Built(const Make& make) {
  std::unique_ptr<Beam> beam;
  {
    py::gil_scoped_release release;
    beam = make();
  }
  beam->fitReport = FitReport(beam->Fit());
  if (beam->Quality()) {
    py::dict report = QualityDict(*beam->Quality());
    report["deviations"] = QualityDeviationsDict(*beam->Quality(), beam->Outcome());
    beam->qualityReport = report;
  }
  WarnCorrections(beam->Outcome().corrections);
  return beam;
}

/// the keyword arguments that make the beam of these inputs
py::dict KeywordsOf(const BeamArguments& a) {
  py::list filters;
  for (const auto& [material, mm] : a.filters) filters.append(py::make_tuple(material, mm));
  py::dict keywords;
  keywords["model"] = a.model;
  keywords["kv"] = a.kv;
  // a transmission target has no target angle
  const bool transmission = a.targetThicknessUm.has_value();
  keywords["angle"] = transmission ? py::object(py::none()) : py::object(py::float_(a.angle));
  keywords["be"] = a.be;
  keywords["al_eq"] = a.alEq;
  keywords["al"] = a.al;
  keywords["cu"] = a.cu;
  keywords["waveform"] = a.waveform;
  keywords["filters"] = py::tuple(filters);
  keywords["table"] = a.table ? py::object(py::str(*a.table)) : py::object(py::none());
  keywords["target"] = a.target;
  keywords["lines"] = a.lines;
  keywords["off_axis"] = py::make_tuple(a.offAxisAlong, a.offAxisAcross);
  keywords["target_thickness_um"] = transmission ? py::object(py::float_(*a.targetThicknessUm)) : py::object(py::none());
  keywords["target_window"] = a.targetWindow ? py::object(py::make_tuple(a.targetWindow->first, a.targetWindow->second))
                                             : py::object(py::none());
  return keywords;
}

/// the inputs as one hashable tuple, for == and hash
py::tuple InputKey(const Beam& beam) {
  const py::dict k = KeywordsOf(beam.Inputs());
  return py::make_tuple(k["model"], k["kv"], k["angle"], k["be"], k["al_eq"], k["al"], k["cu"], k["waveform"],
                        k["filters"], k["table"], k["target"], k["lines"], k["off_axis"], k["target_thickness_um"],
                        k["target_window"]);
}

py::object Optional(const std::optional<double>& value) {
  return value ? py::object(py::float_(*value)) : py::object(py::none());
}

/// results.extended of kestrix-cli's JSON
py::dict ExtendedFigures(const ExtendedBeamQuality& extended) {
  py::dict figures;
  py::dict missing;
  for (std::size_t f = 0; f < kExtendedFigureCount; ++f) {
    const char* key = ExtendedFigureFields()[f].key;
    figures[key] = Optional(extended.values[f]);
    if (!extended.values[f]) missing[key] = extended.missing[f];
  }
  figures["missing"] = missing;
  return figures;
}

/// results.output of kestrix-cli's JSON
py::dict OutputFigures(const BeamOutput& output) {
  py::dict figures;
  py::dict missing;
  figures[kDistanceKey] = output.distanceMm;
  figures[kAirKermaKey] = Optional(output.airKermaMicroGrayPerMas);
  figures[kPhotonFluenceKey] = Optional(output.photonFluencePerMasPerMm2);
  figures[kWaterKermaKey] = Optional(output.waterKermaMicroGrayPerMas);
  figures[kTissueKermaKey] = Optional(output.tissueKermaMicroGrayPerMas);
  if (!output.airKermaMicroGrayPerMas) missing[kAirKermaKey] = output.missing;
  if (!output.photonFluencePerMasPerMm2) missing[kPhotonFluenceKey] = output.missing;
  if (!output.waterKermaMicroGrayPerMas) missing[kWaterKermaKey] = output.missing;
  if (!output.tissueKermaMicroGrayPerMas) missing[kTissueKermaKey] = output.missing;
  figures["missing"] = missing;
  return figures;
}

/// results of kestrix-cli's JSON
py::dict Figures(const RunOutcome& outcome) {
  py::dict figures;
  py::dict missing;
  const std::vector<FigureField>& fields = FigureFields();
  for (std::size_t k = 0; k < fields.size(); ++k) {
    const std::optional<double> value = FigureValue(outcome, k);
    figures[fields[k].key] = Optional(value);
    if (!value) missing[fields[k].key] = MissingFigureReason(outcome, k);
  }
  figures["missing"] = missing;
  figures["extended"] = ExtendedFigures(outcome.extended);
  figures["output"] = OutputFigures(outcome.output);
  return figures;
}

/// "fit" of kestrix-cli's JSON
py::object FitReport(const std::optional<FitOutcome>& fit) {
  if (!fit) return py::none();
  const char* key = ExtendedFigureFields()[fit->request.material == LayerMaterial::Aluminium ? kHvl1Al : kHvl1Cu].key;
  py::dict report;
  report["entry"] = FittedEntryKeyword(fit->request.entry);
  report["thickness_mm"] = fit->fit.thicknessMm;
  report["target"] = py::dict(py::arg(key) = fit->request.targetHvl1Mm);
  report["reached"] = py::dict(py::arg(key) = fit->fit.hvl1Mm);
  return std::move(report);
}

/// one quality of kestrix-cli's JSON
py::object QualityDict(const RadiationQuality& quality) {
  py::dict entry;
  entry["name"] = quality.name;
  entry["standard"] = quality.standard;
  entry["tube_voltage_kV"] = quality.tubeVoltageKV;
  entry["target"] = TargetSymbol(quality.target);
  entry["beryllium_mm"] = Optional(quality.berylliumMm);
  entry["aluminium_mm"] = Optional(quality.aluminiumMm);
  py::list filters;
  for (const QualityFilter& filter : quality.filters) {
    filters.append(py::dict(py::arg("material") = filter.material, py::arg("thickness_mm") = filter.thicknessMm));
  }
  entry["filters"] = filters;
  std::optional<double> hvl1 = quality.nominalHvl1AlMm;
  for (const NominalFigure& figure : quality.nominalFigures) {
    if (figure.figure == kHvl1Al) hvl1 = figure.value;
  }
  entry["nominal_hvl1_al_mm"] = Optional(hvl1);
  // the other published figures, keyed as in kestrix-cli's JSON
  for (const ExtendedFigure shown : {kHvl2Al, kHvl1Cu, kHvl2Cu, kMeanEnergy}) {
    std::optional<double> value;
    for (const NominalFigure& figure : quality.nominalFigures) {
      if (figure.figure == shown) value = figure.value;
    }
    entry[py::str(std::string("nominal_") + ExtendedFigureFields()[shown].key)] = Optional(value);
  }
  entry["based_on"] = quality.basedOn.empty() ? py::object(py::none()) : py::object(py::str(quality.basedOn));
  return std::move(entry);
}

/// a realised quality's published figures beside the beam's, as kestrix-cli's JSON
/// "quality_deviations": {key: {'nominal', 'reached', 'deviation_percent'}}
py::dict QualityDeviationsDict(const RadiationQuality& quality, const RunOutcome& outcome) {
  py::dict deviations;
  for (const QualityDeviation& deviation : QualityDeviations(quality, outcome)) {
    deviations[ExtendedFigureFields()[deviation.figure].key] =
        py::dict(py::arg("nominal") = deviation.nominal, py::arg("reached") = Optional(deviation.reached),
                 py::arg("deviation_percent") = Optional(deviation.deviationPercent));
  }
  return deviations;
}

std::string Repr(const Beam& beam) {
  const UsedEntries& used = beam.Outcome().used;
  std::ostringstream text;
  const TransmissionTarget& transmission = beam.Settings().entries.transmission;
  text << "Beam(model='" << ModelKeyword(beam.Settings().model) << "', kv=" << ShortestDecimal(used.tubeVoltageKV);
  // a transmission target has no target angle
  if (!transmission.IsTransmission()) text << ", angle=" << ShortestDecimal(used.targetAngleDegrees);
  text << ", be=" << ShortestDecimal(used.berylliumMm)
       << ", al_eq=" << ShortestDecimal(used.aluminiumEquivalentMm) << ", al=" << ShortestDecimal(used.addedAluminiumMm)
       << ", cu=" << ShortestDecimal(used.addedCopperMm) << ", waveform='" << WaveformKeyword(beam.Settings().waveform)
       << "', filters=(";
  const auto& filters = beam.Filters();
  for (std::size_t k = 0; k < filters.size(); ++k) {
    text << (k > 0 ? ", (" : "(") << py::repr(py::str(filters[k].first)).cast<std::string>() << ", "
         << ShortestDecimal(filters[k].second) << ")";
  }
  text << (filters.size() == 1 ? ",)" : ")");
  // the tube and the point only where they are not the default tungsten target on the central ray
  const RunEntries& entries = beam.Settings().entries;
  if (used.target != TargetMaterial::Tungsten) text << ", target='" << TargetSymbol(used.target) << "'";
  if (!entries.characteristicLines) text << ", lines=False";
  if (IsOffAxis(entries)) {
    text << ", off_axis=(" << ShortestDecimal(entries.offAxisAlongDegrees) << ", "
         << ShortestDecimal(entries.offAxisAcrossDegrees) << ")";
  }
  if (transmission.IsTransmission()) {
    text << ", target_thickness_um=" << ShortestDecimal(transmission.layerUm) << ", target_window=('"
         << TransmissionWindowName(transmission.window) << "', " << ShortestDecimal(transmission.windowMm) << ")";
  }
  text << ")";
  return text.str();
}

FittedEntry EntryOf(const std::string& name) {
  if (name == "al_eq" || name == "al-eq") return FittedEntry::InherentAluminiumEquivalent;
  if (name == "al") return FittedEntry::AddedAluminium;
  if (name == "cu") return FittedEntry::AddedCopper;
  throw std::invalid_argument("entry: " + QuotedExcerpt(name) + " is not one of al_eq | al | cu");
}

FitRequest FitRequestOf(const std::string& entry, const py::object& targetAl, const py::object& targetCu) {
  if (targetAl.is_none() == targetCu.is_none()) {
    throw std::invalid_argument("fit: give one of target_hvl_al and target_hvl_cu (the first half-value layer to reach, in mm)");
  }
  const bool aluminium = !targetAl.is_none();
  const char* name = aluminium ? "target_hvl_al" : "target_hvl_cu";
  const double target = CheckedNumber(name, NumberArgument(name, aluminium ? targetAl : targetCu, "mm"));
  return FitRequest{EntryOf(entry), aluminium ? LayerMaterial::Aluminium : LayerMaterial::Copper, target};
}

/// A commissioned tube: the fit and the inputs that make its beam at any voltage.
struct TubeFitResult {
  BeamArguments inputs;  /// the beam arguments with the fitted values (kv: the highest measured)
  BeamArguments start;   /// the beam arguments the fit started from, for pickling
  TubeFitOutcome tube;
};

std::vector<TubeMeasurement> MeasurementsFrom(const py::handle& measurements) {
  if (py::isinstance<py::str>(measurements) || !py::isinstance<py::iterable>(measurements)) {
    throw py::type_error("measurements: a sequence of dicts with kv and measured layers is needed, not " +
                         ShownValue(measurements));
  }
  std::vector<TubeMeasurement> list;
  for (const py::handle item : measurements) {
    const std::string where = "measurements[" + std::to_string(list.size()) + "]";
    if (!py::isinstance<py::dict>(item)) {
      throw py::type_error(where + ": a dict with kv and any of hvl1_al_mm, hvl2_al_mm, hvl1_cu_mm, hvl2_cu_mm, not " +
                           ShownValue(item));
    }
    TubeMeasurement measurement;
    bool voltage = false;
    bool layer = false;
    for (const auto& [key, value] : py::reinterpret_borrow<py::dict>(item)) {
      const std::string name = py::str(key);
      const std::string argument = where + "['" + name + "']";
      const bool isVoltage = name == "kv";
      std::size_t position = kMeasurableFigures.size();
      for (std::size_t f = 0; f < kMeasurableFigures.size(); ++f) {
        if (name == ExtendedFigureFields()[kMeasurableFigures[f]].key) position = f;
      }
      if (!isVoltage && position == kMeasurableFigures.size()) {
        throw std::invalid_argument(where + ": \"" + name +
                                    "\" is not one of kv, hvl1_al_mm, hvl2_al_mm, hvl1_cu_mm, hvl2_cu_mm");
      }
      if (value.is_none() && !isVoltage) continue;  // not measured
      const double number = CheckedNumber(argument.c_str(), NumberArgument(argument.c_str(), value, isVoltage ? "kV" : "mm"));
      if (!(number > 0)) throw std::invalid_argument(argument + ": " + ShortestDecimal(number) + " is not positive");
      if (isVoltage) {
        measurement.tubeVoltageKV = number;
        voltage = true;
      } else {
        measurement.layersMm[position] = number;
        layer = true;
      }
    }
    if (!voltage) throw std::invalid_argument(where + ": no kv");
    if (!layer) throw std::invalid_argument(where + ": no layer measured");
    list.push_back(measurement);
  }
  if (list.empty()) throw std::invalid_argument("measurements: none given");
  return list;
}

std::vector<TubeInput> VariedFrom(const py::handle& vary) {
  std::vector<std::string> names;
  if (py::isinstance<py::str>(vary)) {
    names.push_back(vary.cast<std::string>());
  } else if (py::isinstance<py::iterable>(vary)) {
    for (const py::handle item : vary) names.push_back(TextArgument("vary", item));
  } else {
    throw py::type_error("vary: a name or a sequence of names among al_eq, al, cu, angle, not " +
                         ShownValue(vary));
  }
  std::vector<TubeInput> varied;
  for (const std::string& name : names) {
    const std::optional<TubeInput> input = TubeInputNamed(name);
    if (!input || name.find('-') != std::string::npos) {
      throw std::invalid_argument("vary: " + QuotedExcerpt(name) + " is not one of al_eq | al | cu | angle | kv_offset");
    }
    if (std::find(varied.begin(), varied.end(), *input) != varied.end()) {
      throw std::invalid_argument("vary: " + name + " is named twice");
    }
    varied.push_back(*input);
  }
  if (varied.empty() || varied.size() > 3) throw std::invalid_argument("vary: name one to three of al_eq, al, cu, angle");
  return varied;
}

py::dict TubeParams(const TubeFitOutcome& tube) {
  py::dict params;
  for (const TubeInput input : tube.varied) params[TubeInputKey(input)] = tube.fit.inputs[static_cast<std::size_t>(input)];
  return params;
}

/// the measurements as fit_tube takes them
py::list MeasurementDicts(const std::vector<TubeMeasurement>& measurements) {
  py::list list;
  for (const TubeMeasurement& m : measurements) {
    py::dict entry;
    entry["kv"] = m.tubeVoltageKV;
    for (std::size_t f = 0; f < kMeasurableFigures.size(); ++f) {
      if (m.layersMm[f]) entry[ExtendedFigureFields()[kMeasurableFigures[f]].key] = *m.layersMm[f];
    }
    list.append(entry);
  }
  return list;
}

/// what fit_tube was called with: (measurements, vary, the other keywords)
py::tuple TubeFitState(const TubeFitResult& r) {
  py::list vary;
  for (const TubeInput input : r.tube.varied) vary.append(TubeInputKey(input));
  py::dict keywords = KeywordsOf(r.start);
  PyDict_DelItemString(keywords.ptr(), "kv");
  return py::make_tuple(MeasurementDicts(r.tube.measurements), py::tuple(vary), keywords);
}

py::dict TubeUncertainties(const TubeFitOutcome& tube) {
  py::dict uncertainties;
  for (std::size_t j = 0; j < tube.varied.size(); ++j) {
    const std::optional<double>& u = tube.fit.uncertainties[j];
    uncertainties[TubeInputKey(tube.varied[j])] = u ? py::object(py::float_(*u)) : py::object(py::none());
  }
  return uncertainties;
}

py::dict TubeParamsAtBound(const TubeFitOutcome& tube) {
  py::dict atBound;
  for (std::size_t j = 0; j < tube.varied.size(); ++j) atBound[TubeInputKey(tube.varied[j])] = bool(tube.fit.inputAtBound[j]);
  return atBound;
}

py::list TubeResiduals(const TubeFitOutcome& tube) {
  py::list residuals;
  for (const TubeResidual& r : tube.fit.residuals) {
    py::dict entry;
    entry["kv"] = r.tubeVoltageKV;
    entry["figure"] = ExtendedFigureFields()[r.figure].key;
    entry["measured_mm"] = r.measuredMm;
    entry["computed_mm"] = r.computedMm;
    entry["deviation_percent"] = r.deviationPercent;
    residuals.append(entry);
  }
  return residuals;
}

/// (copyreg.__newobj__, (type,), state): every pickle protocol, 0 and 1 included, rebuilds the object
/// with __new__ and the checked __setstate__
py::tuple Reduced(const py::object& self, const py::tuple& state) {
  return py::make_tuple(py::module_::import("copyreg").attr("__newobj__"), py::make_tuple(py::type::of(self)), state);
}

/// the same for every protocol, once protocol is a pickle protocol's number
void CheckProtocol(const py::handle& protocol) {
  if (!py::isinstance<py::int_>(protocol) || py::isinstance<py::bool_>(protocol)) {
    throw py::type_error("protocol must be an int, not " + ShownValue(protocol));
  }
}

}  // namespace
}  // namespace kestrix::python

// the module's classes refuse an instance that __new__ made and nothing built
namespace pybind11::detail {
template <>
class type_caster<kestrix::python::Spectrum> : public kestrix::python::BuiltInstanceCaster<kestrix::python::Spectrum> {};
template <>
class type_caster<kestrix::python::Beam> : public kestrix::python::BuiltInstanceCaster<kestrix::python::Beam> {};
template <>
class type_caster<kestrix::python::TubeFitResult>
    : public kestrix::python::BuiltInstanceCaster<kestrix::python::TubeFitResult> {};
}  // namespace pybind11::detail

namespace kestrix::python {
namespace {

/// distance_mm as a distance from the focal spot [mm]; its refusals name it
template <typename Use>
auto AtDistance(const char* argument, const Use& use) {
  try {
    return use();
  } catch (const std::invalid_argument& refusal) {
    throw std::invalid_argument(std::string(argument) + ": " + refusal.what());
  }
}

double DistanceArgument(const py::handle& value) {
  const double distanceMm = CheckedNumber("distance_mm", NumberArgument("distance_mm", value, "mm"));
  AtDistance("distance_mm", [distanceMm] { CheckDistance(distanceMm); return 0; });
  return distanceMm;
}

py::tuple BeamState(const Beam& beam) {
  return py::make_tuple(KeywordsOf(beam.Inputs()), beam.fitReport, beam.qualityReport);
}

/// the beam of BeamState, computed again from its inputs (checked as Beam's keywords)
std::unique_ptr<Beam> BeamFromState(const py::object& state) {
  const StateTuple t("Beam state", state, 3);
  if (!py::isinstance<py::dict>(t.Item(0))) {
    throw py::type_error(t.Name(0, "inputs") + ": a dict of Beam keywords is needed, not " + ShownValue(t.Item(0)));
  }
  const BeamArguments arguments = ArgumentsFromKeywords(
      "Beam.__setstate__", py::reinterpret_borrow<py::dict>(t.Item(0)), BeamArguments{}, BeamKeywords());
  const py::object fit = t.DictOrNone(1, "fit");
  const py::object quality = t.DictOrNone(2, "radiation_quality");
  std::unique_ptr<Beam> beam = Built([&arguments] { return Beam::Compute(arguments); });
  beam->fitReport = fit;
  beam->qualityReport = quality;
  return beam;
}

}  // namespace

py::dict FiguresOf(const RunOutcome& outcome) { return Figures(outcome); }

py::dict ExtendedFiguresOf(const ExtendedBeamQuality& extended) { return ExtendedFigures(extended); }

/// true when object's C++ value was built (an object made by __new__ alone holds none)
bool HoldsValue(const py::handle& object) {
  auto* instance = reinterpret_cast<py::detail::instance*>(object.ptr());
  for (const auto& value : py::detail::values_and_holders(instance)) return value.holder_constructed();
  return false;
}

const RunOutcome& OutcomeOfBeam(const char* argument, const py::handle& beam) {
  if (!py::isinstance<Beam>(beam) || !HoldsValue(beam)) {
    throw py::type_error(std::string(argument) + " must be a built kestrix.Beam, not " +
                         std::string(py::str(py::repr(beam))));
  }
  return beam.cast<const Beam&>().Outcome();
}

SpectrumContent ContentOfSpectrum(const char* argument, const py::handle& object) {
  if (!py::isinstance<Spectrum>(object)) {
    throw py::type_error(std::string(argument) + " must be a kestrix.Spectrum, not " + std::string(py::str(py::repr(object))));
  }
  if (!HoldsValue(object)) throw py::type_error(std::string(argument) + ": this kestrix.Spectrum was never built (only __new__ made it)");
  const Spectrum& spectrum = object.cast<const Spectrum&>();
  SpectrumContent content;
  const std::vector<double> values = NumbersOf(spectrum.values);
  // a beam above 300 kV has photons beyond the bins these functions weigh; they would be lost
  if (values.size() > static_cast<std::size_t>(kExchangeRows)) {
    throw std::invalid_argument(std::string(argument) + ": the spectrum reaches " +
                                ShortestDecimal(static_cast<double>(values.size()) / 2.0) +
                                " keV; this function takes a spectrum to 300 keV (the exchange files' bins)");
  }
  for (std::size_t k = 0; k < values.size(); ++k) content.values[k + 1] = values[k];
  content.quantity = spectrum.quantity;
  content.normalisation = spectrum.normalisation;
  content.description = spectrum.description;
  return content;
}

py::object MakeSpectrum(const SpectrumContent& content) {
  Spectrum spectrum = SpectrumOf(content.values, content.quantity, content.description);
  spectrum.normalisation = content.normalisation;
  spectrum.description.normalisation = content.description.normalisation;
  return py::cast(std::move(spectrum));
}

void BindBeam(py::module_& module) {
  py::class_<Spectrum>(module, "Spectrum",
                       "A spectrum on the 0.5 keV grid: 600 bins from 0.5 to 300 keV, with the inputs of the beam\n"
                       "it belongs to: relative to its peak or its total, or for the physics model photons per keV\n"
                       "per mm2 per mAs (normalisation 'per_mas'). Immutable; pickles, copies and deep-copies.")
      .def_readonly("energy_keV", &Spectrum::energyKeV, "photon energy of each bin [keV] (read-only float64 array)")
      .def_readonly("values", &Spectrum::values,
                    "value of each bin relative to the peak, to the total after normalised('total'), or in\n"
                    "photons per keV per mm2 per mAs for normalisation 'per_mas'; in full precision (read-only\n"
                    "float64 array)")
      .def_readonly("quantity", &Spectrum::quantity, "'photon', 'exposure' or 'energy'")
      .def_readonly("normalisation", &Spectrum::normalisation,
                    "'max' (peak 1), 'total' (sum 1) or 'per_mas' (photons per keV per mm2 per mAs)")
      .def(
          "normalised",
          [](const Spectrum& spectrum, const py::object& kind) { return Normalised(spectrum, TextArgument("kind", kind)); },
          py::arg("kind") = "total",
           "The same spectrum scaled so that its values sum to 1 ('total') or peak at 1 ('max').")
      .def(
          "to_csv",
          [](const Spectrum& spectrum, const py::object& path) {
            const std::string target = PathText("path", path);
            const std::vector<double> energies = NumbersOf(spectrum.energyKeV);
            const std::vector<double> values = NumbersOf(spectrum.values);
            py::gil_scoped_release release;
            SaveFileAtomically(target, [&](std::ostream& out) {
              WriteDescribedSpectrum(out, spectrum.description, energies, values);
            });
          },
          py::arg("path"),
          "Writes the spectrum to path as comma-separated text: '#' lines naming the model, tube voltage\n"
          "[kV], target angle [degrees], waveform, every filtration entry and filter [mm], the quantity and\n"
          "the normalisation, then a row energy_keV,value and one row per bin with every digit a double\n"
          "needs to read back exactly. numpy.loadtxt(path, delimiter=',', comments=('#', 'energy_keV')) or\n"
          "pandas.read_csv(path, comment='#') read it. The file is replaced as a whole or not at all.")
      .def("__len__", [](const Spectrum& spectrum) { return spectrum.values.size(); })
      .def("__copy__", [](const py::object& self) { self.cast<const Spectrum&>(); return self; })
      .def("__deepcopy__", [](const py::object& self, const py::object&) { self.cast<const Spectrum&>(); return self; },
           py::arg("memo"))
      .def(py::pickle([](const Spectrum& s) -> py::object { return SpectrumState(s); },
                      [](const py::object& state) { return SpectrumFromState(state); }))
      .def("__reduce__", [](const py::object& self) { return Reduced(self, SpectrumState(self.cast<const Spectrum&>())); })
      .def("__reduce_ex__", [](const py::object& self, const py::object& protocol) {
        CheckProtocol(protocol);
        return Reduced(self, SpectrumState(self.cast<const Spectrum&>()));
      })
      .def("__repr__", [](const Spectrum& spectrum) {
        const std::string scale = spectrum.normalisation == "per_mas" ? "in photons per keV per mm2 per mAs"
                                  : spectrum.normalisation == "max"   ? "normalised to its peak"
                                                                      : "normalised to its total";
        return "<kestrix.Spectrum " + spectrum.quantity + ", " + scale + ", 600 bins 0.5-300 keV>";
      });

  py::class_<Beam>(module, "Beam",
                   "Beam(*, model='tucker', kv=200, angle=20, be=3, al_eq=5, al=0, cu=0, waveform='constant',\n"
                   "     filters=(), table=None)\n\n"
                   "One X-ray beam computed as kestrix-cli computes it: the spectrum of the Tucker, Birch or\n"
                   "physics model and the half-value-layer engine's figures.\n\n"
                   "model: 'tucker', 'birch' or 'physics' (absolute: output()); kv: tube voltage [kV], inside the model's range (30 to 300 kV);\n"
                   "angle: target angle [degrees]; be: beryllium window [mm]; al_eq: inherent aluminium\n"
                   "equivalent [mm]; al, cu: added aluminium and copper [mm]; waveform: 'constant', '12-peak'\n"
                   "or 'single-phase'; filters: up to three (material, mm) with a delivered material name\n"
                   "(kestrix.materials()) or the path of a .ele/.mix file; table: attenuation table path\n"
                   "(None: the delivered one); target: the physics model's target, 'W' (default, 20 to 500 kV),\n"
                   "'Mo', 'Rh', 'Ag' or 'Au' (20 to 50 kV); target_thickness_um with target_window=(material, mm):\n"
                   "a transmission target, a tungsten layer [um] on a 'diamond', 'Be' or 'Al' window [mm] that\n"
                   "the beam leaves through along the electrons' direction (physics model, 20 to 300 kV; no angle,\n"
                   "which is then None). Keywords only.\n\n"
                   "A negative thickness or a voltage outside the model's range raises ValueError naming the\n"
                   "input; a value of the wrong type TypeError. The one correction left (Tucker's model with\n"
                   "no inherent filtration at all) is reported as kestrix.CorrectionWarning.\n\n"
                   "A Beam is a value: == compares the inputs, hash agrees with ==, replace(**changes) makes\n"
                   "another, and it pickles, copies and deep-copies.")
      .def(py::init([](const py::args& args, const py::kwargs& kwargs) {
        if (!args.empty()) throw py::type_error("Beam() takes keyword arguments only, e.g. Beam(kv=100, al=2)");
        const BeamArguments arguments = ArgumentsFromKeywords("Beam", kwargs, BeamArguments{}, BeamKeywords());
        return Built([&arguments] { return Beam::Compute(arguments); });
      }))
      .def_static(
          "from_quality",
          [](const py::object& quality, const py::kwargs& kwargs) {
            const std::string name = TextArgument("name", quality);
            static const std::vector<std::string> allowed{"model", "angle", "be", "al_eq", "waveform", "filters", "table"};
            const BeamArguments arguments = ArgumentsFromKeywords("from_quality", kwargs, BeamArguments{}, allowed);
            const char* inherentGiven = kwargs.contains("be") ? "be" : kwargs.contains("al_eq") ? "al_eq" : nullptr;
            return Built([&] { return Beam::OfQuality(arguments, name, inherentGiven); });
          },
          py::arg("name"),
          "Beam.from_quality(name, *, model='tucker', angle=20, be=3, al_eq=5, waveform='constant', filters=(),\n"
          "                  table=None)\n\n"
          "The beam of a standard radiation quality (kestrix.qualities()): 'N-100', 'H-60', 'RQR5', 'RQA5',\n"
          "'RQT9' ... The quality sets the tube voltage and the filtration; N and H also the inherent\n"
          "filtration, so be and al_eq [mm] may only be given for RQR, RQA and RQT. RQR's added aluminium\n"
          "is fitted to the nominal first half-value layer on the tube's own inherent filtration; RQA and\n"
          "RQT realise the RQR of their voltage so and add their aluminium or copper (the layer reached\n"
          "is compared with the nominal one in radiation_quality, not fitted to it). radiation_quality's\n"
          "'deviations' give every published figure of the quality (nominal HVL1; ISO 4037's second\n"
          "layers and mean energies) beside the beam's: {key: {'nominal', 'reached', 'deviation_percent'}}.")
      .def(
          "replace",
          [](const Beam& beam, const py::kwargs& changes) {
            const BeamArguments arguments = ArgumentsFromKeywords("replace", changes, beam.Inputs(), BeamKeywords());
            return Built([&arguments] { return Beam::Compute(arguments); });
          },
          "A new Beam with the inputs of this one and the keywords given in place of theirs, e.g.\n"
          "beam.replace(kv=120). A fitted or quality beam's realised inputs are kept; fit and\n"
          "radiation_quality are not carried over.")
      .def_property_readonly("inputs", [](const Beam& beam) { return KeywordsOf(beam.Inputs()); },
                             "the keyword arguments that make this beam again: Beam(**beam.inputs) == beam")
      .def("__eq__",
           [](const Beam& beam, const py::object& other) -> py::object {
             if (!py::isinstance<Beam>(other)) return py::reinterpret_borrow<py::object>(Py_NotImplemented);
             return py::bool_(InputKey(beam).equal(InputKey(other.cast<const Beam&>())));
           })
      .def("__hash__", [](const Beam& beam) { return py::hash(InputKey(beam)); })
      .def("__copy__", [](const py::object& self) { self.cast<const Beam&>(); return self; })
      .def("__deepcopy__", [](const py::object& self, const py::object&) { self.cast<const Beam&>(); return self; },
           py::arg("memo"))
      .def(py::pickle([](const Beam& beam) -> py::object { return BeamState(beam); },
                      [](const py::object& state) { return std::unique_ptr<Beam>(BeamFromState(state)); }))
      .def("__reduce__", [](const py::object& self) { return Reduced(self, BeamState(self.cast<const Beam&>())); })
      .def("__reduce_ex__", [](const py::object& self, const py::object& protocol) {
        CheckProtocol(protocol);
        return Reduced(self, BeamState(self.cast<const Beam&>()));
      })
      .def(
          "spectrum",
          [](Beam& beam, const py::object& name, const py::object& normaliseWord, const py::object& distance) {
            const std::string quantity = TextArgument("quantity", name);
            const std::string normalise = TextArgument("normalise", normaliseWord);
            const double distanceMm = DistanceArgument(distance);
            const DisplayQuantity wanted = QuantityOf(quantity);
            // the command line's spelling per-mas is taken too
            if (normalise == "per_mas" || normalise == "per-mas") {
              if (wanted != DisplayQuantity::PhotonNumber) {
                throw std::invalid_argument("quantity: normalise='per_mas' gives photon numbers; quantity must be 'photon'");
              }
              if (!beam.Outcome().absoluteSpectrum) {
                throw std::invalid_argument(std::string("normalise: 'per_mas' needs a model with absolute output; the ") +
                                            ModelKeyword(beam.Settings().model) + " model is relative");
              }
              Spectrum absolute = SpectrumOf(
                  AtDistance("distance_mm",
                             [&] { return FluencePerMasSpectrum(*beam.Outcome().absoluteSpectrum, distanceMm); }),
                  beam.Outcome().lastBin, QuantityKeyword(wanted), DescriptionOf(beam));
              absolute.normalisation = "per_mas";
              absolute.description.normalisation =
                  "per_mas (photons per keV per mm2 per mAs at " + ShortestDecimal(distanceMm) + " mm)";
              return absolute;
            }
            if (normalise != "max" && normalise != "total") {
              throw std::invalid_argument("normalise: " + QuotedExcerpt(normalise) + " is not one of max | total | per_mas");
            }
            GridArray relative;
            {
              py::gil_scoped_release release;
              relative = beam.Relative(wanted);
            }
            const Spectrum peakOne =
                SpectrumOf(relative, beam.Outcome().lastBin, QuantityKeyword(wanted), DescriptionOf(beam));
            return normalise == "max" ? peakOne : Normalised(peakOne, "total");
          },
          py::arg("quantity") = "photon", py::arg("normalise") = "max", py::arg("distance_mm") = kDefaultDistanceMm,
          "The spectrum of 'photon' number, 'exposure' or 'energy' in full precision: relative to its peak\n"
          "(normalise='max'), to its total ('total'), or for a model with absolute output the photons per keV\n"
          "per mm2 per mAs at distance_mm [mm] from the focal spot ('per_mas' or 'per-mas', photon number only).")
      .def(
          "output",
          [](const Beam& beam, const py::object& distance) {
            const double distanceMm = DistanceArgument(distance);
            return OutputFigures(AtDistance("distance_mm", [&] { return beam.OutputAt(distanceMm); }));
          },
          py::arg("distance_mm") = kDefaultDistanceMm,
          "The absolute output at distance_mm [mm] from the focal spot, keyed as kestrix-cli's JSON\n"
          "results.output: distance_mm [mm], air_kerma_uGy_per_mAs [uGy/mAs], photon_fluence_per_mAs_per_mm2\n"
          "[1/(mm2 mAs)]; None for a relative model (tucker, birch), with the reason under 'missing'. Distance\n"
          "acts by the inverse square only: give the air in between as a filter ('Air', mm).")
      .def(
          "figures", [](const Beam& beam) { return Figures(beam.Outcome()); },
          "The engine's beam-quality figures, keyed as kestrix-cli's JSON results: hvl_al_mm [mm Al],\n"
          "effective_energy_al_keV [keV], hvl_cu_mm [mm Cu], effective_energy_cu_keV [keV],\n"
          "photons_per_mm2_per_Ckg [1/mm2 per C/kg]; None for a figure the engine cannot give, with the\n"
          "reason under 'missing'.")
      .def(
          "save_exchange",
          [](const Beam& beam, const py::object& folder) {
            const std::string path = PathText("folder", folder);
            const RunOutcome& outcome = beam.Outcome();
            if (outcome.lastBin > kExchangeLast) {
              throw std::invalid_argument(std::string("nothing saved: ") + kBeyondExchangeReason);
            }
            if (!outcome.results) {
              throw std::invalid_argument("nothing saved: the engine gives no HVL_S2.temp for this spectrum: " +
                                          outcome.engineError);
            }
            py::gil_scoped_release release;
            SaveExchangeFiles(path, outcome);
          },
          py::arg("folder"),
          "Writes B_SPCTL.temp and HVL_S2.temp into an existing folder, byte for byte as kestrix-cli --exchange.")
      .def(
          "quality", [](const Beam& beam) { return ExtendedFigures(beam.Outcome().extended); },
          "The extended beam-quality figures in double precision, keyed as kestrix-cli's JSON\n"
          "results.extended: hvl1_al_mm, hvl2_al_mm [mm Al], homogeneity_al [1], hvl1_cu_mm, hvl2_cu_mm\n"
          "[mm Cu], homogeneity_cu [1], mean_energy_keV (fluence-weighted) and kerma_mean_energy_keV\n"
          "(air-kerma-weighted) [keV]; None for a figure that cannot be given, with the reason under 'missing'.")
      .def_property_readonly("fit", [](const Beam& beam) { return beam.fitReport; },
                             "the fitted entry, its thickness [mm] and the layer targeted and reached [mm], as\n"
                             "kestrix-cli's JSON 'fit'; None for a beam without a fit")
      .def_property_readonly("radiation_quality", [](const Beam& beam) { return beam.qualityReport; },
                             "the standard radiation quality of a beam from Beam.from_quality, as in kestrix.qualities(); else None")
      .def_property_readonly("model", [](const Beam& b) { return b.Inputs().model; }, "'tucker', 'birch' or 'physics'")
      .def_property_readonly("kv", [](const Beam& b) { return b.Outcome().used.tubeVoltageKV; },
                             "tube voltage used [kV]")
      .def_property_readonly("angle", [](const Beam& b) -> py::object {
                               if (b.Settings().entries.transmission.IsTransmission()) return py::none();
                               return py::float_(b.Outcome().used.targetAngleDegrees);
                             },
                             "target angle [degrees]")
      .def_property_readonly("be", [](const Beam& b) { return b.Outcome().used.berylliumMm; },
                             "beryllium window used [mm]")
      .def_property_readonly("al_eq", [](const Beam& b) { return b.Outcome().used.aluminiumEquivalentMm; },
                             "inherent aluminium equivalent used [mm]")
      .def_property_readonly("al", [](const Beam& b) { return b.Outcome().used.addedAluminiumMm; },
                             "added aluminium [mm]")
      .def_property_readonly("cu", [](const Beam& b) { return b.Outcome().used.addedCopperMm; },
                             "added copper [mm]")
      .def_property_readonly("waveform", [](const Beam& b) { return b.Inputs().waveform; })
      .def_property_readonly("filters", [](const Beam& b) { return b.Filters(); },
                             "the (material, mm) filters as given, then those of a quality")
      .def_property_readonly("corrections", [](const Beam& b) { return b.Outcome().corrections; },
                             "one sentence per correction the run applied to the inputs")
      .def_property_readonly("target", [](const Beam& b) { return std::string(TargetSymbol(b.Outcome().used.target)); },
                             "the tube's target, 'W', 'Mo', 'Rh', 'Ag' or 'Au' (a quality may have set it)")
      .def_property_readonly("lines", [](const Beam& b) { return b.Settings().entries.characteristicLines; },
                             "False: bremsstrahlung alone, without the characteristic lines")
      .def_property_readonly("off_axis", [](const Beam& b) {
                               const RunEntries& e = b.Settings().entries;
                               return py::make_tuple(e.offAxisAlongDegrees, e.offAxisAcrossDegrees);
                             },
                             "(along, across): the point's angles off the central ray [degrees]")
      .def_property_readonly("target_thickness_um", [](const Beam& b) -> py::object {
                               const TransmissionTarget& t = b.Settings().entries.transmission;
                               return t.IsTransmission() ? py::object(py::float_(t.layerUm)) : py::object(py::none());
                             },
                             "a transmission target's tungsten layer [um]; None for the reflection target")
      .def_property_readonly("target_window", [](const Beam& b) -> py::object {
                               const TransmissionTarget& t = b.Settings().entries.transmission;
                               if (!t.IsTransmission()) return py::none();
                               return py::make_tuple(TransmissionWindowName(t.window), t.windowMm);
                             },
                             "a transmission target's window, (material 'diamond', 'Be' or 'Al', thickness [mm]);\n"
                             "None for the reflection target")
      .def("__repr__", &Repr);

  module.def(
      "fit",
      [](const py::object& entry, const py::object& targetAl, const py::object& targetCu, const py::kwargs& kwargs) {
        const FitRequest request = FitRequestOf(TextArgument("entry", entry), targetAl, targetCu);
        const BeamArguments arguments = ArgumentsFromKeywords("fit", kwargs, BeamArguments{}, BeamKeywords());
        try {
          return Built([&] { return Beam::Fitted(arguments, request); });
        } catch (const FiltrationFitError& unreachable) {
          const bool aluminium = request.material == LayerMaterial::Aluminium;
          throw std::invalid_argument(std::string(aluminium ? "target_hvl_al" : "target_hvl_cu") + ": " +
                                      unreachable.what());
        }
      },
      py::arg("entry"), py::arg("target_hvl_al") = py::none(), py::arg("target_hvl_cu") = py::none(),
      "fit(entry, target_hvl_al=None, target_hvl_cu=None, **beam)\n\n"
      "The Beam whose entry ('al_eq', 'al' or 'cu') is fitted, 0 to 100 mm to 0.001 mm, so that its first\n"
      "half-value layer in aluminium (target_hvl_al) or copper (target_hvl_cu) [mm] is reached; the other\n"
      "keywords are those of Beam. Beam.fit tells the thickness found. A target out of reach raises\n"
      "ValueError stating the reachable range.");

  const std::string moduleName = py::str(module.attr("__name__"));
  py::class_<TubeFitResult>(module, "TubeFit", "A tube commissioned by kestrix.fit_tube.")
      .def(py::init([](const py::args&, const py::kwargs&) -> std::unique_ptr<TubeFitResult> {
        throw py::type_error("TubeFit() cannot be called: a TubeFit comes from kestrix.fit_tube(measurements, ...)");
      }))
      .def(py::pickle([](const TubeFitResult& r) -> py::object { return TubeFitState(r); },
                      [moduleName](const py::object& state) {
                        // fitted again from what fit_tube was given, with fit_tube's checks
                        const StateTuple t("TubeFit state", state, 3);
                        if (!py::isinstance<py::dict>(t.Item(2))) {
                          throw py::type_error(t.Name(2, "keywords") + ": a dict is needed, not " + ShownValue(t.Item(2)));
                        }
                        const py::object fitted = py::module_::import(moduleName.c_str())
                                                      .attr("fit_tube")(t.Item(0), t.Item(1), **t.Item(2));
                        return std::make_unique<TubeFitResult>(fitted.cast<const TubeFitResult&>());
                      }))
      .def("__reduce__",
           [](const py::object& self) { return Reduced(self, TubeFitState(self.cast<const TubeFitResult&>())); })
      .def("__reduce_ex__", [](const py::object& self, const py::object& protocol) {
        CheckProtocol(protocol);
        return Reduced(self, TubeFitState(self.cast<const TubeFitResult&>()));
      })
      .def("__copy__", [](const py::object& self) { self.cast<const TubeFitResult&>(); return self; })
      .def("__deepcopy__",
           [](const py::object& self, const py::object&) { self.cast<const TubeFitResult&>(); return self; },
           py::arg("memo"))
      .def_property_readonly("params", [](const TubeFitResult& r) { return TubeParams(r.tube); },
                             "the fitted inputs: al_eq, al, cu [mm], angle [degrees], kv_offset [kV] (those varied)")
      .def_property_readonly("uncertainties", [](const TubeFitResult& r) { return TubeUncertainties(r.tube); },
                             "each fitted input's standard uncertainty in its unit, from the Jacobian at the solution\n"
                             "scaled by the residuals; None with as many layers as inputs")
      .def_property_readonly("params_at_bound", [](const TubeFitResult& r) { return TubeParamsAtBound(r.tube); },
                             "per fitted input: True when it ended on its range's bound")
      .def_property_readonly("converged", [](const TubeFitResult& r) { return r.tube.fit.converged; },
                             "False when the fit stopped at its evaluation limit before converging")
      .def_property_readonly("evaluations", [](const TubeFitResult& r) { return r.tube.fit.evaluations; },
                             "evaluations of all the measured beams the fit made")
      .def_property_readonly("warnings", [](const TubeFitResult& r) { return r.tube.fit.warnings; },
                             "the fit's warnings (each also issued as kestrix.FitWarning)")
      .def_property_readonly("residuals", [](const TubeFitResult& r) { return TubeResiduals(r.tube); },
                             "one dict per measured layer: kv [kV], figure (e.g. 'hvl1_al_mm'), measured_mm,\n"
                             "computed_mm [mm] and deviation_percent, 100 (computed / measured - 1) [%]")
      .def_property_readonly("rms_deviation_percent", [](const TubeFitResult& r) { return r.tube.fit.rmsDeviationPercent; },
                             "root mean square of the deviations [%]")
      .def_property_readonly("at_bound", [](const TubeFitResult& r) { return r.tube.fit.atBound; },
                             "True when a varied input ended on its range's bound (0 to 100 mm, 1 to 90 degrees)")
      .def_property_readonly("iterations", [](const TubeFitResult& r) { return r.tube.fit.iterations; })
      .def_property_readonly("inputs", [](const TubeFitResult& r) { return KeywordsOf(r.inputs); },
                             "the Beam keywords of the commissioned tube (kv: the highest measured voltage)")
      .def(
          "beam",
          [](const TubeFitResult& r, const py::object& kv) {
            BeamArguments arguments = r.inputs;
            arguments.kv = NumberArgument("kv", kv, "kV") + r.tube.fit.inputs[static_cast<std::size_t>(TubeInput::KvOffset)];
            return Built([&arguments] { return Beam::Compute(arguments); });
          },
          py::arg("kv"), "The commissioned tube's Beam at the nominal tube voltage kv [kV] (computed at kv + kv_offset).")
      .def("__repr__", [](const TubeFitResult& r) {
        return "<kestrix.TubeFit " + TubeFitDescription(r.tube) + ">";
      });

  module.def(
      "fit_tube",
      [](const py::object& measurements, const py::object& vary, const py::object& uncertaintyPercent,
         const py::kwargs& kwargs) {
        const std::vector<TubeMeasurement> measured = MeasurementsFrom(measurements);
        const std::vector<TubeInput> varied = VariedFrom(vary);
        std::optional<double> uncertainty;
        if (!uncertaintyPercent.is_none()) {
          uncertainty = CheckedNumber("uncertainty_percent", NumberArgument("uncertainty_percent", uncertaintyPercent, "%"));
          if (!(*uncertainty > 0)) throw std::invalid_argument("uncertainty_percent: " + ShortestDecimal(*uncertainty) + " % is not positive");
        }
        std::vector<std::string> allowed;
        for (const std::string& keyword : BeamKeywords()) {
          if (keyword != "kv") allowed.push_back(keyword);
        }
        BeamArguments arguments = ArgumentsFromKeywords("fit_tube", kwargs, BeamArguments{}, allowed);
        if (arguments.targetThicknessUm &&
            std::find(varied.begin(), varied.end(), TubeInput::TargetAngle) != varied.end()) {
          throw std::invalid_argument("vary: a transmission target has no target angle to fit");
        }
        double highest = 0;
        for (const TubeMeasurement& m : measured) highest = std::max(highest, m.tubeVoltageKV);
        std::size_t layers = 0;
        for (const TubeMeasurement& m : measured) {
          for (const std::optional<double>& layer : m.layersMm) layers += layer.has_value();
        }
        if (layers < varied.size()) {
          throw std::invalid_argument("vary: " + std::to_string(layers) + " measured layer(s) cannot fix " +
                                      std::to_string(varied.size()) + " inputs: measure at least as many layers");
        }
        auto result = std::make_unique<TubeFitResult>();
        result->start = arguments;
        {
          py::gil_scoped_release release;
          BeamArguments checked = arguments;
          checked.kv = 100;  // each measurement brings its own voltage, checked by the fit
          const BeamRequest request = ResolveBeam(checked);
          BatchRun batch(request.tablePath, request.filters);
          result->tube = FitTubeInputs(batch, request.settings, measured, varied, uncertainty);
        }
        WarnFit(result->tube.fit.warnings);
        const TubeInputValues& fitted = result->tube.fit.inputs;
        arguments.kv = highest + fitted[static_cast<std::size_t>(TubeInput::KvOffset)];
        arguments.alEq = fitted[static_cast<std::size_t>(TubeInput::InherentAluminiumEquivalent)];
        arguments.al = fitted[static_cast<std::size_t>(TubeInput::AddedAluminium)];
        arguments.cu = fitted[static_cast<std::size_t>(TubeInput::AddedCopper)];
        arguments.angle = fitted[static_cast<std::size_t>(TubeInput::TargetAngle)];
        result->inputs = arguments;
        return result;
      },
      py::arg("measurements"), py::arg("vary") = py::make_tuple("al_eq"), py::arg("uncertainty_percent") = py::none(),
      "fit_tube(measurements, vary=('al_eq',), uncertainty_percent=None, **beam)\n\n"
      "Commissions a tube from layers measured at several tube voltages: measurements is a sequence of\n"
      "dicts with kv [kV] and any of hvl1_al_mm, hvl2_al_mm, hvl1_cu_mm, hvl2_cu_mm [mm]; vary names one\n"
      "to three of 'al_eq', 'al', 'cu', 'angle', 'kv_offset' (the generator's deviation from the nominal\n"
      "voltage [kV]), fitted by least squares on the relative deviations starting from the beam keywords\n"
      "given (those of Beam without kv; the offset from 0). uncertainty_percent: the measurements' relative\n"
      "standard uncertainty [%]; a kestrix.FitWarning says when the rms deviation exceeds it. Returns a\n"
      "kestrix.TubeFit with .params, .uncertainties, .residuals [%] and .beam(kv), the tube's Beam at any\n"
      "nominal voltage.");

  module.def(
      "qualities",
      [] {
        const std::string delivered = (std::filesystem::path(DataFolder()) / kAttenuationTableFile).string();
        py::list list;
        for (const RadiationQuality& quality : LoadRadiationQualities(DataFileBeside(delivered, kRadiationQualitiesFile))) {
          list.append(QualityDict(quality));
        }
        return list;
      },
      "The delivered standard radiation qualities (ISO 4037 N and H, IEC 61267 RQR, RQA and RQT) as\n"
      "kestrix-cli --list-qualities --json gives them: name, standard, tube_voltage_kV, beryllium_mm and\n"
      "aluminium_mm (None: the tube's own), filters, nominal_hvl1_al_mm [mm Al] (None: a fixed\n"
      "filtration), based_on (the RQR an RQA or RQT is realised from; else None).");
}

}  // namespace kestrix::python
