#!/usr/bin/env python3
"""Compares two electron track-length tables in the layout of data/physics/electron_penetration_W.txt.

Per incident energy found in both tables it prints the total track, the mean depth, the backscattered
fraction (the one the Monte Carlo wrote into its comments, and the one estimated from the track at the
surface, which works for either table), and the track by depth, by energy and by direction of each
table side by side, with the largest difference of each marginal.

    compare_electron_tables.py TABLE_A TABLE_B [--energies 30,50,100,200,300] [--brief]

The layout (see the tables' own header): node count N, depth cells J, energy cells M, direction cells
C, largest scaled depth D; the N node energies T0 [keV]; then per node J x M x C values, direction
fastest, then energy, then depth: track length in units of the CSDA range R(T0) in the cell of depth
z / R(T0) in [j, j + 1) D / J, T / T0 in [m, m + 1) / M and cosine w to the inward normal in
-1 + [c, c + 1) 2 / C; the last depth cell also holds everything deeper.

Surface estimate of the backscattered fraction: an electron crossing a thin layer dz at angle
arccos |w| leaves the track dz / |w| in it, so the current through the first depth cell in either
direction is the sum of track x |w| over that direction's cells divided by the cell's depth. Nothing
comes back in from outside, so the outward current at the surface is the backscattered fraction and
the inward one is 1; their ratio in the first cell estimates the fraction (cell centres for |w|, so
it is an estimate of a few per cent; its use is to compare two tables alike).
"""

import re
import sys

import numpy as np

COMMENT_BACKSCATTER = re.compile(r"#\s*T0\s*=\s*([0-9.eE+-]+)\s*keV:\s*backscattered fraction\s*([0-9.eE+-]+)")


class TableError(ValueError):
    """a table file that does not have the layout"""


class Table:
    """one electron table: node energies [keV], track[node, depth, energy, direction] [R(T0)]"""

    def __init__(self, path):
        self.path = path
        numbers = []
        self.backscatter = {}  # node energy [keV] -> backscattered fraction the Monte Carlo wrote
        try:
            with open(path, encoding="utf-8") as handle:
                for line in handle:
                    if line.lstrip().startswith("#"):
                        match = COMMENT_BACKSCATTER.match(line.strip())
                        if match:
                            self.backscatter[float(match.group(1))] = float(match.group(2))
                        continue
                    for item in line.split():
                        try:
                            numbers.append(float(item))
                        except ValueError:
                            raise TableError(f"{path}: '{item}' is not a number") from None
        except OSError as error:
            raise TableError(f"{path}: cannot read ({error.strerror})") from None
        if len(numbers) < 5:
            raise TableError(f"{path}: no layout line (node count, J, M, C, largest depth)")
        nodes, J, M, C = (int(x) for x in numbers[:4])
        if min(nodes, J, M, C) < 1 or numbers[:4] != [float(nodes), float(J), float(M), float(C)]:
            raise TableError(f"{path}: the layout line must hold four positive whole numbers and the depth")
        self.max_depth = numbers[4]
        if not self.max_depth > 0:
            raise TableError(f"{path}: the largest scaled depth must be positive")
        expected = 5 + nodes + nodes * J * M * C
        if len(numbers) != expected:
            raise TableError(f"{path}: {len(numbers)} numbers, the layout needs {expected}")
        self.energies = np.array(numbers[5:5 + nodes])
        values = np.array(numbers[5 + nodes:])
        if not np.all(np.isfinite(values)) or np.any(values < 0):
            raise TableError(f"{path}: a track length is negative or not finite")
        self.track = values.reshape(nodes, J, M, C)
        self.J, self.M, self.C = J, M, C

    def node(self, energy):
        hits = np.nonzero(np.isclose(self.energies, energy, rtol=0, atol=1e-9))[0]
        return int(hits[0]) if len(hits) else None


