"""Writes data/physics/bremsstrahlung_shape_<target>.txt, the bremsstrahlung angular distributions of a
target element (W by default; Mo, Rh, Ag, Au; Be, C, Al for the windows of transmission targets).

The parameters A, B, C are those of A. Poskus, At. Data Nucl. Data Tables 129-130 (2019) 101277 (shape
functions from partial-wave calculations, Z = 1-100, 10 eV to 3 MeV), as the MIT-licensed Radiant.jl
project ships them (github.com/CBienvenue/Radiant.jl, data/bremsstrahlung_photons_distribution_poskus_2019.jld2,
an HDF5 file; energies in units of the electron rest energy). With mu the cosine of the photon's angle
to the electron's direction, the distribution normalised over mu in [-1, 1] is
    p(mu) = 3 / (4 (2A + B)) (1 - C^2) [(A + B) / (1 - C mu)^2 + (A - B) (mu - C)^2 / (1 - C mu)^4].
Needs h5py (Debian package python3-h5py).

    python3 tools/physics/convert_poskus_shape_functions.py POSKUS_JLD2 data/physics/bremsstrahlung_shape_W.txt
    python3 tools/physics/convert_poskus_shape_functions.py POSKUS_JLD2 data/physics/bremsstrahlung_shape_Mo.txt Mo
"""

import sys

import h5py
import numpy as np

ELEMENTS = {"W": (74, "tungsten"), "Mo": (42, "molybdenum"), "Rh": (45, "rhodium"), "Ag": (47, "silver"),
            "Au": (79, "gold"),
            # the windows of transmission targets
            "Be": (4, "beryllium"), "C": (6, "carbon"), "Al": (13, "aluminium")}
Z = 74
REST_ENERGY_KEV = 510.999  # the unit of the file's energies, as Radiant.jl uses it
LOWEST_KEV, HIGHEST_KEV = 1.0, 600.0

HEADER = """\
# Bremsstrahlung angular distributions (shape functions) of %s, Z = %d: the parameters A, B, C of
# A. Poskus, At. Data Nucl. Data Tables 129-130 (2019) 101277, fitted to partial-wave shape functions,
# as shipped by Radiant.jl (github.com/CBienvenue/Radiant.jl, MIT licence); converted unchanged by
# tools/physics/convert_poskus_shape_functions.py. With mu the cosine of the angle between photon and
# electron, p(mu) = 3 / (4 (2A + B)) (1 - C^2) [(A + B) / (1 - C mu)^2 + (A - B) (mu - C)^2 / (1 - C mu)^4]
# is normalised over mu in [-1, 1].
# Layout: electron energy count N, reduced photon energy count K; then per electron energy: T [keV],
# K values of k/T, K values of A, K values of B, K values of C.
"""


def table(file, name):
    for reference in file[file[name][()]["kvvec"]][()]:
        pair = file[reference][()]
        if pair["first"] == Z:
            return np.array(file[pair["second"]][()])
    raise SystemExit("no Z = %d in %s" % (Z, name))


def main(source, out_path):
    with h5py.File(source, "r") as file:
        energies = table(file, "E") * REST_ENERGY_KEV
        reduced, a, b, c = (table(file, name) for name in "rABC")
    keep = [e for e in range(len(energies)) if LOWEST_KEV <= energies[e] + 1e-9 and energies[e] <= HIGHEST_KEV + 1e-9]
    lines = [(HEADER % (ELEMENTS_BY_Z[Z], Z)).rstrip("\n"), "%d %d" % (len(keep), reduced.shape[0])]
    for e in keep:
        lines.append("%.6g" % energies[e])
        for values in (reduced, a, b, c):
            lines.append(" ".join("%.6g" % v for v in values[:, e]))
    with open(out_path, "w", newline="\n") as out:
        out.write("\n".join(lines) + "\n")


ELEMENTS_BY_Z = {z: name for z, name in ELEMENTS.values()}

if __name__ == "__main__":
    if len(sys.argv) not in (3, 4) or (len(sys.argv) == 4 and sys.argv[3] not in ELEMENTS):
        raise SystemExit(__doc__)
    if len(sys.argv) == 4:
        Z = ELEMENTS[sys.argv[3]][0]
    main(*sys.argv[1:3])
