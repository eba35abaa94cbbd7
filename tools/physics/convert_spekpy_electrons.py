"""Writes data/physics/electron_penetration_W.txt (or _Mo.txt) from the electron tables of SpekPy 2.

SpekPy 2 (R. Bujila, G. Poludniowski et al.; MIT licence) ships, for tungsten, the electron
distributions that Omar, Andreo & Poludniowski (Med. Phys. 47 (2020) 4763) simulated with PENELOPE
for electrons falling along the normal of a thick target: data/tables/advanced/Z74_1.npz ... Z74_8.npz,
each holding two incident energies E0_table [keV] of 20, 25, 30, 40, 50, 75, 100, 150, 300 keV, with
  NE[u, x, e]              track length per unit depth and unit electron energy [1/keV] per incident
                           electron, at energy u = T / E0 and depth x in units of the CSDA range;
  pomega_e[theta, u, x, e] distribution of the electrons' directions at angle theta to the inward
                           normal, per unit solid angle [1/degree^2], in 2-degree bins;
and CSDA.npz with the CSDA range of tungsten rng74 [g/cm2] at energies E074 [keV]. For molybdenum
(a fifth argument 42) the same from Z42_1.npz ... Z42_4.npz (20, 25, 30, 35, 50 keV) and rng42, E042;
above its highest energy the highest table stands, in scaled variables.

This converter writes the physics model's layout: per node energy T0 of the model (penetration_layout
in model/electron_penetration.h) the track in units of the model's own CSDA range R(T0) in each cell
of depth z / R(T0), energy T / T0 and direction cosine to the inward normal. Between SpekPy's energies
the track per unit scaled depth and scaled energy (E0 NE) and the direction distribution are taken
linearly in E0, as SpekPy interpolates them; below its lowest energy the lowest table is used in
scaled variables. Depths are carried from SpekPy's range to the model's, whose values RANGES_FILE
holds (the output of the csda_ranges tool). Within its 2-degree bins the direction distribution is
taken as uniform per solid angle, and the tables are read as piecewise linear in u and x. Needs numpy.

    build-tools/bin/csda_ranges > ranges.txt
    python3 tools/physics/convert_spekpy_electrons.py SPEKPY/data/tables/advanced ranges.txt \\
        data/physics/electron_penetration_W.txt
    build-tools/bin/csda_ranges Mo > ranges_Mo.txt
    python3 tools/physics/convert_spekpy_electrons.py SPEKPY/data/tables/advanced ranges_Mo.txt \\
        data/physics/electron_penetration_Mo.txt 42
"""

import os
import sys

import numpy as np

DEPTH_CELLS, ENERGY_CELLS, DIRECTION_CELLS, LARGEST_DEPTH = 24, 32, 8, 0.6
# points per cell of the integration over depth and energy, and per 2-degree bin over the angle
DEPTH_POINTS, ENERGY_POINTS, ANGLE_POINTS = 50, 100, 20

ELEMENTS = {74: "tungsten", 42: "molybdenum"}

HEADER = """\
# Track length of electrons in a thick %s target, per incident electron, from the PENELOPE
# simulations of Omar, Andreo & Poludniowski (Med. Phys. 47 (2020) 4763) as tabulated by SpekPy 2
# (data/tables/advanced/Z%d_*.npz, MIT licence; normal incidence), converted by
# tools/physics/convert_spekpy_electrons.py to this layout and to the model's CSDA ranges.
# Layout: node count, depth bins J, energy bins M, direction bins C, largest scaled depth; the
# node energies T0 [keV]; then per node J x M x C values, direction fastest, then energy, then
# depth: track length [in units of the CSDA range R(T0)] in the cell of depth z / R(T0) in
# [j, j + 1) * (largest scaled depth / J), T / T0 in [m, m + 1) / M and cosine to the inward
# normal in -1 + [c, c + 1) * 2 / C (the last depth cell also holds everything deeper).
"""


def read_tables(folder, z=74):
    """SpekPy's incident energies [keV], grids and arrays, sorted by energy."""
    energies, tracks, directions = [], [], []
    grids = None
    number = 1
    while os.path.exists(os.path.join(folder, "Z%d_%d.npz" % (z, number))):
        data = np.load(os.path.join(folder, "Z%d_%d.npz" % (z, number)))
        grid = tuple(data[name].astype(float) for name in ("u", "x", "theta_e"))
        if grids is not None and any(not np.array_equal(a, b) for a, b in zip(grid, grids)):
            raise SystemExit("Z%d_%d.npz: its grids differ from Z%d_1.npz" % (z, number, z))
        grids = grid
        for e, E0 in enumerate(data["E0_table"].astype(float)):
            if E0 in energies:
                continue
            energies.append(E0)
            # the track per unit scaled depth and unit u: E0 NE
            tracks.append(E0 * data["NE"][:, :, e].astype(float))
            directions.append(data["pomega_e"][:, :, :, e].astype(float))
        number += 1
    if not energies:
        raise SystemExit("no Z%d_*.npz in %s" % (z, folder))
    order = np.argsort(energies)
    return (np.array(energies)[order], [tracks[i] for i in order], [directions[i] for i in order], grids)


