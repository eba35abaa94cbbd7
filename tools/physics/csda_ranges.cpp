// csda_ranges: the CSDA ranges of electrons in tungsten at the incident energies of the electron
// table, as the physics model scales the table's depths with them; tools/physics/
// convert_spekpy_electrons.py reads them to carry depths from another program's range to this one's.
// Output: one line per node, "T0 [keV] R [g/cm2]". With a target's symbol (Mo, Rh, Ag, Au) its ranges instead.

#include <cstdio>
#include <optional>

#include "electron_penetration.h"
#include "electron_stopping_power.h"
#include "target_constants.h"

int main(int argc, char** argv) {
  const std::optional<kestrix::TargetMaterial> target =
      argc == 1 ? kestrix::TargetMaterial::Tungsten
                : argc == 2 ? kestrix::TargetFromSymbol(argv[1]) : std::nullopt;
  if (!target) {
    std::fprintf(stderr, "usage: csda_ranges [W|Mo|Rh|Ag|Au]\n");
    return 2;
  }
  for (const double T0 : kestrix::penetration_layout::kNodeVoltages) {
    std::printf("%g %.6e\n", T0, kestrix::CsdaRange(*target, T0) * kestrix::ConstantsOf(*target).density);
  }
  return 0;
}
