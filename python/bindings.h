#pragma once
// The parts of the Python module kestrix._kestrix, each registered by its own file.

#include <pybind11/pybind11.h>

#include <string>
#include <vector>

#include "beam_arguments.h"
#include "batch_run.h"
#include "exchange_files.h"
#include "table_comment_lines.h"

namespace kestrix::python {

/// Beam, Spectrum, fit() and qualities().
void BindBeam(pybind11::module_& module);
/// sweep().
void BindSweep(pybind11::module_& module);
/// Beam.detector (after BindBeam).
void BindDetector(pybind11::module_& module);
/// Beam.uncertainty (after BindBeam).
void BindUncertainty(pybind11::module_& module);
/// Spectrum.to_source, Spectrum.from_csv, Spectrum.figures, Spectrum.compare (after BindBeam).
void BindSpectrumFiles(pybind11::module_& module);

/// What a kestrix.Spectrum holds: its value by grid index 1..600, what they are and its beam.
struct SpectrumContent {
  ExchangeSpectrum values{};
  std::string quantity;       /// "photon", "exposure", "energy"
  std::string normalisation;  /// "max", "total", "per_mas ..."
  SpectrumDescription description;
};

/// The content of spectrum; TypeError naming argument for an object that is not a kestrix.Spectrum.
SpectrumContent ContentOfSpectrum(const char* argument, const pybind11::handle& spectrum);

/// results of kestrix-cli's JSON for outcome (the dict of Beam.figures), and results.extended (Beam.quality)
pybind11::dict FiguresOf(const RunOutcome& outcome);
pybind11::dict ExtendedFiguresOf(const ExtendedBeamQuality& extended);

/// The run of a kestrix.Beam; TypeError naming argument for another object.
const RunOutcome& OutcomeOfBeam(const char* argument, const pybind11::handle& beam);

/// A new kestrix.Spectrum holding content (600 values at 0.5 ... 300 keV).
pybind11::object MakeSpectrum(const SpectrumContent& content);

/// The keyword names of a beam: model, kv, angle, be, al_eq, al, cu, waveform, filters, table.
const std::vector<std::string>& BeamKeywords();

/// The unit a numeric beam keyword is given in: "kV", "degrees" or "mm".
const char* KeywordUnit(const std::string& keyword);

/// arguments with the keywords given in place of their values. Throws TypeError naming the keyword
/// for one that is not in allowed ("function() got an unexpected keyword argument 'kvp'") and for a
/// value of the wrong type; std::invalid_argument for a filter that is not a (material, mm) pair.
BeamArguments ArgumentsFromKeywords(const char* function, const pybind11::dict& keywords, BeamArguments arguments,
                                    const std::vector<std::string>& allowed);

/// value as a number (int, float, numpy scalar); TypeError naming argument and its unit otherwise
/// (a bool, Python's or numpy's, is no number of anything); ValueError for an int too large for a float.
double NumberArgument(const char* argument, const pybind11::handle& value, const char* unit);

/// repr(value) as messages quote what they refuse: cut at 80 bytes, with its length when cut.
std::string ShownValue(const pybind11::handle& value);

/// value as a text; TypeError naming argument otherwise.
std::string TextArgument(const char* argument, const pybind11::handle& value);

/// A path given as str, bytes or os.PathLike, as text.
/// Throws pybind11::type_error naming argument for another type, std::invalid_argument (ValueError)
/// for a path holding a NUL character, which the system would take as its end.
std::string PathText(const char* argument, const pybind11::object& path);

/// Issues one kestrix.CorrectionWarning per text (the GIL must be held).
void WarnCorrections(const std::vector<std::string>& corrections);

/// Issues one kestrix.FitWarning per text (the GIL must be held).
void WarnFit(const std::vector<std::string>& warnings);

}  // namespace kestrix::python
