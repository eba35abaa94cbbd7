// The extension module kestrix._kestrix: the errors and warnings of the calculation in Python's terms,
// the delivered data, and the registration of Beam, Spectrum and sweep.

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <exception>
#include <new>

#include "bindings.h"

namespace py = pybind11;

namespace kestrix::python {

namespace {

/// "'str' '3'": the type and the value of an argument given wrong, for a TypeError
std::string Shown(const py::handle& value) {
  const std::string repr = py::str(py::repr(value));
  return "'" + std::string(py::str(value.get_type().attr("__name__"))) + "' " +
         (repr.size() > 60 ? repr.substr(0, 60) + "..." : repr);
}

}  // namespace

std::string PathText(const char* argument, const py::object& path) {
  if (!py::isinstance<py::str>(path) && !py::isinstance<py::bytes>(path) && !py::hasattr(path, "__fspath__")) {
    throw py::type_error(std::string(argument) + ": a path (str, bytes or os.PathLike) is needed, not " + Shown(path));
  }
  const std::string text = py::str(py::module_::import("os").attr("fsdecode")(path));
  if (text.find('\0') != std::string::npos) {
    throw std::invalid_argument(std::string(argument) + ": the path holds a NUL character, which no file name has");
  }
  return text;
}

double NumberArgument(const char* argument, const py::object& value) {
  if (!py::isinstance<py::str>(value) && !py::isinstance<py::bytes>(value)) {
    try {
      return value.cast<double>();
    } catch (const py::cast_error&) {
    }
  }
  throw py::type_error(std::string(argument) + ": a number is needed, not " + Shown(value));
}

std::string TextArgument(const char* argument, const py::object& value) {
  if (!py::isinstance<py::str>(value)) throw py::type_error(std::string(argument) + ": a str is needed, not " + Shown(value));
  return value.cast<std::string>();
}

namespace {

/// kestrix.CorrectionWarning; kept for the life of the interpreter
PyObject* correctionWarning = nullptr;

std::vector<std::pair<std::string, double>> FiltersFrom(const py::object& filters) {
  std::vector<std::pair<std::string, double>> list;
  if (py::isinstance<py::str>(filters)) {
    throw std::invalid_argument("filters: a sequence of (material, mm) pairs is needed, not a text");
  }
  for (const py::handle item : filters) {
    const py::sequence pair = py::reinterpret_borrow<py::object>(item);
    if (py::isinstance<py::str>(item) || !py::isinstance<py::sequence>(item) || pair.size() != 2) {
      throw std::invalid_argument("filters: each filter is a (material, mm) pair, not " +
                                  std::string(py::str(py::repr(item))));
    }
    const std::string material = PathText("filters", pair[0]);
    if (py::isinstance<py::str>(pair[1]) || py::isinstance<py::bytes>(pair[1])) {
      throw std::invalid_argument("filters: the thickness of " + material + " must be a number of mm, not " +
                                  std::string(py::str(py::repr(pair[1]))));
    }
    try {
      list.emplace_back(material, pair[1].cast<double>());
    } catch (const py::cast_error&) {
      throw std::invalid_argument("filters: the thickness of " + material + " must be a number of mm, not " +
                                  std::string(py::str(py::repr(pair[1]))));
    }
  }
  return list;
}

}  // namespace

BeamArguments ArgumentsFrom(const py::object& model, const py::object& kv, const py::object& angle,
                            const py::object& be, const py::object& alEq, const py::object& al, const py::object& cu,
                            const py::object& waveform, const py::object& filters, const py::object& table) {
  BeamArguments arguments{TextArgument("model", model),       NumberArgument("kv", kv),
                          NumberArgument("angle", angle),     NumberArgument("be", be),
                          NumberArgument("al_eq", alEq),      NumberArgument("al", al),
                          NumberArgument("cu", cu),           TextArgument("waveform", waveform),
                          FiltersFrom(filters),               std::nullopt};
  if (!table.is_none()) arguments.table = PathText("table", table);
  return arguments;
}

void WarnCorrections(const std::vector<std::string>& corrections) {
  for (const std::string& correction : corrections) {
    if (PyErr_WarnEx(correctionWarning, correction.c_str(), 1) != 0) throw py::error_already_set();
  }
}

}  // namespace kestrix::python

PYBIND11_MODULE(_kestrix, module) {
  using namespace kestrix::python;
  module.doc() = "The Kestrix spectrum calculation and half-value-layer engine (C++).";

  // every refusal of the calculation, the files or the arguments is a ValueError with its message
  py::register_exception_translator([](std::exception_ptr error) {
    try {
      if (error) std::rethrow_exception(error);
    } catch (const py::error_already_set&) {
      throw;
    } catch (const py::builtin_exception&) {
      throw;
    } catch (const std::bad_alloc&) {
      throw;
    } catch (const std::exception& refusal) {
      PyErr_SetString(PyExc_ValueError, refusal.what());
    }
  });

  correctionWarning = PyErr_NewExceptionWithDoc(
      "kestrix.CorrectionWarning", "An input the calculation corrected (tube voltage limits, inherent filtration).",
      PyExc_UserWarning, nullptr);
  if (correctionWarning == nullptr) throw py::error_already_set();
  module.attr("CorrectionWarning") = py::handle(correctionWarning);

  module.def("_set_data_folder", &SetDataFolder, py::arg("folder"));
  module.def("materials", &DeliveredMaterials,
             "The delivered filter materials: a dict from the name Beam's filters accept ('Sn', 'PMMA') to\n"
             "the description line of its material file.");
  BindBeam(module);
  BindSweep(module);
}
