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
#include "bindings.h"
#include "decimal_text.h"
#include "radiation_quality.h"

namespace py = pybind11;

namespace kestrix::python {
namespace {

/// A spectrum on the exchange files' grid: bins 1..600, 0.5 to 300 keV.
struct Spectrum {
  py::array_t<double> energyKeV;  /// photon energy of each bin [keV]
  py::array_t<double> values;     /// relative value of each bin [relative]
  std::string quantity;           /// "photon", "exposure" or "energy"
  std::string normalisation;      /// "max" (peak 1) or "total" (sum 1)
};

py::array_t<double> ReadOnly(py::array_t<double> array) {
  array.attr("setflags")(py::arg("write") = false);
  return array;
}

Spectrum SpectrumOf(const ExchangeSpectrum& relative, const std::string& quantity) {
  py::array_t<double> energy(kExchangeRows);
  py::array_t<double> values(kExchangeRows);
  auto e = energy.mutable_unchecked<1>();
  auto v = values.mutable_unchecked<1>();
  for (int i = 1; i <= kExchangeRows; ++i) {
    e(i - 1) = i / 2.0;
    v(i - 1) = relative[i];
  }
  return Spectrum{ReadOnly(energy), ReadOnly(values), quantity, "max"};
}

Spectrum Normalised(const Spectrum& spectrum, const std::string& kind) {
  if (kind != "max" && kind != "total") throw std::invalid_argument("normalised: \"" + kind + "\" is not one of max | total");
  const auto v = spectrum.values.unchecked<1>();
  double scale = 0;
  for (py::ssize_t i = 0; i < v.shape(0); ++i) scale = kind == "max" ? std::max(scale, v(i)) : scale + v(i);
  if (!(scale > 0)) throw std::invalid_argument("normalised: the spectrum is zero everywhere");
  py::array_t<double> values(v.shape(0));
  auto out = values.mutable_unchecked<1>();
  for (py::ssize_t i = 0; i < v.shape(0); ++i) out(i) = v(i) / scale;
  return Spectrum{spectrum.energyKeV, ReadOnly(values), spectrum.quantity, kind};
}

DisplayQuantity QuantityOf(const std::string& name) {
  for (const DisplayQuantity quantity : {DisplayQuantity::PhotonNumber, DisplayQuantity::Exposure, DisplayQuantity::Energy}) {
    if (name == QuantityKeyword(quantity)) return quantity;
  }
  throw std::invalid_argument("quantity: \"" + name + "\" is not one of photon | exposure | energy");
}

/// One calculation with the batch run that made it, so that other quantities can be computed later.
class Beam {
 public:
  /// the beam of the arguments as they stand
  static std::unique_ptr<Beam> Compute(const BeamArguments& arguments) {
    const BeamRequest request = ResolveBeam(arguments);
    auto beam = std::unique_ptr<Beam>(new Beam(arguments.filters, request.settings));
    beam->batch_ = std::make_unique<BatchRun>(request.tablePath, request.filters);
    beam->outcome_ = beam->batch_->Run(request.settings);
    return beam;
  }

  /// the beam of the arguments with one entry's thickness fitted to a first half-value layer
  static std::unique_ptr<Beam> Fitted(const BeamArguments& arguments, const FitRequest& fit) {
    const BeamRequest request = ResolveBeam(arguments);
    auto beam = std::unique_ptr<Beam>(new Beam(arguments.filters, request.settings));
    beam->batch_ = std::make_unique<BatchRun>(request.tablePath, request.filters);
    FitOutcome fitted = beam->batch_->Fit(request.settings, fit);
    beam->settings_ = fitted.settings;
    beam->outcome_ = std::move(fitted.outcome);
    beam->fit_ = std::move(fitted);
    return beam;
  }