def read_ranges(path):
    """the model's node energies [keV] and CSDA ranges [g/cm2]"""
    rows = np.loadtxt(path, ndmin=2)
    return rows[:, 0], rows[:, 1]


def at_energy(T0, energies, tracks, directions):
    """SpekPy's scaled track and direction distribution at T0, linear in E0 between its energies"""
    if T0 <= energies[0]:
        return tracks[0], directions[0]
    if T0 >= energies[-1]:
        return tracks[-1], directions[-1]
    upper = int(np.searchsorted(energies, T0))
    w = (T0 - energies[upper - 1]) / (energies[upper] - energies[upper - 1])
    track = (1 - w) * tracks[upper - 1] + w * tracks[upper]
    direction = (1 - w) * directions[upper - 1] + w * directions[upper]
    return track, direction


def direction_shares(direction, theta):
    """share of the electrons in each cosine cell, by u and x: the distribution per solid angle
    integrated over each cell (each 2-degree bin taken as uniform per solid angle)"""
    width = theta[1] - theta[0]
    shares = np.zeros((DIRECTION_CELLS,) + direction.shape[1:])
    for b, centre in enumerate(theta):
        angles = np.radians(centre - width / 2 + (np.arange(ANGLE_POINTS) + 0.5) * width / ANGLE_POINTS)
        cells = np.minimum(((np.cos(angles) + 1) * 0.5 * DIRECTION_CELLS).astype(int), DIRECTION_CELLS - 1)
        for cell, weight in zip(cells, np.sin(angles)):
            shares[cell] += weight * direction[b]
    total = shares.sum(axis=0)
    return shares / np.where(total > 0, total, 1.0)


def on_fine_grid(values, u, x, fine_u, fine_x):
    """values[u, x] interpolated linearly onto the fine grid (0 beyond the deepest depth)"""
    along_x = np.array([np.interp(fine_x, x, row, right=0.0) for row in values])
    return np.array([np.interp(fine_u, u, column) for column in along_x.T]).T


def convert(folder, ranges_path, out_path, z="74"):
    z = int(z)
    if z not in ELEMENTS:
        raise SystemExit("no SpekPy electron tables for Z = %d" % z)
    energies, tracks, directions, (u, x, theta) = read_tables(folder, z)
    csda = np.load(os.path.join(folder, "CSDA.npz"))
    spekpy_energy, spekpy_range = csda["E0%d" % z].astype(float), csda["rng%d" % z].astype(float)
    nodes, model_range = read_ranges(ranges_path)

    fine_u = (np.arange(ENERGY_CELLS * ENERGY_POINTS) + 0.5) / (ENERGY_CELLS * ENERGY_POINTS)
    fine_depth = (np.arange(DEPTH_CELLS * DEPTH_POINTS) + 0.5) / (DEPTH_CELLS * DEPTH_POINTS) * LARGEST_DEPTH
    step = (1.0 / fine_u.size) * (LARGEST_DEPTH / fine_depth.size)
    lines = [(HEADER % (ELEMENTS[z], z)).rstrip("\n"),
             "%d %d %d %d %g" % (len(nodes), DEPTH_CELLS, ENERGY_CELLS, DIRECTION_CELLS, LARGEST_DEPTH),
             " ".join("%g" % T0 for T0 in nodes)]
    for T0, R in zip(nodes, model_range):
        track, direction = at_energy(T0, energies, tracks, directions)
        R_spekpy = np.exp(np.interp(np.log(T0), np.log(spekpy_energy), np.log(spekpy_range)))
        # the model's depth z / R(T0) in SpekPy's units of its own range
        fine_x = fine_depth * R / R_spekpy
        # track per unit depth and unit u, the same in any unit of length: in R(T0) per unit z / R(T0)
        per_depth = on_fine_grid(track, u, x, fine_u, fine_x)
        shares = direction_shares(direction, theta)
        cells = np.zeros((DEPTH_CELLS, ENERGY_CELLS, DIRECTION_CELLS))
        for c in range(DIRECTION_CELLS):
            fine = per_depth * on_fine_grid(shares[c], u, x, fine_u, fine_x) * step
            cells[:, :, c] = fine.reshape(ENERGY_CELLS, ENERGY_POINTS, DEPTH_CELLS, DEPTH_POINTS).sum(axis=(1, 3)).T
        lines.append("# T0 = %g keV: track %.4f R in all" % (T0, cells.sum()))
        for j in range(DEPTH_CELLS):
            for m in range(ENERGY_CELLS):
                lines.append(" ".join("%.5g" % value for value in cells[j, m]))
    with open(out_path + ".tmp", "w", newline="\n") as out:
        out.write("\n".join(lines) + "\n")
    os.replace(out_path + ".tmp", out_path)


if __name__ == "__main__":
    if len(sys.argv) not in (4, 5):
        raise SystemExit(__doc__)
    convert(*sys.argv[1:])
