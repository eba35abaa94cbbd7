"""The comparison of two electron tables, on small tables whose figures are known."""

import io
import os
import subprocess
import sys

import numpy as np
import pytest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools", "physics"))
import compare_electron_tables as cet  # noqa: E402

TOOL = os.path.join(os.path.dirname(__file__), "..", "..", "tools", "physics", "compare_electron_tables.py")
J, M, C, DEPTH = 4, 4, 4, 0.6  # depth cells 0.15 R deep, direction centres -0.75, -0.25, 0.25, 0.75


def write_table(path, energies, fill, comments=()):
    """a table of the layout with cells fill(node, track) set in a zero array [node, j, m, c]"""
    track = np.zeros((len(energies), J, M, C))
    fill(track)
    lines = ["# a synthetic table"] + list(comments)
    lines.append("%d %d %d %d %g" % (len(energies), J, M, C, DEPTH))
    lines.append(" ".join("%g" % e for e in energies))
    for n in range(len(energies)):
        for j in range(J):
            for m in range(M):
                lines.append(" ".join("%.6g" % x for x in track[n, j, m]))
    path.write_text("\n".join(lines) + "\n")
    return path


def run(*args):
    return subprocess.run([sys.executable, TOOL, *map(str, args)], capture_output=True, text=True)


def test_figures_of_one_node_are_those_of_its_cells(tmp_path):
    def fill(track):
        track[0, 2, 3, 3] = 0.3  # depth 0.30-0.45 R, T/T0 0.75-1, inward
        track[0, 0, 1, 0] = 0.1  # depth 0-0.15 R, T/T0 0.25-0.5, outward
    table = cet.Table(write_table(tmp_path / "a.txt", [30], fill))
    s = cet.summary(table, 0)
    assert s["total"] == pytest.approx(0.4)
    assert s["mean_depth"] == pytest.approx((0.3 * 0.375 + 0.1 * 0.075) / 0.4)
    assert s["mean_energy"] == pytest.approx((0.3 * 0.875 + 0.1 * 0.375) / 0.4)
    assert s["by_depth"] == pytest.approx([0.1, 0, 0.3, 0])
    assert s["by_direction"] == pytest.approx([0.1, 0, 0, 0.3])


def test_surface_estimate_is_the_ratio_of_the_currents_in_the_first_cell(tmp_path):
    # outward current 0.2 x 0.75 + 0.1 x 0.25, inward 0.5 x 0.75 + 0.1 x 0.25; deeper cells do not count
    def fill(track):
        track[0, 0, 2, 0] = 0.2
        track[0, 0, 2, 1] = 0.1
        track[0, 0, 3, 2] = 0.1
        track[0, 0, 3, 3] = 0.5
        track[0, 1, 3, 0] = 5.0
    table = cet.Table(write_table(tmp_path / "a.txt", [30], fill))
    assert cet.summary(table, 0)["surface_backscatter"] == pytest.approx(0.175 / 0.4)


def test_identical_tables_differ_nowhere_and_the_monte_carlo_backscatter_is_read(tmp_path):
    def fill(track):
        track[:] = np.arange(track.size).reshape(track.shape) * 1e-4
    comments = ["# T0 = 30 keV: backscattered fraction 0.5125, energy fraction 0.4000"]
    a = cet.Table(write_table(tmp_path / "a.txt", [30, 100], fill, comments))
    b = cet.Table(write_table(tmp_path / "b.txt", [30, 100], fill))
    assert a.backscatter == {30.0: 0.5125} and b.backscatter == {}
    out = io.StringIO()
    rows = cet.compare(a, b, [30, 100, 300], out=out)
    assert [r[0] for r in rows] == [30, 100]
    for _, sa, sb in rows:
        assert sa["mean_depth"] == sb["mean_depth"]
        assert cet.largest_difference(sa["by_energy"], sb["by_energy"]) == 0
    text = out.getvalue()
    assert "0.5125 / -" in text and "300 | not in both tables" in text


def test_the_program_prints_the_comparison(tmp_path):
    def fill(track):
        track[:, 1, 2, 3] = 0.5
    a = write_table(tmp_path / "a.txt", [20, 30], fill)
    result = run(a, a, "--energies", "20,30", "--brief")
    assert result.returncode == 0, result.stderr
    assert "\n20 | 0.5000 / 0.5000 | 0.2250 / 0.2250" in result.stdout


def test_bad_tables_and_arguments_are_refused_with_a_message(tmp_path):
    good = write_table(tmp_path / "good.txt", [30], lambda t: None)
    short = tmp_path / "short.txt"
    short.write_text("1 4 4 4 0.6\n30\n0 0 0\n")
    word = tmp_path / "word.txt"
    word.write_text(good.read_text().replace("30\n", "thirty\n", 1))
    negative = write_table(tmp_path / "negative.txt", [30], lambda t: t.__setitem__((0, 0, 0, 0), -1.0))
    other = tmp_path / "other.txt"
    other.write_text(good.read_text().replace("1 4 4 4 0.6", "1 4 4 4 0.5"))
    for path, message in ((short, "numbers, the layout needs"), (word, "is not a number"),
                          (negative, "negative or not finite"), (tmp_path / "none.txt", "cannot read")):
        result = run(path, good)
        assert result.returncode == 1 and message in result.stderr and result.stdout == ""
    result = run(good, other)
    assert result.returncode == 1 and "different cells" in result.stderr
    for args in ((good,), (good, good, "--energies"), (good, good, "--energies", "a,b"), (good, good, "--other")):
        result = run(*args)
        assert result.returncode == 2 and result.stderr
