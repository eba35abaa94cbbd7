#pragma once
// Checked calls into xraylib: every failure it reports through xrl_error, and every
// non-finite result, becomes an exception naming the call, so no generator writes a
// file from a value xraylib could not deliver.

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <xraylib.h>

namespace kestrix::tools {

class XraylibError : public std::runtime_error {
  using runtime_error::runtime_error;
};

/// Calls an xraylib function whose last parameter is `xrl_error**` and returns its value.
/// `what` describes the call for the error message, e.g. "CS_Total(Z=74, E=30 keV)".
template <typename Function, typename... Args>
double CallXraylib(const std::string& what, Function function, Args... args) {
  xrl_error* error = nullptr;
  const double value = function(args..., &error);
  if (error != nullptr) {
    const std::string message = what + " failed: " + (error->message ? error->message : "no message");
    xrl_error_free(error);
    throw XraylibError(message);
  }
  if (!std::isfinite(value)) {
    throw XraylibError(what + " returned a value that is not finite");
  }
  return value;
}

/// True when the element has this shell; xraylib reports a missing shell as an invalid argument.
bool ElementHasShell(int atomicNumber, int shell);

/// Absorption edge energy [keV] of a shell that exists.
double ShellEdgeEnergy(int atomicNumber, int shell);

struct NistCompound {
  std::string name;
  double density = 0;                 /// [g/cm3]
  std::vector<int> atomicNumbers;
  std::vector<double> massFractions;
};

/// Looks up one entry of xraylib's NIST compound list by its exact name; throws when absent.
NistCompound FindNistCompound(const std::string& name);

/// The elements of a chemical formula ("Cd0.9Zn0.1Te") with their mass fractions, by xraylib's
/// CompoundParser; throws when it cannot parse the formula.
std::vector<std::pair<int, double>> ParsedFormula(const std::string& formula);

/// Every name in xraylib's NIST compound list.
std::vector<std::string> NistCompoundNames();

}  // namespace kestrix::tools
