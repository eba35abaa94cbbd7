#pragma once
// The engine's single-precision copy of the attenuation table, grid indices 1..600.

#include <array>
#include <istream>
#include <stdexcept>
#include <string>

namespace kestrix {

inline constexpr const char* kEngineTableFile = "MUs_202202.data";

/// Last grid index the engine holds (300 keV).
constexpr int kEngineLastIndex = 600;

/// Per grid index i = 1..600 (energy 0.5*i keV); index 0 unused.
using EngineArray = std::array<float, kEngineLastIndex + 1>;

/// A missing or garbled input of the engine, or a spectrum it cannot weigh; the text says which and why.
class EngineInputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct EngineTable {
  EngineArray muAl{};     /// linear attenuation coefficient of aluminium [1/cm]
  EngineArray muCu{};     /// linear attenuation coefficient of copper [1/cm]
  EngineArray muEnAir{};  /// mass energy-absorption coefficient of air [cm2/g]
};

/// Reads rows 1..600 with the record format "(E9.3,5E13.5)": field 3 aluminium, 4 copper, 6 air; the
/// rest are dropped once checked, and rows after 600 are never read. Throws EngineInputError naming
/// name and the line for a missing line, a field that is not a number, a blank line, or a row that
/// fails TableRowFault (energies out of order, a duplicated row, a coefficient not positive and finite).
EngineTable ReadEngineTable(std::istream& in, const std::string& name);

}  // namespace kestrix