  /// a standard radiation quality realised with the arguments' model, angle, waveform, filters and
  /// (for RQR) inherent filtration; inherentGiven: be or al_eq was given
  static std::unique_ptr<Beam> OfQuality(const BeamArguments& arguments, const std::string& name, bool inherentGiven) {
    const BeamRequest request = ResolveBeam(arguments);
    const std::string delivered = (std::filesystem::path(DataFolder()) / kAttenuationTableFile).string();
    const std::string source = DataFileBeside(delivered, kRadiationQualitiesFile);
    const std::vector<RadiationQuality> qualities = LoadRadiationQualities(source);
    const RadiationQuality* quality = FindRadiationQuality(qualities, name);
    if (quality == nullptr) {
      throw std::invalid_argument("quality: \"" + name + "\" is not a quality of " + source + " (see kestrix.qualities())");
    }
    if (!quality->nominalHvl1AlMm && inherentGiven) {
      throw std::invalid_argument("quality " + quality->name + " sets the inherent filtration itself: leave out be and al_eq");
    }
    const QualityPlan plan = PlanQuality(*quality, request.settings, request.filters, delivered);
    std::vector<std::pair<std::string, double>> shown = arguments.filters;
    for (const QualityFilter& filter : quality->filters) {
      if (filter.material != "Cu" && filter.material != "Al") shown.emplace_back(filter.material, filter.thicknessMm);
    }
    auto beam = std::unique_ptr<Beam>(new Beam(shown, plan.settings));
    beam->batch_ = std::make_unique<BatchRun>(request.tablePath, plan.filters);
    QualityOutcome realised = RunQuality(*beam->batch_, plan);
    if (realised.fit) beam->settings_ = realised.fit->settings;
    beam->outcome_ = std::move(realised.outcome);
    beam->fit_ = std::move(realised.fit);
    beam->quality_ = *quality;
    return beam;
  }

  const std::vector<std::pair<std::string, double>>& Filters() const { return filters_; }
  const RunSettings& Settings() const { return settings_; }
  const RunOutcome& Outcome() const { return outcome_; }
  const std::optional<FitOutcome>& Fit() const { return fit_; }
  const std::optional<RadiationQuality>& Quality() const { return quality_; }

  /// fluence and air kerma per mAs at another distance [mm]
  BeamOutput OutputAt(double distanceMm) const { return batch_->OutputAt(outcome_, settings_.model, distanceMm); }

  /// the quantity relative to its peak in full precision; runs the calculation again for exposure and energy
  ExchangeSpectrum Relative(DisplayQuantity quantity) {
    if (quantity == DisplayQuantity::PhotonNumber) return outcome_.photonSpectrum;
    std::lock_guard<std::mutex> lock(mutex_);
    RunSettings settings = settings_;
    settings.quantity = quantity;
    return batch_->Run(settings).quantitySpectrum;
  }

 private:
  Beam(std::vector<std::pair<std::string, double>> filters, RunSettings settings)
      : filters_(std::move(filters)), settings_(std::move(settings)) {}

