"""Spectrum.to_source and kestrix-cli --export: every format read back by a reader written from that code's
own description of it, giving back the spectrum's mean energy and the weights of its lines."""

import os
import re

import numpy as np
import pytest

import kestrix
from conftest import run_cli

FORMATS = ["egsnrc", "geant4", "gate", "mcnp", "penelope", "topas", "phits"]
NARROW_KEV = 0.05  # a histogram bin narrower than this stands for a line


def numbers(text):
    return [float(x) for x in re.split(r"[\s,]+", text.strip()) if x]


def from_edges(edges, weights):
    """(low, high, weight) bins from n + 1 edges and n weights."""
    assert len(edges) == len(weights) + 1 and all(b > a for a, b in zip(edges, edges[1:]))
    return [(edges[k], edges[k + 1], weights[k]) for k in range(len(weights))]


def read_egsnrc(text):
    # title line; "NBIN, EMIN, MODE"; then NBIN lines "top of bin [MeV], probability"; mode 0: per bin
    rows = text.splitlines()
    count, low, mode = numbers(rows[1])
    assert mode == 0
    pairs = [numbers(r) for r in rows[2:2 + int(count)]]
    return from_edges([low] + [p[0] for p in pairs], [p[1] for p in pairs]), [], 1000.0


def read_gps(text, command):
    # "command Ehi weight": the first point is the lower edge of the histogram, each further one a
    # bin's upper edge [MeV] and the bin's weight
    points = [numbers(line.split(None, 1)[1]) for line in text.splitlines() if line.startswith(command + " ")]
    assert points[0][1] == 0
    return from_edges([p[0] for p in points], [p[1] for p in points[1:]]), [], 1000.0


def read_mcnp(text):
    # cards with continuation lines (5 leading blanks); SI H edges / SP D with a leading 0; SI L / SP D
    # lines; SI S / SP D the distributions' shares
    cards = {}
    name = None
    assert all(len(line) <= 80 for line in text.splitlines())  # MCNP reads 80 columns
    for line in text.splitlines():
        if line.lower().startswith("c "):
            continue
        if line.startswith("     "):
            cards[name] += " " + line
        else:
            name, _, rest = line.partition(" ")
            cards[name] = rest
    assert "ERG=D1" in cards["SDEF"]
    def values(card):
        return numbers(cards[card].split(None, 1)[1])
    if cards["SI1"].startswith("S"):
        share = dict(zip([int(v) for v in values("SI1")], values("SP1")))
        histogram, lines = (2, 3) if cards["SI2"].startswith("H") else (3, 2)
    else:
        share, histogram, lines = {1: 1.0}, 1, None
    weights = values("SP%d" % histogram)
    assert weights[0] == 0
    total = sum(weights)
    bins = [(a, b, w / total * share[histogram]) for a, b, w in
            from_edges(values("SI%d" % histogram), weights[1:])]
    found = []
    if lines is not None:
        assert cards["SI%d" % lines].startswith("L")
        weights = values("SP%d" % lines)
        found = [(e, w / sum(weights) * share[lines]) for e, w in zip(values("SI%d" % lines), weights)]
    return bins, found, 1000.0


def read_penelope(text):
    # "SPECTR Ei Pi": Ei the lower end of a channel [eV], Pi its probability; a negative Pi ends the list
    # at the upper end of the spectrum
    pairs = [numbers(line[7:]) for line in text.splitlines() if line.startswith("SPECTR")]
    assert pairs[-1][1] < 0
    return from_edges([p[0] for p in pairs], [p[1] for p in pairs[:-1]]), [], 1e-3


def read_topas(text):
    # a Discrete spectrum: each value [MeV] with its weight; here a repeated energy is a line
    def vector(key):
        line = next(l for l in text.splitlines() if l.startswith(key))
        items = line.split("=", 1)[1].split()
        assert int(items[0]) == len(items) - 1 - (items[-1] == "MeV")
        return [float(x) for x in items[1:int(items[0]) + 1]]
    assert '"Discrete"' in text
    energies = vector("dv:So/Kestrix/BeamEnergySpectrumValues")
    weights = vector("uv:So/Kestrix/BeamEnergySpectrumWeights")
    points, lines, seen = [], [], set()
    for e, w in zip(energies, weights):
        (lines if e in seen else points).append((e, w))
        seen.add(e)
    return [(e, e, w) for e, w in points], lines, 1000.0


def read_phits(text):
    # e-type = 1: ne groups, "e(i) w(i)" lines with each group's lower edge [MeV] and weight, then the
    # upper edge of the last group
    rows = text.splitlines()
    start = next(k for k, r in enumerate(rows) if r.strip().startswith("ne ="))
    count = int(rows[start].split("=")[1])
    pairs = [numbers(r) for r in rows[start + 1:start + 2 + count]]
    return from_edges([p[0] for p in pairs], [p[1] for p in pairs[:-1]]), [], 1000.0


READERS = {"egsnrc": read_egsnrc, "geant4": lambda t: read_gps(t, "/gps/hist/point"),
           "gate": lambda t: read_gps(t, "/gate/source/kestrix/gps/histpoint"), "mcnp": read_mcnp,
           "penelope": read_penelope, "topas": read_topas, "phits": read_phits}


