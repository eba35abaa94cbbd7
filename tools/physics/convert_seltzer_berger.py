"""Writes data/physics/seltzer_berger_<target>.txt, the scaled bremsstrahlung cross sections of a target
element (tungsten, molybdenum, rhodium, silver, gold; beryllium, carbon and aluminium for the windows of
transmission targets; the element is the number at the end of the table file's name).

The numbers are those of S. M. Seltzer and M. J. Berger (NBS): Nucl. Instrum. Methods B 12 (1985) 95
and At. Data Nucl. Data Tables 35 (1986) 345, as distributed on the NBS tape of 5 September 1984
(57 electron kinetic energies from 1 keV to 10 GeV, 32 reduced photon energies k/T from 0 to 1, values
chi = (beta^2 / Z^2) k dsigma/dk in mb). Input: the grid file and the file of element Z of that distribution
(whitespace-separated numbers; the grid file starts with 'Zmax nT nK', then the energies in MeV, then k/T).

    python3 tools/physics/convert_seltzer_berger.py GRID_FILE nist_brems_74 data/physics/seltzer_berger_W.txt
    python3 tools/physics/convert_seltzer_berger.py GRID_FILE nist_brems_42 data/physics/seltzer_berger_Mo.txt
"""

import sys

ELEMENTS = {74: "tungsten", 42: "molybdenum", 45: "rhodium", 47: "silver", 79: "gold",
            # the windows of transmission targets
            4: "beryllium", 6: "carbon", 13: "aluminium"}

HEADER = """\
# Seltzer-Berger scaled bremsstrahlung cross sections of %s (Z = %d), electron-nucleus and
# electron-electron together: chi(T, k/T) = (beta^2 / Z^2) k dsigma/dk [mb] (1 mb = 1e-27 cm2).
# Source: S. M. Seltzer and M. J. Berger, Nucl. Instrum. Methods B 12 (1985) 95; At. Data Nucl. Data
# Tables 35 (1986) 345; NBS data tape of 5 September 1984 (a work of the U.S. Government). Converted
# by tools/physics/convert_seltzer_berger.py; the values are unchanged.
# Layout (numbers only, '#' lines are comments): number of electron energies nT, number of reduced
# photon energies nK; nT electron kinetic energies [keV]; nK reduced photon energies k/T [1];
# nT rows of nK values of chi [mb], one row per electron energy.
"""


def numbers(path):
    with open(path) as file:
        return [float(item) for item in file.read().split()]


def main(grid_path, table_path, out_path):
    grid = numbers(grid_path)
    n_t, n_k = int(grid[1]), int(grid[2])
    energies_mev = grid[3:3 + n_t]
    reduced = grid[3 + n_t:3 + n_t + n_k]
    table = numbers(table_path)
    if len(reduced) != n_k or len(table) != n_t * n_k:
        raise SystemExit("unexpected sizes: %d k/T values, %d table values" % (len(reduced), len(table)))
    z = int(table_path.rstrip("/").split("_")[-1])
    if z not in ELEMENTS:
        raise SystemExit("no target element %d (the table file's name ends in its atomic number)" % z)
    lines = [(HEADER % (ELEMENTS[z], z)).rstrip("\n"), "%d %d" % (n_t, n_k)]
    lines.append(" ".join("%.6g" % (1000.0 * e) for e in energies_mev))
    lines.append(" ".join("%.6g" % x for x in reduced))
    for row in range(n_t):
        lines.append(" ".join("%.6e" % v for v in table[row * n_k:(row + 1) * n_k]))
    with open(out_path, "w", newline="\n") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    main(*sys.argv[1:])
