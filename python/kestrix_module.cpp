// The extension module kestrix._kestrix: the errors and warnings of the calculation in Python's terms,
// the delivered data, and the registration of Beam, Spectrum and sweep.

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <exception>
#include <new>

#include "bindings.h"
#include "built_instance.h"
#include "message_text.h"

namespace py = pybind11;

namespace kestrix::python {

std::string PathText(const char* argument, const py::object& path) {
  if (!py::isinstance<py::str>(path) && !py::isinstance<py::bytes>(path) && !py::hasattr(path, "__fspath__")) {
    throw py::type_error(std::string(argument) + ": a path (str, bytes or os.PathLike) is needed, not " +
                         ShownValue(path));
  }
  const std::string text = py::str(py::module_::import("os").attr("fsdecode")(path));
  // the system would end the name at the NUL and open another file
  if (text.find('\0') != std::string::npos) {
    throw std::invalid_argument(std::string(argument) + ": the path holds a NUL character, which no file name has");
  }
  return text;
}

namespace {

/// kestrix.CorrectionWarning and kestrix.FitWarning; kept for the life of the interpreter
PyObject* correctionWarning = nullptr;
PyObject* fitWarning = nullptr;

[[noreturn]] void TypeFailure(const std::string& message) { throw py::type_error(message); }

std::string Shown(const py::handle& value) { return ShownValue(value); }

/// numpy.bool_, looked up once; the reference is kept for the life of the interpreter
bool IsNumpyBool(const py::handle& value) {
  static PyObject* numpyBool = [] {
    PyObject* numpy = PyImport_ImportModule("numpy");
    PyObject* type = numpy == nullptr ? nullptr : PyObject_GetAttrString(numpy, "bool_");
    Py_XDECREF(numpy);
    if (type == nullptr) PyErr_Clear();
    return type;
  }();
  return numpyBool != nullptr && PyObject_IsInstance(value.ptr(), numpyBool) == 1;
}

std::vector<std::pair<std::string, double>> FiltersFrom(const py::handle& filters) {
  std::vector<std::pair<std::string, double>> list;
  if (py::isinstance<py::str>(filters) || py::isinstance<py::bytes>(filters)) {
    throw std::invalid_argument("filters: a sequence of (material, mm) pairs is needed, not a text");
  }
  if (!py::isinstance<py::iterable>(filters)) {
    TypeFailure("filters: a sequence of (material, mm) pairs is needed, not " + Shown(filters));
  }
  for (const py::handle item : filters) {
    if (py::isinstance<py::str>(item) || !py::isinstance<py::sequence>(item) || py::len(item) != 2) {
      throw std::invalid_argument("filters: each filter is a (material, mm) pair, not " + Shown(item));
    }
    const py::sequence pair = py::reinterpret_borrow<py::sequence>(item);
    const std::string material = PathText("filters", pair[0]);
    list.emplace_back(material, NumberArgument(("filters: the thickness of " + material).c_str(), pair[1], "mm"));
  }
  return list;
}

}  // namespace

std::string ShownValue(const py::handle& value) {
  PyObject* text = PyObject_Repr(value.ptr());
  if (text == nullptr) {
    PyErr_Clear();
    return "an object without repr";
  }
  Py_ssize_t size = 0;
  const char* bytes = PyUnicode_AsUTF8AndSize(text, &size);
  std::string shown = bytes == nullptr ? std::string("an object without repr")
                                       : ExcerptText(std::string_view(bytes, static_cast<std::size_t>(size)));
  if (bytes == nullptr) PyErr_Clear();
  Py_DECREF(text);
  return shown;
}

double NumberArgument(const char* argument, const py::handle& value, const char* unit) {
  // a bool is an int to Python, but never a thickness or a voltage
  if (py::isinstance<py::bool_>(value) || IsNumpyBool(value) || py::isinstance<py::str>(value) ||
      py::isinstance<py::bytes>(value) || !PyNumber_Check(value.ptr()) || PyComplex_Check(value.ptr())) {
    TypeFailure(std::string(argument) + " must be a number of " + unit + ", not " + Shown(value));
  }
  const double number = PyFloat_AsDouble(value.ptr());
  if (number == -1.0 && PyErr_Occurred()) {
    const bool tooLarge = PyErr_ExceptionMatches(PyExc_OverflowError) != 0;
    PyErr_Clear();
    if (tooLarge) {
      throw std::invalid_argument(std::string(argument) + ": " + Shown(value) + " is too large for a number of " + unit);
    }
    TypeFailure(std::string(argument) + " must be a number of " + unit + ", not " + Shown(value));
  }
  return number;
}

std::string TextArgument(const char* argument, const py::handle& value) {
  if (!py::isinstance<py::str>(value)) TypeFailure(std::string(argument) + " must be a text, not " + Shown(value));
  return value.cast<std::string>();
}

const std::vector<std::string>& BeamKeywords() {
  static const std::vector<std::string> keywords{"model", "kv",       "angle",   "be",    "al_eq",
                                                 "al",    "cu",       "waveform", "filters", "table",
                                                 "target", "lines", "off_axis", "target_thickness_um",
                                                 "target_window"};
  return keywords;
}

const char* KeywordUnit(const std::string& keyword) {
  if (keyword == "kv") return "kV";
  if (keyword == "angle") return "degrees";
  if (keyword == "target_thickness_um") return "um";
  return "mm";
}

BeamArguments ArgumentsFromKeywords(const char* function, const py::dict& keywords, BeamArguments arguments,
                                    const std::vector<std::string>& allowed) {
  // an angle counts as given when this call's keywords give one
  arguments.angleGiven = false;
  bool angleNone = false;  // angle=None: the no angle of a transmission target
  for (const auto& [key, value] : keywords) {
    if (!py::isinstance<py::str>(key)) TypeFailure(std::string(function) + ": keywords are texts");
    const std::string name = key.cast<std::string>();
    if (std::find(allowed.begin(), allowed.end(), name) == allowed.end()) {
      std::string names;
      for (const std::string& known : allowed) names += (names.empty() ? "" : ", ") + known;
      TypeFailure(std::string(function) + "() got an unexpected keyword argument '" + name + "' (it takes " + names +
                  ")");
    }
    if (name == "model") {
      arguments.model = TextArgument("model", value);
    } else if (name == "waveform") {
      arguments.waveform = TextArgument("waveform", value);
    } else if (name == "target") {
      arguments.target = TextArgument("target", value);
    } else if (name == "off_axis") {
      if (!py::isinstance<py::sequence>(value) || py::isinstance<py::str>(value) || py::len(value) != 2) {
        TypeFailure("off_axis must be a pair (along, across) of degrees, not " + Shown(value));
      }
      const py::sequence pair = py::reinterpret_borrow<py::sequence>(value);
      arguments.offAxisAlong = NumberArgument("off_axis", pair[0], "degrees");
      arguments.offAxisAcross = NumberArgument("off_axis", pair[1], "degrees");
    } else if (name == "angle" && value.is_none()) {
      arguments.angle = BeamArguments{}.angle;
      angleNone = true;
    } else if (name == "target_thickness_um") {
      arguments.targetThicknessUm =
          value.is_none() ? std::nullopt : std::optional<double>(NumberArgument("target_thickness_um", value, "um"));
    } else if (name == "target_window") {
      if (value.is_none()) {
        arguments.targetWindow = std::nullopt;
      } else {
        if (!py::isinstance<py::sequence>(value) || py::isinstance<py::str>(value) || py::isinstance<py::bytes>(value) ||
            py::len(value) != 2 || !py::isinstance<py::str>(py::reinterpret_borrow<py::sequence>(value)[0])) {
          TypeFailure("target_window must be a pair (material, mm) such as ('diamond', 0.3), not " + Shown(value));
        }
        const py::sequence pair = py::reinterpret_borrow<py::sequence>(value);
        arguments.targetWindow = std::make_pair(pair[0].cast<std::string>(), NumberArgument("target_window", pair[1], "mm"));
      }
    } else if (name == "lines") {
      if (!py::isinstance<py::bool_>(value)) TypeFailure("lines must be True or False, not " + Shown(value));
      arguments.lines = value.cast<bool>();
    } else if (name == "filters") {
      arguments.filters = FiltersFrom(value);
    } else if (name == "table") {
      arguments.table = value.is_none() ? std::nullopt : std::optional<std::string>(PathText("table", py::reinterpret_borrow<py::object>(value)));
    } else {
      const double number = NumberArgument(name.c_str(), value, KeywordUnit(name));
      if (name == "kv") arguments.kv = number;
      if (name == "angle") {
        arguments.angle = number;
        arguments.angleGiven = true;
      }
      if (name == "be") arguments.be = number;
      if (name == "al_eq") arguments.alEq = number;
      if (name == "al") arguments.al = number;
      if (name == "cu") arguments.cu = number;
    }
  }
  // only a transmission target has no angle
  if (angleNone && !arguments.targetThicknessUm && !arguments.targetWindow) {
    TypeFailure("angle must be a number of degrees, not None (None only with a transmission target)");
  }
  return arguments;
}

void WarnCorrections(const std::vector<std::string>& corrections) {
  for (const std::string& correction : corrections) {
    if (PyErr_WarnEx(correctionWarning, correction.c_str(), 1) != 0) throw py::error_already_set();
  }
}

void WarnFit(const std::vector<std::string>& warnings) {
  for (const std::string& warning : warnings) {
    if (PyErr_WarnEx(fitWarning, warning.c_str(), 1) != 0) throw py::error_already_set();
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
  fitWarning = PyErr_NewExceptionWithDoc(
      "kestrix.FitWarning",
      "A commissioning fit that did not converge, ended on a bound or deviates beyond the measurements' uncertainty.",
      PyExc_UserWarning, nullptr);
  if (fitWarning == nullptr) throw py::error_already_set();
  module.attr("FitWarning") = py::handle(fitWarning);

  module.def("_set_data_folder", &SetDataFolder, py::arg("folder"));
  module.def("materials", &DeliveredMaterials,
             "The delivered filter materials: a dict from the name Beam's filters accept ('Sn', 'PMMA') to\n"
             "the description line of its material file.");
  // a refused input is a ValueError naming the input; a wrong type is a TypeError (py::type_error)
  BindBeam(module);
  BindSweep(module);
  BindSpectrumFiles(module);
  BindDetector(module);
  BindUncertainty(module);
  RefuseBaseInstances(reinterpret_cast<PyTypeObject*>(module.attr("Beam").attr("__base__").ptr()));
}
