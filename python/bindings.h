#pragma once
// The parts of the Python module kestrix._kestrix, each registered by its own file.

#include <pybind11/pybind11.h>

#include <string>
#include <vector>

#include "beam_arguments.h"

namespace kestrix::python {

/// Beam, Spectrum, fit() and qualities().
void BindBeam(pybind11::module_& module);
/// sweep().
void BindSweep(pybind11::module_& module);

/// The keyword arguments shared by Beam and sweep, from their Python values (model, waveform: str;
/// kv ... cu: numbers; filters: a sequence of (material, mm); table: None or a path). Throws
/// pybind11::type_error naming the argument of a value of the wrong type.
BeamArguments ArgumentsFrom(const pybind11::object& model, const pybind11::object& kv, const pybind11::object& angle,
                            const pybind11::object& be, const pybind11::object& alEq, const pybind11::object& al,
                            const pybind11::object& cu, const pybind11::object& waveform,
                            const pybind11::object& filters, const pybind11::object& table);

/// A path given as str, bytes or os.PathLike, as text. Throws pybind11::type_error naming argument
/// for another type, std::invalid_argument (ValueError) for a path holding a NUL character, which
/// the system would take as its end.
std::string PathText(const char* argument, const pybind11::object& path);

/// value as a number (int, float or anything with __float__); pybind11::type_error naming argument else.
double NumberArgument(const char* argument, const pybind11::object& value);

/// value as text (str); pybind11::type_error naming argument else.
std::string TextArgument(const char* argument, const pybind11::object& value);

/// Issues one kestrix.CorrectionWarning per text (the GIL must be held).
void WarnCorrections(const std::vector<std::string>& corrections);

}  // namespace kestrix::python
