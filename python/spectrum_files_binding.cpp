// kestrix.Spectrum's files beyond its table: Monte Carlo source files (to_source), measured spectra
// read from a file (from_csv), and the figures of any photon spectrum (figures, quality, compare).

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <mutex>

#include "atomic_file.h"
#include "beam_figures.h"
#include "beam_settings.h"
#include "bindings.h"
#include "measured_spectrum.h"
#include "monte_carlo_source.h"

namespace py = pybind11;

namespace kestrix::python {
namespace {

SourceFormat FormatOf(const py::handle& word) {
  const std::string name = TextArgument("format", word);
  const std::optional<SourceFormat> format = SourceFormatOfKeyword(name);
  if (!format) throw std::invalid_argument("format: \"" + name + "\" is not one of " + SourceFormatKeywordList());
  return *format;
}

/// the spectrum's lines: those of the target of its model, none for a spectrum of no model
std::vector<int> LineBinsOf(const SpectrumDescription& description) {
  const std::optional<SpectrumModel> model = ModelOfKeyword(description.model);
  return model ? TungstenLineBins(*model, description.tubeVoltageKV) : std::vector<int>{};
}

void ToSource(const py::handle& self, const py::object& path, const py::handle& formatWord) {
  const SpectrumContent content = ContentOfSpectrum("self", self);
  const std::string target = PathText("path", path);
  const SourceFormat format = FormatOf(formatWord);
  if (content.quantity != "photon") {
    throw std::invalid_argument("to_source: a source is a photon spectrum; this one is of '" + content.quantity +
                                "' (take beam.spectrum('photon'))");
  }
  const SourceSpectrum source = SeparateLines(content.values, LineBinsOf(content.description));
  const std::string title = content.description.program + ": " + SourceTitle(content.description);
  py::gil_scoped_release release;
  SaveFileAtomically(target, [&](std::ostream& out) { WriteSource(out, format, source, title); });
}

/// The figures of a photon spectrum with the delivered table, one run at a time.
RunOutcome Weighed(const SpectrumContent& content, const char* method) {
  if (content.quantity != "photon") {
    throw std::invalid_argument(std::string(method) + ": the figures are those of a photon spectrum; this one is of '" +
                                content.quantity + "'");
  }
  static std::mutex mutex;
  static std::unique_ptr<BatchRun> batch;
  py::gil_scoped_release release;
  const std::lock_guard<std::mutex> lock(mutex);
  if (!batch) batch = std::make_unique<BatchRun>((std::filesystem::path(DataFolder()) / kAttenuationTableFile).string(),
                                                 std::vector<FilterRequest>{});
  return batch->Weigh(content.values);
}

py::object FromCsv(const py::object& path) {
  const std::string source = PathText("path", path);
  MeasuredSpectrum measured;
  {
    py::gil_scoped_release release;
    measured = LoadMeasuredSpectrum(source);
  }
  SpectrumContent content;
  content.values = measured.photons;
  content.quantity = "photon";
  content.normalisation = "max";
  SpectrumDescription& d = content.description;
  d.program = "kestrix (Python)";
  d.model = "measured (" + source + ")";
  for (int i = kExchangeRows; i >= 1; --i) {
    if (measured.photons[i] > 0) {
      d.tubeVoltageKV = 0.5 * i;  // the highest energy with photons
      break;
    }
  }
  d.waveform = "measured";
  d.quantity = "photon";
  d.normalisation = "max";
  return MakeSpectrum(content);
}

py::object Number(const std::optional<double>& value) {
  return value ? py::object(py::float_(*value)) : py::object(py::none());
}

py::dict Comparison(const std::optional<double>& spectrum, const std::optional<double>& beam) {
  py::dict entry;
  entry["spectrum"] = Number(spectrum);
  entry["beam"] = Number(beam);
  entry["deviation_percent"] =
      spectrum && beam && *beam != 0 ? Number(RoundToSignificantDigits(100 * (*spectrum / *beam - 1), kFigureSignificantDigits))
                                     : py::object(py::none());
  return entry;
}

py::dict Compare(const py::handle& self, const py::handle& beamObject) {
  const SpectrumContent content = ContentOfSpectrum("self", self);
  const RunOutcome& beam = OutcomeOfBeam("beam", beamObject);
  // a measured spectrum ends at 300 keV; a beam above 300 kV would be compared on part of its photons
  if (beam.lastBin > kExchangeLast) {
    throw std::invalid_argument("beam: a beam above 300 kV has photons beyond the 300 keV a measured spectrum holds");
  }
  const RunOutcome spectrum = Weighed(content, "compare");
  py::dict figures;
  for (std::size_t k = 0; k < FigureFields().size(); ++k) {
    figures[FigureFields()[k].key] = Comparison(FigureValue(spectrum, k), FigureValue(beam, k));
  }
  for (std::size_t f = 0; f < kExtendedFigureCount; ++f) {
    figures[ExtendedFigureFields()[f].key] = Comparison(spectrum.extended.values[f], beam.extended.values[f]);
  }
  // both spectra as shares of their photons, bin by bin
  double own = 0, model = 0;
  for (int i = 1; i <= kExchangeRows; ++i) {
    own += spectrum.photonSpectrum[i];
    model += beam.photonSpectrum[i];
  }
  py::array_t<double> energies(kExchangeRows), ratio(kExchangeRows);
  for (int i = 1; i <= kExchangeRows; ++i) {
    energies.mutable_data()[i - 1] = 0.5 * i;
    const double b = beam.photonSpectrum[i] / model;
    ratio.mutable_data()[i - 1] = b > 0 ? spectrum.photonSpectrum[i] / own / b : std::numeric_limits<double>::quiet_NaN();
  }
  py::dict result;
  result["figures"] = figures;
  result["energy_keV"] = energies;
  result["ratio"] = ratio;
  return result;
}

}  // namespace

void BindSpectrumFiles(py::module_& module) {
  py::object spectrum = module.attr("Spectrum");
  spectrum.attr("to_source") = py::cpp_function(
      &ToSource, py::name("to_source"), py::is_method(spectrum), py::arg("path"), py::arg("format"),
      "to_source(path, format)\n\n"
      "Writes the photon spectrum as the source of a Monte Carlo code: format 'egsnrc' (.spectrum, mode 0),\n"
      "'geant4' (General Particle Source macro, user histogram), 'gate' (GATE macro), 'mcnp' (SDEF with SI/SP\n"
      "cards), 'penelope' (SPECTR lines), 'topas' (BeamEnergySpectrum parameters) or 'phits' ([Source],\n"
      "e-type = 1). The 0.5 keV bins keep their edges; the target's characteristic lines are discrete lines\n"
      "(mcnp, topas) or bins 10 eV wide. Energies in the format's unit (MeV; eV for penelope), weights per bin,\n"
      "normalised to 1. The file is replaced whole or not at all (docs/spectrum_files.md).");
  spectrum.attr("from_csv") = py::staticmethod(py::cpp_function(
      &FromCsv, py::name("from_csv"), py::arg("path"),
      "Spectrum.from_csv(path)\n\n"
      "A measured photon spectrum from a comma-separated file: '#' lines skipped, an optional header row\n"
      "energy_keV,value (or energy_MeV,value), then rows energy,value with rising energies; a value is\n"
      "photons per unit energy on any scale. Put onto the 0.5 keV grid keeping the photons of every row's\n"
      "interval, relative to the fullest bin. figures(), quality() and compare(beam) give its figures as\n"
      "a Beam's; a faulty file raises ValueError naming the file and the line."));
  spectrum.attr("figures") = py::cpp_function(
      [](const py::handle& self) { return FiguresOf(Weighed(ContentOfSpectrum("self", self), "figures")); },
      py::name("figures"), py::is_method(spectrum),
      "The beam-quality figures of this photon spectrum as Beam.figures() gives them (engine and extended\n"
      "figures); the output is None: a spectrum alone has no absolute output.");
  spectrum.attr("quality") = py::cpp_function(
      [](const py::handle& self) {
        return ExtendedFiguresOf(Weighed(ContentOfSpectrum("self", self), "quality").extended);
      },
      py::name("quality"), py::is_method(spectrum), "The extended figures of this photon spectrum, as Beam.quality().");
  spectrum.attr("compare") = py::cpp_function(
      &Compare, py::name("compare"), py::is_method(spectrum), py::arg("beam"),
      "compare(beam)\n\n"
      "This photon spectrum beside a model beam: 'figures' maps every key of figures() and quality() to\n"
      "{'spectrum', 'beam', 'deviation_percent'} (100 (spectrum / beam - 1), None where either is missing);\n"
      "'energy_keV' and 'ratio' give the spectrum over the beam's, bin by bin, both as shares of their\n"
      "photons (NaN where the beam has none).");
}

}  // namespace kestrix::python
