// kestrix.Beam: one calculation kept with its batch run, and kestrix.Spectrum, its spectra as numpy arrays.

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <memory>
#include <mutex>
#include <sstream>

#include "beam_figures.h"
#include "bindings.h"
#include "json_writer.h"

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
  explicit Beam(const BeamArguments& arguments)
      : arguments_(arguments),
        request_(ResolveBeam(arguments)),
        batch_(std::make_unique<BatchRun>(request_.tablePath, request_.filters)),
        outcome_(batch_->Run(request_.settings)) {}

  const BeamArguments& Arguments() const { return arguments_; }
  const RunSettings& Settings() const { return request_.settings; }
  const RunOutcome& Outcome() const { return outcome_; }

  /// the quantity relative to its peak in full precision; runs the calculation again for exposure and energy
  ExchangeSpectrum Relative(DisplayQuantity quantity) {
    if (quantity == DisplayQuantity::PhotonNumber) return outcome_.photonSpectrum;
    std::lock_guard<std::mutex> lock(mutex_);
    RunSettings settings = request_.settings;
    settings.quantity = quantity;
    return batch_->Run(settings).quantitySpectrum;
  }

 private:
  BeamArguments arguments_;
  BeamRequest request_;
  std::unique_ptr<BatchRun> batch_;
  RunOutcome outcome_;
  std::mutex mutex_;
};

py::dict Figures(const RunOutcome& outcome) {
  py::dict figures;
  py::dict missing;
  const std::vector<FigureField>& fields = FigureFields();
  for (std::size_t k = 0; k < fields.size(); ++k) {
    const std::optional<double> value = FigureValue(outcome, k);
    figures[fields[k].key] = value ? py::object(py::float_(*value)) : py::object(py::none());
    if (!value) missing[fields[k].key] = MissingFigureReason(outcome, k);
  }
  figures["missing"] = missing;
  return figures;
}

std::string Repr(const Beam& beam) {
  const UsedEntries& used = beam.Outcome().used;
  std::ostringstream text;
  text << "Beam(model='" << ModelKeyword(beam.Settings().model) << "', kv=" << ShortestDecimal(used.tubeVoltageKV)
       << ", angle=" << ShortestDecimal(used.targetAngleDegrees) << ", be=" << ShortestDecimal(used.berylliumMm)
       << ", al_eq=" << ShortestDecimal(used.aluminiumEquivalentMm) << ", al=" << ShortestDecimal(used.addedAluminiumMm)
       << ", cu=" << ShortestDecimal(used.addedCopperMm) << ", waveform='" << WaveformKeyword(beam.Settings().waveform)
       << "', filters=(";
  const auto& filters = beam.Arguments().filters;
  for (std::size_t k = 0; k < filters.size(); ++k) {
    text << (k > 0 ? ", (" : "(") << py::repr(py::str(filters[k].first)).cast<std::string>() << ", "
         << ShortestDecimal(filters[k].second) << ")";
  }
  text << (filters.size() == 1 ? ",))" : "))");
  return text.str();
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
      .def_readonly("normalisation", &Spectrum::normalisation, "'max' (peak 1) or 'total' (sum 1)")
      .def("normalised", &Normalised, py::arg("kind") = "total",
           "The same spectrum scaled so that its values sum to 1 ('total') or peak at 1 ('max').")
      .def("__len__", [](const Spectrum& spectrum) { return spectrum.values.size(); })
      .def("__repr__", [](const Spectrum& spectrum) {
        return "<kestrix.Spectrum " + spectrum.quantity + ", normalised to its " +
               (spectrum.normalisation == "max" ? "peak" : "total") + ", 600 bins 0.5-300 keV>";
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
             std::unique_ptr<Beam> beam;
             {
               py::gil_scoped_release release;
               beam = std::make_unique<Beam>(arguments);
             }
             WarnCorrections(beam->Outcome().corrections);
             return beam;
           }),
           py::arg("model") = "tucker", py::arg("kv") = 200.0, py::arg("angle") = 20.0, py::arg("be") = 3.0,
           py::arg("al_eq") = 5.0, py::arg("al") = 0.0, py::arg("cu") = 0.0, py::arg("waveform") = "constant",
           py::arg("filters") = py::tuple(), py::arg("table") = py::none())
      .def(
          "spectrum",
          [](Beam& beam, const std::string& quantity) {
            const DisplayQuantity wanted = QuantityOf(quantity);
            ExchangeSpectrum relative;
            {
              py::gil_scoped_release release;
              relative = beam.Relative(wanted);
            }
            return SpectrumOf(relative, quantity);
          },
          py::arg("quantity") = "photon",
          "The spectrum of 'photon' number, 'exposure' or 'energy' relative to its peak, in full precision.")
      .def(
          "figures", [](const Beam& beam) { return Figures(beam.Outcome()); },
          "The engine's beam-quality figures, keyed as kestrix-cli's JSON results: hvl_al_mm [mm Al],\n"
          "effective_energy_al_keV [keV], hvl_cu_mm [mm Cu], effective_energy_cu_keV [keV],\n"
          "photons_per_mm2_per_Ckg [1/mm2 per C/kg]; None for a figure the engine cannot give, with the\n"
          "reason under 'missing'.")
      .def(
          "save_exchange",
          [](const Beam& beam, const py::object& folder) {
            const std::string path = py::str(py::module_::import("os").attr("fspath")(folder));
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
      .def_property_readonly("filters", [](const Beam& b) { return b.Arguments().filters; },
                             "the (material, mm) filters as given")
      .def_property_readonly("corrections", [](const Beam& b) { return b.Outcome().corrections; },
                             "one sentence per correction the run applied to the inputs")
      .def("__repr__", &Repr);
}

}  // namespace kestrix::python
