// kestrix.sweep: one calculation per tube voltage with one batch run, the GIL released throughout.

#include <pybind11/numpy.h>

#include <array>
#include <cmath>
#include <optional>

#include "beam_figures.h"
#include "bindings.h"
#include "decimal_text.h"

namespace py = pybind11;

namespace kestrix::python {
namespace {

/// What a sweep keeps of each run.
struct SweepRow {
  double kv = 0;
  std::vector<std::optional<double>> figures;  /// the engine's, then the extended ones
  std::vector<std::string> corrections;
  std::string engineError;  /// why the engine gave no figures (empty when it did)
};

std::vector<SweepRow> RunSweep(const BeamRequest& request, const std::vector<double>& voltages) {
  BatchRun batch(request.tablePath, request.filters);
  RunSettings settings = request.settings;
  std::vector<SweepRow> rows;
  rows.reserve(voltages.size());
  for (const double kiloVolts : voltages) {
    settings.entries.tubeVoltageKV = CheckedNumber("kv", kiloVolts);
    try {
      const RunOutcome outcome = batch.Run(settings);
      SweepRow row{outcome.used.tubeVoltageKV, {}, outcome.corrections, outcome.engineError};
      for (std::size_t k = 0; k < FigureFields().size(); ++k) row.figures.push_back(FigureValue(outcome, k));
      for (const std::optional<double>& value : outcome.extended.values) row.figures.push_back(value);
      rows.push_back(std::move(row));
    } catch (const std::exception& error) {
      throw std::runtime_error("at " + ShortestDecimal(kiloVolts) + " kV: " + error.what());
    }
  }
  return rows;
}

}  // namespace

void BindSweep(py::module_& module) {
  module.def(
      "sweep",
      [](const py::array_t<double, py::array::c_style | py::array::forcecast>& kv, const std::string& model,
         double angle, double be, double alEq, double al, double cu, const std::string& waveform,
         const py::object& filters, const py::object& table) {
        if (kv.ndim() > 1) throw std::invalid_argument("kv: a sequence of tube voltages is needed, not a table");
        const std::vector<double> voltages(kv.data(), kv.data() + kv.size());
        const BeamRequest request =
            ResolveBeam(ArgumentsFrom(model, 200, angle, be, alEq, al, cu, waveform, filters, table));
        std::vector<SweepRow> rows;
        {
          py::gil_scoped_release release;
          rows = RunSweep(request, voltages);
        }
        const auto column = [&rows](const auto& value) {
          py::array_t<double> array(static_cast<py::ssize_t>(rows.size()));
          auto out = array.mutable_unchecked<1>();
          for (std::size_t r = 0; r < rows.size(); ++r) out(static_cast<py::ssize_t>(r)) = value(rows[r]);
          return array;
        };
        py::dict result;
        result["kv"] = column([](const SweepRow& row) { return row.kv; });
        std::vector<const char*> keys;
        for (const FigureField& field : FigureFields()) keys.push_back(field.key);
        for (const ExtendedFigureField& field : ExtendedFigureFields()) keys.push_back(field.key);
        for (std::size_t k = 0; k < keys.size(); ++k) {
          result[keys[k]] = column([k](const SweepRow& row) { return row.figures[k].value_or(std::nan("")); });
        }
        const py::object warn = py::module_::import("warnings").attr("warn");
        for (const SweepRow& row : rows) {
          WarnCorrections(row.corrections);
          if (!row.engineError.empty()) {
            warn("no beam-quality figures at " + ShortestDecimal(row.kv) + " kV: " + row.engineError);
          }
        }
        return result;
      },
      py::arg("kv"), py::kw_only(), py::arg("model") = "tucker", py::arg("angle") = 20.0, py::arg("be") = 3.0,
      py::arg("al_eq") = 5.0, py::arg("al") = 0.0, py::arg("cu") = 0.0, py::arg("waveform") = "constant",
      py::arg("filters") = py::tuple(), py::arg("table") = py::none(),
      "One calculation per tube voltage in kv [kV], with the other arguments of Beam.\n\n"
      "Returns a dict of float64 arrays: 'kv' (the voltage used after the run's limits [kV]) and one\n"
      "array per figure of Beam.figures() and Beam.quality(), NaN where a figure cannot be given. The GIL is released while\n"
      "computing.");
}

}  // namespace kestrix::python
