"""The compact form of the transmission electron tables: half-precision codes and runs of zeros."""

import os
import subprocess
import sys

import numpy as np
import pytest

TOOL = os.path.join(os.path.dirname(__file__), "..", "..", "tools", "physics", "compact_electron_transmission.py")


def compact(tmp_path, text, *options):
    """writes `text` as a table, runs the tool; returns its codes and the tool's result"""
    source = tmp_path / "electron_transmission_W_test.txt"
    source.write_text(text)
    result = subprocess.run([sys.executable, TOOL, str(source), *options], capture_output=True, text=True)
    out = tmp_path / "electron_transmission_W_test.compact.txt"
    codes = []
    if out.exists():
        for line in out.read_text().splitlines():
            if not line.startswith("#"):
                codes.extend(int(item) for item in line.split())
    return codes, result


def expand(codes):
    """the reading code's expansion (model/electron_transmission.cpp), in numpy"""
    values = []
    for code in codes:
        if code >= 32768:
            values.extend([0.0] * (code - 32768))
        else:
            values.append(float(np.array([code], dtype=np.uint16).view(np.float16)[0]))
    return values


def test_values_become_their_half_precision_and_zeros_runs(tmp_path):
    codes, result = compact(tmp_path, "# a comment\n7 8 6\n0 0 0 1.5e-3 0\n# between blocks\n300 0.005 0\n")
    assert result.returncode == 0, result.stderr
    assert codes == [0x4700, 0x4800, 0x4600, 32768 + 3, int(np.float16(1.5e-3).view(np.uint16)), 32769,
                     0x5CB0, int(np.float16(0.005).view(np.uint16)), 32769]
    assert expand(codes) == [7, 8, 6, 0, 0, 0, float(np.float16(1.5e-3)), 0, 300, float(np.float16(0.005)), 0]


def test_round_trip_within_half_precision(tmp_path):
    rng = np.random.default_rng(5)
    values = rng.random(5000) * 10.0 ** rng.integers(-7, 1, 5000)
    values[rng.random(5000) < 0.4] = 0.0
    codes, result = compact(tmp_path, " ".join("%.5g" % v for v in values) + "\n")
    assert result.returncode == 0, result.stderr
    back = np.array(expand(codes))
    written = np.array([float("%.5g" % v) for v in values])
    assert back.size == written.size
    assert np.all(np.abs(back - written) <= 4.9e-4 * written + 2.0 ** -25)
    assert len(codes) < written.size  # the zeros take less room


def test_long_runs_of_zeros_split(tmp_path):
    codes, result = compact(tmp_path, "0 " * 70000 + "1\n")
    assert result.returncode == 0, result.stderr
    assert sum(code - 32768 for code in codes if code >= 32768) == 70000
    assert all(code <= 65535 for code in codes)
    assert codes[-1] == 0x3C00


@pytest.mark.parametrize("bits", [6, 8])
def test_fewer_bits_round_to_nearest_within_their_precision(tmp_path, bits):
    rng = np.random.default_rng(7)
    values = (0.1 + rng.random(3000)) * 10.0 ** rng.integers(-3, 1, 3000)  # within the normal half range
    codes, result = compact(tmp_path, " ".join("%.6g" % v for v in values) + "\n", str(bits))
    assert result.returncode == 0, result.stderr
    back = np.array(expand(codes))
    written = np.array([float("%.6g" % v) for v in values])
    assert np.all(np.abs(back - written) <= (2.0 ** -(bits + 1) + 4.9e-4) * written)
    assert all((code & ((1 << (10 - bits)) - 1)) == 0 for code in codes)  # the dropped bits are zero
    assert np.mean(np.abs(back - written) / written) > 2.0 ** -(bits + 4)  # and really dropped


@pytest.mark.parametrize("bad", ["-1e-3", "nan", "1e6"])
def test_refuses_negative_non_finite_or_too_large_values(tmp_path, bad):
    codes, result = compact(tmp_path, "1 2 %s\n" % bad)
    assert result.returncode != 0
    assert codes == []
