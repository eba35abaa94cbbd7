// Beam.uncertainty: every figure's spread from the standard uncertainties of the tube voltage, the
// inherent aluminium equivalent and the target angle, as kestrix-cli --uncertainty gives it.

#include <pybind11/stl.h>

#include "bindings.h"
#include "decimal_text.h"
#include "uncertainty_run.h"

namespace py = pybind11;

namespace kestrix::python {
namespace {

py::object Optional(const std::optional<double>& value) {
  return value ? py::object(py::float_(*value)) : py::object(py::none());
}

/// results.uncertainty of kestrix-cli's JSON
py::dict UncertaintyDict(const UncertaintyOutcome& outcome) {
  py::dict report;
  report["samples"] = outcome.request.samples;
  report["seed"] = outcome.request.seed;
  report["standard_uncertainties"] =
      py::dict(py::arg("kv") = outcome.request.kvUncertainty, py::arg("al_eq") = outcome.request.alEqUncertainty,
               py::arg("angle") = outcome.request.angleUncertainty);
  py::dict missing;
  for (const FigureSpread& figure : outcome.figures) {
    report[figure.key.c_str()] = py::dict(py::arg("mean") = Optional(figure.mean), py::arg("std") = Optional(figure.std),
                                          py::arg("p2_5") = Optional(figure.p2_5),
                                          py::arg("p97_5") = Optional(figure.p97_5));
    if (!figure.missing.empty()) missing[figure.key.c_str()] = figure.missing;
  }
  py::dict spread;
  for (const ModelFigure& figure : outcome.modelSpread) {
    py::dict models;
    for (const auto& [model, value] : figure.values) models[model.c_str()] = Optional(value);
    models["range"] = Optional(figure.range);
    spread[figure.key.c_str()] = models;
  }
  report["model_spread"] = spread;
  report["missing"] = missing;
  return report;
}

double Uncertainty(const char* name, const py::object& value, const char* unit) {
  const double number = CheckedNumber(name, NumberArgument(name, value, unit));
  if (!(number >= 0)) throw std::invalid_argument(std::string(name) + ": " + ShortestDecimal(number) + " " + unit + " is negative");
  return number;
}

long long WholeNumber(const char* name, const py::object& value) {
  if (py::isinstance<py::bool_>(value) || !py::isinstance<py::int_>(value)) {
    throw py::type_error(std::string(name) + " must be a whole number, not " + std::string(py::str(py::repr(value))));
  }
  try {
    return value.cast<long long>();
  } catch (const py::cast_error&) {
    throw std::invalid_argument(std::string(name) + ": " + std::string(py::str(value)) + " is too large");
  }
}

}  // namespace

void BindUncertainty(py::module_& module) {
  py::object beamClass = module.attr("Beam");
  const auto uncertainty = [](const py::object& beam, const py::object& kv, const py::object& alEq,
                              const py::object& angle, const py::object& samples, const py::object& seed) {
    UncertaintyRequest request;
    request.kvUncertainty = Uncertainty("kv", kv, "kV");
    request.alEqUncertainty = Uncertainty("al_eq", alEq, "mm");
    request.angleUncertainty = Uncertainty("angle", angle, "degrees");
    const long long count = WholeNumber("samples", samples);
    if (count < 2 || count > kMaximumUncertaintySamples) {
      throw std::invalid_argument("samples: " + std::to_string(count) + " is outside 2 to " +
                                  std::to_string(kMaximumUncertaintySamples));
    }
    request.samples = static_cast<int>(count);
    const long long drawn = WholeNumber("seed", seed);
    if (drawn < 0 || static_cast<unsigned long long>(drawn) > kLargestUncertaintySeed) {
      throw std::invalid_argument("seed: " + std::to_string(drawn) + " is outside 0 to 2^53 - 1");
    }
    request.seed = static_cast<std::uint64_t>(drawn);
    const BeamArguments arguments =
        ArgumentsFromKeywords("uncertainty", beam.attr("inputs").cast<py::dict>(), BeamArguments{}, BeamKeywords());
    UncertaintyOutcome outcome;
    {
      py::gil_scoped_release release;
      const BeamRequest resolved = ResolveBeam(arguments);
      BatchRun batch(resolved.tablePath, resolved.filters);
      outcome = SampleUncertainty(batch, resolved.settings, request);
    }
    return UncertaintyDict(outcome);
  };
  py::setattr(beamClass, "uncertainty",
              py::cpp_function(uncertainty, py::name("uncertainty"), py::is_method(beamClass),
                               py::sibling(py::getattr(beamClass, "uncertainty", py::none())), py::kw_only(),
                               py::arg("kv") = 0, py::arg("al_eq") = 0, py::arg("angle") = 0,
                               py::arg("samples") = 1000, py::arg("seed") = 1,
                               "uncertainty(*, kv=0, al_eq=0, angle=0, samples=1000, seed=1)\n\n"
                               "Every figure's spread from the standard uncertainties of the tube voltage kv [kV], the\n"
                               "inherent aluminium equivalent al_eq [mm] and the target angle [degrees], sampled from\n"
                               "normal distributions (a draw outside an input's range is drawn again), as kestrix-cli's\n"
                               "JSON results.uncertainty: each figure's key maps to mean, std, p2_5 and p97_5 (the 95 %\n"
                               "interval), beside samples, seed, standard_uncertainties and model_spread (the figures of\n"
                               "each model at the inputs as given, and their range). The same seed gives the same numbers\n"
                               "on every system."));
}

}  // namespace kestrix::python
