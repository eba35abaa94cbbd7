#pragma once
// Attenuation tables for the model tests: smooth, plausible power laws with absorption
// edges at the right energies, or constant coefficients, and their list-input text.

#include <cmath>
#include <cstdio>
#include <string>

#include "attenuation_table.h"
#include "energy_grid.h"

namespace kestrix::test {

/// Coefficients that fall like E^-3 with the tungsten L and K edges and the copper K edge.
inline AttenuationTable PlausibleTable() {
  AttenuationTable table;
  for (int i = 1; i <= kGridLast; ++i) {
    const double E = PhotonEnergy(i);  // keV
    const double photo = std::pow(E, -2.8);
    double tungstenJump = E > 69.525 ? 5.0 : (E > 10.2 ? 1.0 : 0.4);
    table.muW[i] = 19.3 * (9000.0 * tungstenJump * photo + 0.1);
    table.muAl[i] = 2.699 * (1500.0 * std::pow(E, -3.0) + 0.15);
    table.muCu[i] = 8.96 * ((E > 8.98 ? 11000.0 : 1500.0) * photo + 0.12);
    table.muBe[i] = 1.848 * (2.0 * std::pow(E, -3.0) + 0.13);
    table.muEnAir[i] = 1000.0 * std::pow(E, -3.0) + 0.025;
  }
  return table;
}

/// Every coefficient of every row equal to `value`.
inline AttenuationTable ConstantTable(double value) {
  AttenuationTable table;
  for (int i = 1; i <= kGridLast; ++i) {
    table.muW[i] = table.muAl[i] = table.muCu[i] = table.muBe[i] = table.muEnAir[i] = value;
  }
  return table;
}

/// One text row per grid index 1..`rows`: energy then the five coefficients, CR LF line ends.
inline std::string TableText(const AttenuationTable& table, int rows = kAttenuationTableRows) {
  std::string text;
  char line[256];
  for (int i = 1; i <= rows; ++i) {
    const int r = i > kGridLast ? kGridLast : i;
    std::snprintf(line, sizeof line, "%9.3E %.17g %.17g %.17g %.17g %.17g\r\n", PhotonEnergy(i), table.muW[r],
                  table.muAl[r], table.muCu[r], table.muBe[r], table.muEnAir[r]);
    text += line;
  }
  return text;
}

}  // namespace kestrix::test