def summary(table, n):
    """the figures of node n: dict of total, mean depth, marginals, surface backscatter estimate"""
    t = table.track[n]
    dz = table.max_depth / table.J
    depth_centres = (np.arange(table.J) + 0.5) * dz
    w_centres = -1.0 + (np.arange(table.C) + 0.5) * 2.0 / table.C
    by_depth = t.sum(axis=(1, 2))
    by_energy = t.sum(axis=(0, 2))
    by_direction = t.sum(axis=(0, 1))
    total = t.sum()
    first = t[0].sum(axis=0)  # first depth cell, by direction
    outward = np.sum(first[w_centres < 0] * -w_centres[w_centres < 0]) / dz
    inward = np.sum(first[w_centres > 0] * w_centres[w_centres > 0]) / dz
    return {
        "total": total,
        "mean_depth": float(np.sum(by_depth * depth_centres) / total) if total > 0 else float("nan"),
        "mean_energy": float(np.sum(by_energy * (np.arange(table.M) + 0.5) / table.M) / total) if total > 0 else float("nan"),
        "surface_backscatter": outward / inward if inward > 0 else float("nan"),
        "by_depth": by_depth,
        "by_energy": by_energy,
        "by_direction": by_direction,
    }


def largest_difference(a, b):
    """largest |a - b| over the cells, in units of the larger table's largest cell [1]"""
    scale = max(np.max(a), np.max(b))
    return float(np.max(np.abs(a - b)) / scale) if scale > 0 else 0.0


def compare(a, b, energies, brief=False, out=sys.stdout):
    """prints the comparison; returns rows (energy, summary a, summary b)"""
    if (a.J, a.M, a.C, a.max_depth) != (b.J, b.M, b.C, b.max_depth):
        raise TableError("the two tables have different cells")
    rows = []
    out.write(f"A = {a.path}\nB = {b.path}\n")
    out.write("T0 [keV] | total track A / B [R] | mean depth A / B [R] | mean T/T0 A / B | "
              "backscatter A / B (Monte Carlo's) | surface estimate A / B | largest marginal difference depth / energy / direction\n")
    for energy in energies:
        na, nb = a.node(energy), b.node(energy)
        if na is None or nb is None:
            out.write(f"{energy:g} | not in both tables\n")
            continue
        sa, sb = summary(a, na), summary(b, nb)
        rows.append((energy, sa, sb))

        def mc(table):
            value = table.backscatter.get(float(energy))
            return f"{value:.4f}" if value is not None else "-"

        out.write(f"{energy:g} | {sa['total']:.4f} / {sb['total']:.4f} | {sa['mean_depth']:.4f} / {sb['mean_depth']:.4f} | "
                  f"{sa['mean_energy']:.4f} / {sb['mean_energy']:.4f} | {mc(a)} / {mc(b)} | "
                  f"{sa['surface_backscatter']:.4f} / {sb['surface_backscatter']:.4f} | "
                  f"{largest_difference(sa['by_depth'], sb['by_depth']):.3f} / "
                  f"{largest_difference(sa['by_energy'], sb['by_energy']):.3f} / "
                  f"{largest_difference(sa['by_direction'], sb['by_direction']):.3f}\n")
        if brief:
            continue
        for name, cells in (("depth", a.J), ("energy", a.M), ("direction", a.C)):
            key = "by_" + name
            out.write(f"  {name:9s} A: " + " ".join(f"{x:.4f}" for x in sa[key]) + "\n")
            out.write(f"  {name:9s} B: " + " ".join(f"{x:.4f}" for x in sb[key]) + "\n")
    return rows


def main(argv):
    args = [x for x in argv[1:]]
    brief = "--brief" in args
    args = [x for x in args if x != "--brief"]
    energies = [30, 50, 100, 200, 300]
    if "--energies" in args:
        k = args.index("--energies")
        if k + 1 >= len(args):
            sys.stderr.write("compare_electron_tables: --energies needs a list like 20,30,50\n")
            return 2
        try:
            energies = [float(x) for x in args[k + 1].split(",")]
        except ValueError:
            sys.stderr.write(f"compare_electron_tables: '{args[k + 1]}' is not a list of energies\n")
            return 2
        del args[k:k + 2]
    if len(args) != 2 or any(x.startswith("--") for x in args):
        sys.stderr.write("usage: compare_electron_tables.py TABLE_A TABLE_B [--energies 30,50,100] [--brief]\n")
        return 2
    try:
        compare(Table(args[0]), Table(args[1]), energies, brief)
    except TableError as error:
        sys.stderr.write(f"compare_electron_tables: {error}\n")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
