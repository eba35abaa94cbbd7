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

/// The keyword arguments shared by Beam and sweep, from their Python values (filters: a
/// sequence of (material, mm); table: None or a path).
BeamArguments ArgumentsFrom(const std::string& model, double kv, double angle, double be, double alEq, double al,
                            double cu, const std::string& waveform, const pybind11::object& filters,
                            const pybind11::object& table);

/// A path given as str, bytes or os.PathLike, as text.
std::string PathText(const pybind11::object& path);

/// Issues one kestrix.CorrectionWarning per text (the GIL must be held).
void WarnCorrections(const std::vector<std::string>& corrections);

}  // namespace kestrix::python