  std::vector<std::pair<std::string, double>> filters_;  /// (material as given, mm)
  RunSettings settings_;                                 /// the inputs of outcome_
  std::unique_ptr<BatchRun> batch_;
  RunOutcome outcome_;
  std::optional<FitOutcome> fit_;
  std::optional<RadiationQuality> quality_;
  std::mutex mutex_;
};

/// Builds a beam with the GIL released, then reports its corrections.
template <typename Make>
std::unique_ptr<Beam> Built(const Make& make) {
  std::unique_ptr<Beam> beam;
  {
    py::gil_scoped_release release;
    beam = make();
  }
  WarnCorrections(beam->Outcome().corrections);
  return beam;
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
  if (!output.airKermaMicroGrayPerMas) missing[kAirKermaKey] = output.missing;
  if (!output.photonFluencePerMasPerMm2) missing[kPhotonFluenceKey] = output.missing;
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
  entry["beryllium_mm"] = Optional(quality.berylliumMm);
  entry["aluminium_mm"] = Optional(quality.aluminiumMm);
  py::list filters;
  for (const QualityFilter& filter : quality.filters) {
    filters.append(py::dict(py::arg("material") = filter.material, py::arg("thickness_mm") = filter.thicknessMm));
  }
  entry["filters"] = filters;
  entry["nominal_hvl1_al_mm"] = Optional(quality.nominalHvl1AlMm);
  return std::move(entry);
}

std::string Repr(const Beam& beam) {
  const UsedEntries& used = beam.Outcome().used;
  std::ostringstream text;
  text << "Beam(model='" << ModelKeyword(beam.Settings().model) << "', kv=" << ShortestDecimal(used.tubeVoltageKV)
       << ", angle=" << ShortestDecimal(used.targetAngleDegrees) << ", be=" << ShortestDecimal(used.berylliumMm)
       << ", al_eq=" << ShortestDecimal(used.aluminiumEquivalentMm) << ", al=" << ShortestDecimal(used.addedAluminiumMm)
       << ", cu=" << ShortestDecimal(used.addedCopperMm) << ", waveform='" << WaveformKeyword(beam.Settings().waveform)
       << "', filters=(";
  const auto& filters = beam.Filters();
  for (std::size_t k = 0; k < filters.size(); ++k) {
    text << (k > 0 ? ", (" : "(") << py::repr(py::str(filters[k].first)).cast<std::string>() << ", "
         << ShortestDecimal(filters[k].second) << ")";
  }
  text << (filters.size() == 1 ? ",))" : "))");
  return text.str();
}

FittedEntry EntryOf(const std::string& name) {
  if (name == "al_eq" || name == "al-eq") return FittedEntry::InherentAluminiumEquivalent;
  if (name == "al") return FittedEntry::AddedAluminium;
  if (name == "cu") return FittedEntry::AddedCopper;
  throw std::invalid_argument("entry: \"" + name + "\" is not one of al_eq | al | cu");
}

FitRequest FitRequestOf(const std::string& entry, const py::object& targetAl, const py::object& targetCu) {
  if (targetAl.is_none() == targetCu.is_none()) {
    throw std::invalid_argument("fit: give one of target_hvl_al and target_hvl_cu (the first half-value layer to reach, in mm)");
  }
  const bool aluminium = !targetAl.is_none();
  const double target = (aluminium ? targetAl : targetCu).cast<double>();
  CheckedNumber(aluminium ? "target_hvl_al" : "target_hvl_cu", target);
  return FitRequest{EntryOf(entry), aluminium ? LayerMaterial::Aluminium : LayerMaterial::Copper, target};
}

}  // namespace

void BindBeam(py::module_& module) {
  py::class_<Spectrum>(module, "Spectrum",
                       "A relative spectrum on the 0.5 keV grid: 600 bins from 0.5 to 300 keV.")
      .def_readonly("energy_keV", &Spectrum::energyKeV, "photon energy of each bin [keV] (read-only float64 array)")
      .def_readonly("values", &Spectrum::values,
                    "value of each bin relative to the peak (or to the total after normalised('total')), "
                    "in full precision (read-only float64 array)")
      .def_readonly("quantity", &Spectrum::quantity, "'photon', 'exposure' or 'energy'")
      .def_readonly("normalisation", &Spectrum::normalisation,
                    "'max' (peak 1), 'total' (sum 1) or 'per_mas' (photons per keV per mm2 per mAs)")
      .def("normalised", &Normalised, py::arg("kind") = "total",
           "The same spectrum scaled so that its values sum to 1 ('total') or peak at 1 ('max').")
      .def("__len__", [](const Spectrum& spectrum) { return spectrum.values.size(); })
      .def("__repr__", [](const Spectrum& spectrum) {
        const std::string scale = spectrum.normalisation == "per_mas" ? "in photons per keV per mm2 per mAs"
                                  : spectrum.normalisation == "max"   ? "normalised to its peak"
                                                                      : "normalised to its total";
        return "<kestrix.Spectrum " + spectrum.quantity + ", " + scale + ", 600 bins 0.5-300 keV>";
      });

  py::class_<Beam>(module, "Beam",
                   "One X-ray beam computed as kestrix-cli computes it: the spectrum of the Tucker or Birch model\n"
                   "and the half-value-layer engine's figures.\n\n"
                   "model: 'tucker' or 'birch'; kv: tube voltage [kV] (above 300 becomes 300, 30 or below 30);\n"
                   "angle: target angle [degrees]; be: beryllium window [mm]; al_eq: inherent aluminium\n"
                   "equivalent [mm]; al, cu: added aluminium and copper [mm]; waveform: 'constant', '12-peak'\n"
                   "or 'single-phase'; filters: up to three (material, mm) with a delivered material name\n"
                   "(kestrix.materials()) or the path of a .ele/.mix file; table: attenuation table path\n"
                   "(None: the delivered one).\n\n"
                   "Corrections of the inputs are reported as kestrix.CorrectionWarning; inputs the calculation\n"
                   "refuses raise ValueError with kestrix-cli's message.")
      .def(py::init([](const std::string& model, double kv, double angle, double be, double alEq, double al, double cu,
                       const std::string& waveform, const py::object& filters, const py::object& table) {
             const BeamArguments arguments = ArgumentsFrom(model, kv, angle, be, alEq, al, cu, waveform, filters, table);
             return Built([&arguments] { return Beam::Compute(arguments); });
           }),
           py::arg("model") = "tucker", py::arg("kv") = 200.0, py::arg("angle") = 20.0, py::arg("be") = 3.0,
           py::arg("al_eq") = 5.0, py::arg("al") = 0.0, py::arg("cu") = 0.0, py::arg("waveform") = "constant",
           py::arg("filters") = py::tuple(), py::arg("table") = py::none())
      .def_static(
          "from_quality",
          [](const std::string& name, const std::string& model, double angle, const py::object& be,
             const py::object& alEq, const std::string& waveform, const py::object& filters, const py::object& table) {
            const BeamArguments arguments =
                ArgumentsFrom(model, 200, angle, be.is_none() ? 3.0 : be.cast<double>(),
                              alEq.is_none() ? 5.0 : alEq.cast<double>(), 0, 0, waveform, filters, table);
            const bool inherentGiven = !be.is_none() || !alEq.is_none();
            return Built([&] { return Beam::OfQuality(arguments, name, inherentGiven); });
          },
          py::arg("name"), py::kw_only(), py::arg("model") = "tucker", py::arg("angle") = 20.0,
          py::arg("be") = py::none(), py::arg("al_eq") = py::none(), py::arg("waveform") = "constant",
          py::arg("filters") = py::tuple(), py::arg("table") = py::none(),
          "The beam of a standard radiation quality (kestrix.qualities()): 'N-100', 'H-60', 'RQR5' ...\n"
          "The quality sets the tube voltage and the filtration; N and H also the inherent filtration, so be\n"
          "and al_eq [mm] may only be given for RQR, whose added aluminium is fitted to the nominal first\n"
          "half-value layer on the tube's own inherent filtration (default 3 mm Be, 5 mm Al eq.). model,\n"
          "angle, waveform, filters and table are those of Beam.")
      .def(
          "spectrum",
          [](Beam& beam, const std::string& quantity, const std::string& normalise, double distanceMm) {
            const DisplayQuantity wanted = QuantityOf(quantity);
            if (normalise == "per_mas") {
              if (wanted != DisplayQuantity::PhotonNumber) {
                throw std::invalid_argument("spectrum: normalise='per_mas' gives photon numbers; quantity must be 'photon'");
              }
              if (!beam.Outcome().absoluteSpectrum) {
                throw std::invalid_argument(std::string("spectrum: normalise='per_mas' needs a model with absolute output; the ") +
                                            ModelKeyword(beam.Settings().model) + " model is relative");
              }
              CheckDistance(CheckedNumber("distance_mm", distanceMm));
              Spectrum absolute = SpectrumOf(FluencePerMasSpectrum(*beam.Outcome().absoluteSpectrum, distanceMm), quantity);
              absolute.normalisation = "per_mas";
              return absolute;
            }
            if (normalise != "max" && normalise != "total") {
              throw std::invalid_argument("spectrum: normalise \"" + normalise + "\" is not one of max | total | per_mas");
            }
            ExchangeSpectrum relative;
            {
              py::gil_scoped_release release;
              relative = beam.Relative(wanted);
            }
            const Spectrum peakOne = SpectrumOf(relative, quantity);
            return normalise == "max" ? peakOne : Normalised(peakOne, "total");
          },
          py::arg("quantity") = "photon", py::arg("normalise") = "max", py::arg("distance_mm") = kDefaultDistanceMm,
          "The spectrum of 'photon' number, 'exposure' or 'energy' in full precision: relative to its peak\n"
          "(normalise='max'), to its total ('total'), or for a model with absolute output the photons per keV\n"
          "per mm2 per mAs at distance_mm [mm] from the focal spot ('per_mas', photon number only).")
      .def(
          "output",
          [](const Beam& beam, double distanceMm) {
            return OutputFigures(beam.OutputAt(CheckedNumber("distance_mm", distanceMm)));
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
            const std::string path = PathText(folder);
            const RunOutcome& outcome = beam.Outcome();
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
      .def_property_readonly("fit", [](const Beam& beam) { return FitReport(beam.Fit()); },
                             "the fitted entry, its thickness [mm] and the layer targeted and reached [mm], as\n"
                             "kestrix-cli's JSON 'fit'; None for a beam without a fit")
      .def_property_readonly(
          "radiation_quality",
          [](const Beam& beam) { return beam.Quality() ? QualityDict(*beam.Quality()) : py::object(py::none()); },
          "the standard radiation quality of a beam from Beam.from_quality, as in kestrix.qualities(); else None")
      .def_property_readonly("model", [](const Beam& b) { return std::string(ModelKeyword(b.Settings().model)); })
      .def_property_readonly("kv", [](const Beam& b) { return b.Outcome().used.tubeVoltageKV; },
                             "tube voltage used [kV]")
      .def_property_readonly("angle", [](const Beam& b) { return b.Outcome().used.targetAngleDegrees; },
                             "target angle [degrees]")
      .def_property_readonly("be", [](const Beam& b) { return b.Outcome().used.berylliumMm; },
                             "beryllium window used [mm]")
      .def_property_readonly("al_eq", [](const Beam& b) { return b.Outcome().used.aluminiumEquivalentMm; },
                             "inherent aluminium equivalent used [mm]")
      .def_property_readonly("al", [](const Beam& b) { return b.Outcome().used.addedAluminiumMm; },
                             "added aluminium [mm]")
      .def_property_readonly("cu", [](const Beam& b) { return b.Outcome().used.addedCopperMm; },
                             "added copper [mm]")
      .def_property_readonly("waveform",
                             [](const Beam& b) { return std::string(WaveformKeyword(b.Settings().waveform)); })
      .def_property_readonly("filters", [](const Beam& b) { return b.Filters(); },
                             "the (material, mm) filters as given, then those of a quality")
      .def_property_readonly("corrections", [](const Beam& b) { return b.Outcome().corrections; },
                             "one sentence per correction the run applied to the inputs")
      .def("__repr__", &Repr);

  module.def(
      "fit",
      [](const std::string& entry, const py::object& targetAl, const py::object& targetCu, const std::string& model,
         double kv, double angle, double be, double alEq, double al, double cu, const std::string& waveform,
         const py::object& filters, const py::object& table) {
        const FitRequest request = FitRequestOf(entry, targetAl, targetCu);
        const BeamArguments arguments = ArgumentsFrom(model, kv, angle, be, alEq, al, cu, waveform, filters, table);
        return Built([&] { return Beam::Fitted(arguments, request); });
      },
      py::arg("entry"), py::arg("target_hvl_al") = py::none(), py::arg("target_hvl_cu") = py::none(), py::kw_only(),
      py::arg("model") = "tucker", py::arg("kv") = 200.0, py::arg("angle") = 20.0, py::arg("be") = 3.0,
      py::arg("al_eq") = 5.0, py::arg("al") = 0.0, py::arg("cu") = 0.0, py::arg("waveform") = "constant",
      py::arg("filters") = py::tuple(), py::arg("table") = py::none(),
      "The Beam whose entry ('al_eq', 'al' or 'cu') is fitted, 0 to 100 mm to 0.001 mm, so that its first\n"
      "half-value layer in aluminium (target_hvl_al) or copper (target_hvl_cu) [mm] is reached; the other\n"
      "arguments are those of Beam. Beam.fit tells the thickness found. A target out of reach raises\n"
      "ValueError stating the reachable range.");

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
      "The delivered standard radiation qualities (ISO 4037 N and H, IEC 61267 RQR) as kestrix-cli\n"
      "--list-qualities --json gives them: name, standard, tube_voltage_kV, beryllium_mm and aluminium_mm\n"
      "(None: the tube's own), filters, nominal_hvl1_al_mm [mm Al] (None: not fitted).");
}

}  // namespace kestrix::python
