"""The converter of SpekPy's electron tables, on small tables whose integrals are known."""

import os
import subprocess
import sys

import numpy as np
import pytest

CONVERTER = os.path.join(os.path.dirname(__file__), "..", "..", "tools", "physics", "convert_spekpy_electrons.py")
U = np.round(np.arange(1, 101) * 0.01, 2)
X = np.round(np.arange(0, 11) * 0.05, 2)  # depth / CSDA range, to 0.5
THETA = np.arange(1.0, 180.0, 2.0)


def spekpy_range(T):
    """the synthetic tables' CSDA range [g/cm2]: 1e-5 T^1.5"""
    return 1e-5 * T ** 1.5


def write_tables(folder, track_of_energy):
    """two files (20 and 25 keV, 25 and 300 keV); E0 NE = track_of_energy(E0) at every depth of the
    tables (to 0.5 of the range) and directions uniform per solid angle"""
    for number, energies in ((1, (20.0, 25.0)), (2, (25.0, 300.0))):
        NE = np.zeros((U.size, X.size, 2), dtype=np.float32)
        for e, E0 in enumerate(energies):
            NE[:, :, e] = track_of_energy(E0) / E0
        pomega = np.ones((THETA.size, U.size, X.size, 2), dtype=np.float32) / 41253.0
        np.savez(os.path.join(folder, "Z74_%d.npz" % number), u=U.astype(np.float32), x=X.astype(np.float32),
                 theta_e=THETA.astype(np.float32), E0_table=np.array(energies, dtype=np.float32), NE=NE,
                 pomega_e=pomega)
    grid = np.array([1.0, 1000.0])
    np.savez(os.path.join(folder, "CSDA.npz"), E074=grid.astype(np.float32),
             rng74=spekpy_range(grid).astype(np.float32))


def convert(tmp_path, ranges):
    """runs the converter with the model ranges {T0: R}; returns the node energies and the cells"""
    ranges_path = tmp_path / "ranges.txt"
    ranges_path.write_text("".join("%g %.6e\n" % item for item in ranges.items()))
    out = tmp_path / "table.txt"
    subprocess.run([sys.executable, CONVERTER, str(tmp_path), str(ranges_path), str(out)], check=True)
    lines = [line for line in out.read_text().splitlines() if not line.startswith("#")]
    assert lines[0] == "%d 24 32 8 0.6" % len(ranges)
    nodes = [float(v) for v in lines[1].split()]
    cells = np.array([[float(v) for v in line.split()] for line in lines[2:]])
    return nodes, cells.reshape(len(nodes), 24, 32, 8)


def test_track_directions_and_energies_between_the_tables(tmp_path):
    write_tables(str(tmp_path), lambda E0: 0.6 + E0 / 1000)
    nodes, cells = convert(tmp_path, {T0: spekpy_range(T0) for T0 in (10.0, 20.0, 22.5, 300.0)})
    assert nodes == [10.0, 20.0, 22.5, 300.0]
    totals = cells.sum(axis=(1, 2, 3))
    # the track in units of R: E0 NE integrated over u (all of 0-1) and the depth 0-0.5
    assert totals[1] == pytest.approx(0.5 * 0.62, rel=2e-3)
    assert totals[3] == pytest.approx(0.5 * 0.9, rel=2e-3)
    # linear in E0 between 20 and 25 keV; below the lowest table its scaled values
    assert totals[2] == pytest.approx(0.5 * (0.62 + 0.625) / 2, rel=2e-3)
    assert totals[0] == pytest.approx(totals[1], rel=1e-6)
    # directions uniform per solid angle: each cosine cell holds an eighth
    shares = cells[1].sum(axis=(0, 1)) / totals[1]
    assert shares == pytest.approx(np.full(8, 0.125), abs=1e-3)
    # nothing below the depth the tables reach: 0.5 R is the end of cell 20
    assert cells[1, 20:].sum() == pytest.approx(0.0, abs=1e-3 * totals[1])


def test_depths_are_carried_to_the_model_range(tmp_path):
    write_tables(str(tmp_path), lambda E0: 0.6)
    # the model's range twice SpekPy's: the electrons reach 0.25 of it and leave half the track per R
    nodes, cells = convert(tmp_path, {100.0: 2 * spekpy_range(100.0)})
    assert cells[0].sum() == pytest.approx(0.5 * 0.6 / 2, rel=2e-3)
    assert cells[0, 10:].sum() == pytest.approx(0.0, abs=1e-3 * cells[0].sum())
    assert cells[0, 9].sum() == pytest.approx(cells[0, 0].sum(), rel=1e-3)


def test_a_folder_without_tables_is_refused_and_nothing_is_written(tmp_path):
    (tmp_path / "ranges.txt").write_text("100 1e-2\n")
    out = tmp_path / "table.txt"
    run = subprocess.run([sys.executable, CONVERTER, str(tmp_path), str(tmp_path / "ranges.txt"), str(out)],
                         capture_output=True, text=True)
    assert run.returncode != 0
    assert "no Z74_*.npz" in run.stderr
    assert not out.exists()
