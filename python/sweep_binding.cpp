// kestrix.sweep: one calculation per value of one input with one batch run, the GIL released throughout.

#include <pybind11/numpy.h>

#include <algorithm>
#include <cmath>
#include <optional>

#include "beam_figures.h"
#include "beam_inputs.h"
#include "bindings.h"
#include "decimal_text.h"

namespace py = pybind11;

namespace kestrix::python {
namespace {

/// The input a sweep varies and its values.
struct Swept {
  std::string column;  /// the result's first key: "kv", "al", ... or "filter_Sn_mm"
  BeamInput input = BeamInput::TubeVoltage;
  std::size_t filter = 0;
  std::vector<double> values;
};

const std::vector<std::pair<std::string, BeamInput>>& NumericKeywords() {
  static const std::vector<std::pair<std::string, BeamInput>> keywords{
      {"kv", BeamInput::TubeVoltage},          {"angle", BeamInput::TargetAngle},
      {"be", BeamInput::Beryllium},            {"al_eq", BeamInput::AluminiumEquivalent},
      {"al", BeamInput::AddedAluminium},       {"cu", BeamInput::AddedCopper}};
  return keywords;
}

bool IsSequence(const py::handle& value) {
  if (py::isinstance<py::str>(value) || py::isinstance<py::bytes>(value)) return false;
  if (py::isinstance<py::array>(value)) return py::reinterpret_borrow<py::array>(value).ndim() > 0;
  return py::isinstance<py::iterable>(value);
}

std::vector<double> ValuesOf(const std::string& argument, const py::handle& value, const char* unit) {
  std::vector<double> values;
  for (const py::handle item : py::reinterpret_borrow<py::iterable>(value)) {
    if (IsSequence(item)) {
      throw std::invalid_argument(argument + ": one sequence of values is needed, not a table");
    }
    values.push_back(CheckedNumber(argument.c_str(), NumberArgument(argument.c_str(), item, unit)));
  }
  return values;
}

/// finds the one swept input and puts its first value in its place in keywords
Swept SweptOf(py::dict& keywords) {
  // a choice takes one value in a sweep too: a list of targets or models is not a sweep
  for (const char* name : {"model", "waveform", "target", "lines", "table"}) {
    if (keywords.contains(name) && IsSequence(keywords[name])) {
      throw py::type_error(std::string(name) + ": takes one value; a sweep varies one of kv, angle, be, al_eq, al, cu "
                           "or one filter's thickness");
    }
  }
  std::vector<Swept> found;
  for (const auto& [name, input] : NumericKeywords()) {
    if (!keywords.contains(name) || !IsSequence(keywords[name.c_str()])) continue;
    found.push_back(Swept{name, input, 0, ValuesOf(name, keywords[name.c_str()], KeywordUnit(name))});
  }
  if (keywords.contains("filters") && IsSequence(keywords["filters"])) {
    py::list filters;
    std::size_t index = 0;
    for (const py::handle item : py::reinterpret_borrow<py::iterable>(keywords["filters"])) {
      if (py::isinstance<py::sequence>(item) && !py::isinstance<py::str>(item) && py::len(item) == 2 &&
          IsSequence(py::reinterpret_borrow<py::sequence>(item)[1])) {
        const py::sequence pair = py::reinterpret_borrow<py::sequence>(item);
        const std::string material = PathText("filters", py::reinterpret_borrow<py::object>(pair[0]));
        const std::string argument = "filters: the thickness of " + material;
        std::vector<double> values = ValuesOf(argument, pair[1], "mm");
        const std::string stem = py::str(py::module_::import("os.path").attr("basename")(material));
        found.push_back(Swept{"filter_" + stem.substr(0, stem.find('.')) + "_mm", BeamInput::FilterThickness, index,
                              values});
        filters.append(py::make_tuple(pair[0], values.empty() ? 0.0 : values.front()));
      } else {
        filters.append(item);
      }
      ++index;
    }
    keywords["filters"] = filters;
  }
  if (found.size() != 1) {
    std::string names;
    for (const Swept& swept : found) names += (names.empty() ? "" : " and ") + swept.column;
    throw std::invalid_argument(
        "sweep: exactly one of kv, angle, be, al_eq, al, cu or one filter's thickness must be a sequence of values, " +
        (found.empty() ? std::string("not none") : "not " + names));
  }
  // the swept input's place holds one of its values (an empty sweep: the default), for the checks
  // of the fixed inputs
  const Swept& swept = found.front();
  if (swept.input != BeamInput::FilterThickness) {
    if (swept.values.empty()) {
      PyDict_DelItemString(keywords.ptr(), swept.column.c_str());
    } else {
      keywords[swept.column.c_str()] = swept.values.front();
    }
  }
  return swept;
}

double UsedValue(const RunOutcome& outcome, BeamInput input) {
  const UsedEntries& used = outcome.used;
  switch (input) {
    case BeamInput::TubeVoltage: return used.tubeVoltageKV;
    case BeamInput::TargetAngle: return used.targetAngleDegrees;
    case BeamInput::Beryllium: return used.berylliumMm;
    case BeamInput::AluminiumEquivalent: return used.aluminiumEquivalentMm;
    case BeamInput::AddedAluminium: return used.addedAluminiumMm;
    default: return used.addedCopperMm;
  }
}

}  // namespace

void BindSweep(py::module_& module) {
  module.def(
      "sweep",
      [](const py::args& args, const py::kwargs& given) {
        py::dict keywords(given);
        // sweep(voltages, ...) as well as sweep(kv=voltages, ...)
        if (args.size() > 1) throw py::type_error("sweep() takes one positional argument (the tube voltages), not " +
                                                  std::to_string(args.size()));
        if (args.size() == 1) {
          if (keywords.contains("kv")) throw py::type_error("sweep() got the tube voltages twice: positionally and as kv");
          keywords["kv"] = args[0];
        }
        // the distance of the output, not an input of the beam
        double distanceMm = kDefaultDistanceMm;
        if (keywords.contains("distance_mm")) {
          distanceMm = CheckedNumber("distance_mm", NumberArgument("distance_mm", keywords["distance_mm"], "mm"));
          try {
            CheckDistance(distanceMm);
          } catch (const std::invalid_argument& refusal) {
            throw std::invalid_argument(std::string("distance_mm: ") + refusal.what());
          }
          PyDict_DelItemString(keywords.ptr(), "distance_mm");
        }
        for (const auto& [key, value] : keywords) {
          const std::string name = py::str(key);
          if (std::find(BeamKeywords().begin(), BeamKeywords().end(), name) == BeamKeywords().end()) {
            throw py::type_error("sweep() got an unexpected keyword argument '" + name + "'");
          }
        }
        const Swept swept = SweptOf(keywords);
        const BeamArguments arguments = ArgumentsFromKeywords("sweep", keywords, BeamArguments{}, BeamKeywords());
        BeamRequest request = ResolveBeam(arguments);
        request.settings.distanceMm = distanceMm;
        std::vector<RunOutcome> outcomes;
        {
          py::gil_scoped_release release;
          BatchRun batch(request.tablePath, request.filters);
          try {
            outcomes = SweepInput(batch, request.settings, swept.input, swept.filter, swept.values);
          } catch (const InputRefusalError& error) {
            throw std::invalid_argument(
                (swept.input == BeamInput::FilterThickness ? "filters: the thickness of " +
                                                                 arguments.filters[swept.filter].first
                                                           : InputKeyword(swept.input)) +
                ": " + error.refusal.reason);
          }
        }
        const auto column = [&outcomes](const auto& value) {
          py::array_t<double> array(static_cast<py::ssize_t>(outcomes.size()));
          auto out = array.mutable_unchecked<1>();
          for (std::size_t r = 0; r < outcomes.size(); ++r) out(static_cast<py::ssize_t>(r)) = value(r);
          return array;
        };
        py::dict result;
        result[swept.column.c_str()] = column([&](std::size_t r) {
          return swept.input == BeamInput::FilterThickness ? swept.values[r] : UsedValue(outcomes[r], swept.input);
        });
        for (std::size_t k = 0; k < FigureFields().size(); ++k) {
          result[FigureFields()[k].key] =
              column([&](std::size_t r) { return FigureValue(outcomes[r], k).value_or(std::nan("")); });
        }
        for (std::size_t f = 0; f < kExtendedFigureCount; ++f) {
          result[ExtendedFigureFields()[f].key] =
              column([&](std::size_t r) { return outcomes[r].extended.values[f].value_or(std::nan("")); });
        }
        // the output at distance_mm, as results.output of kestrix-cli's JSON (NaN for a relative model)
        result[kAirKermaKey] =
            column([&](std::size_t r) { return outcomes[r].output.airKermaMicroGrayPerMas.value_or(std::nan("")); });
        result[kPhotonFluenceKey] =
            column([&](std::size_t r) { return outcomes[r].output.photonFluencePerMasPerMm2.value_or(std::nan("")); });
        const py::object warn = py::module_::import("warnings").attr("warn");
        for (std::size_t r = 0; r < outcomes.size(); ++r) {
          WarnCorrections(outcomes[r].corrections);
          if (!outcomes[r].results && outcomes[r].lastBin <= kExchangeLast) {
            warn("no beam-quality figures at " + swept.column + " = " + ShortestDecimal(swept.values[r]) + ": " +
                 outcomes[r].engineError);
          }
        }
        return result;
      },
      "sweep(kv=None, distance_mm=1000, **beam)\n\n"
      "One calculation per value of exactly one input given as a sequence: kv [kV], angle [degrees], be,\n"
      "al_eq, al, cu [mm], or one material filter's thickness, filters=[('Sn', [0.1, 0.2, 0.5])] [mm]; the\n"
      "other keywords are those of Beam, fixed. e.g. kestrix.sweep(al=numpy.linspace(0, 5, 11), kv=80).\n\n"
      "Returns a dict of float64 arrays: first the swept input ('kv', 'al', ... or 'filter_Sn_mm'), then\n"
      "one array per figure of Beam.figures() and Beam.quality(), then the output at distance_mm [mm]\n"
      "from the focal spot as Beam.output() gives it: air_kerma_uGy_per_mAs [uGy/mAs] and\n"
      "photon_fluence_per_mAs_per_mm2 [1/(mm2 mAs)]; NaN where a figure cannot be given (the output of a\n"
      "relative model).\n"
      "Every value is checked before the first run (ValueError naming the input). The GIL is released\n"
      "while computing.");
}

}  // namespace kestrix::python
