#pragma once
// One row of the attenuation table file: "(E9.3,5E13.5)", 74 characters.

#include <array>
#include <string>

namespace kestrix::tools {

constexpr int kAttenuationRowWidth = 74;

/// Photon energy as E9.3 in the normalised form "0.500E+00" (9 characters).
std::string FormatEnergyE93(double energy);

/// Energy (E9.3) then five coefficients, each right-justified in 13 characters as
/// "  1.23456E+02"; no line end. Throws std::invalid_argument for a value that is not
/// finite and positive.
std::string FormatAttenuationRow(double energyKeV, const std::array<double, 5>& coefficients);

}  // namespace kestrix::tools
