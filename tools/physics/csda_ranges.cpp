// csda_ranges: the CSDA ranges of electrons in tungsten at the incident energies of the electron
// table, as the physics model scales the table's depths with them; tools/physics/
// convert_spekpy_electrons.py reads them to carry depths from another program's range to this one's.
// Output: one line per node, "T0 [keV] R [g/cm2]".

#include <cstdio>

#include "electron_penetration.h"
#include "electron_stopping_power.h"
#include "tungsten_target.h"

int main(int argc, char**) {
  if (argc != 1) {
    std::fprintf(stderr, "usage: csda_ranges (it takes no arguments)\n");
    return 2;
  }
  for (const double T0 : kestrix::penetration_layout::kNodeVoltages) {
    std::printf("%g %.6e\n", T0, kestrix::CsdaRange(T0) * kestrix::tungsten::kDensity);
  }
  return 0;
}