def read_source(path, form):
    """(bins [(low, high, weight) in keV], lines [(keV, weight)]) with weights summing to 1; a narrow bin
    becomes a line of the weight it holds above the density of the bins beside it."""
    with open(path) as f:
        bins, lines, to_kev = READERS[form](f.read())
    bins = [(a * to_kev, b * to_kev, w) for a, b, w in bins]
    lines = [(e * to_kev, w) for e, w in lines]
    kept = []
    for k, (a, b, w) in enumerate(bins):
        if 0 < b - a < NARROW_KEV:
            density = (bins[k - 1][2] + bins[k + 1][2]) / ((bins[k - 1][1] - bins[k - 1][0]) + (bins[k + 1][1] - bins[k + 1][0]))
            lines.append(((a + b) / 2, w - density * (b - a)))
            w = density * (b - a)
        kept.append((a, b, w))
    total = sum(w for _, _, w in kept) + sum(w for _, w in lines)
    assert total == pytest.approx(1, abs=1e-6)
    return kept, sorted(lines)


def mean_energy(bins, lines):
    return sum(w * (a + b) / 2 for a, b, w in bins) + sum(w * e for e, w in lines)


def expected_lines(spectrum, bins):
    """the documented rule: a line bin's photons above the straight line between its neighbours"""
    values = spectrum.values / spectrum.values.sum()
    found = []
    for b in bins:
        k = int(round(b / 0.5)) - 1
        excess = values[k] - (values[k - 1] + values[k + 1]) / 2
        if excess > 0:
            found.append((b, excess))
    return found


@pytest.mark.parametrize("form", FORMATS)
def test_every_format_reads_back_to_the_mean_energy_and_the_lines(tmp_path, form):
    beam = kestrix.Beam(kv=150, al=2)
    spectrum = beam.spectrum()
    path = tmp_path / ("source." + form)
    spectrum.to_source(path, form)
    bins, lines = read_source(path, form)
    assert mean_energy(bins, lines) == pytest.approx(beam.quality()["mean_energy_keV"], rel=2e-8)
    # Tucker's four K lines: Ka2, Ka1, Kb1, Kb2 in the bins of 58, 59.5, 67 and 69 keV
    expected = expected_lines(spectrum, [58.0, 59.5, 67.0, 69.0])
    assert [e for e, _ in lines] == pytest.approx([e for e, _ in expected], abs=1e-9)
    assert [w for _, w in lines] == pytest.approx([w for _, w in expected], rel=1e-6)
    # their shares of the K emission (0.2908, 0.5048, 0.162, 0.0424) survive, up to the filters and 1/E
    assert lines[1][1] / lines[0][1] == pytest.approx(0.5048 / 0.2908 * 58 / 59.5, rel=0.03)


def test_a_beam_without_lines_is_a_histogram_and_the_physics_model_has_l_lines(tmp_path):
    below = kestrix.Beam(kv=60)
    path = tmp_path / "60.mcnp"
    below.spectrum().to_source(path, "mcnp")
    assert "SI1 H" in path.read_text() and "SI3" not in path.read_text()
    bins, lines = read_source(path, "mcnp")
    assert lines == [] and mean_energy(bins, lines) == pytest.approx(below.quality()["mean_energy_keV"], rel=2e-8)
    physics = kestrix.Beam(model="physics", kv=100, be=1, al_eq=0.5)
    path = tmp_path / "physics.egsnrc"
    physics.spectrum().to_source(path, "egsnrc")
    bins, lines = read_source(path, "egsnrc")
    assert any(7 < e < 12 for e, _ in lines) and any(57 < e < 70 for e, _ in lines)
    assert mean_energy(bins, lines) == pytest.approx(physics.quality()["mean_energy_keV"], rel=2e-8)


def test_the_command_line_writes_the_same_source(tmp_path):
    for form in ("penelope", "topas"):
        cli = tmp_path / ("cli." + form)
        status, _, err = run_cli(["--kv", "120", "--cu", "0.2", "--export", form, "--save", str(cli), "--no-table"])
        assert status == 0, err
        python = tmp_path / ("py." + form)
        kestrix.Beam(kv=120, cu=0.2).spectrum("photon", "total").to_source(python, form)
        assert read_source(cli, form) == read_source(python, form)


def test_refusals_name_the_format_and_change_nothing(tmp_path):
    path = tmp_path / "kept.txt"
    path.write_text("kept")
    spectrum = kestrix.Beam(kv=100).spectrum()
    with pytest.raises(ValueError, match=r'format: "fluka" is not one of egsnrc \| geant4'):
        spectrum.to_source(path, "fluka")
    with pytest.raises(ValueError, match="a source is a photon spectrum"):
        kestrix.Beam(kv=100).spectrum("energy").to_source(path, "mcnp")
    with pytest.raises(TypeError, match="format must be a text"):
        spectrum.to_source(path, 3)
    with pytest.raises(TypeError, match="never built"):
        kestrix.Spectrum.__new__(kestrix.Spectrum).to_source(path, "mcnp")
    assert path.read_text() == "kept"
    status, out, err = run_cli(["--kv", "100", "--export", "fluka", "--save", str(path)])
    assert status == 2 and out == "" and 'option --export: "fluka" is not one of egsnrc | geant4' in err
    status, _, err = run_cli(["--kv", "100", "--export", "mcnp"])
    assert status == 2 and "option --export needs --save FILE" in err
    assert path.read_text() == "kept"
    assert np.isfinite(spectrum.values).all()
