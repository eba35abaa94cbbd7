"""Spectrum.from_csv, figures and compare, and kestrix-cli --spectrum: a measured spectrum made from a
Kestrix beam gives back that beam's figures, on any energy grid, and a faulty file is refused by line."""

import json

import numpy as np
import pytest

import kestrix
from conftest import run_cli


def without_output(figures):
    return {k: v for k, v in figures.items() if k != "output"}


@pytest.mark.parametrize("arguments", [dict(kv=100, al=2), dict(model="physics", kv=80, filters=[("Sn", 0.1)])])
def test_a_spectrum_written_by_kestrix_gives_back_its_beams_figures(tmp_path, arguments):
    beam = kestrix.Beam(**arguments)
    path = tmp_path / "beam.csv"
    beam.spectrum().to_csv(path)
    measured = kestrix.Spectrum.from_csv(path)
    assert np.array_equal(measured.values, beam.spectrum().values)
    assert without_output(measured.figures()) == without_output(beam.figures())
    assert measured.quality() == beam.quality()
    assert measured.figures()["output"]["air_kerma_uGy_per_mAs"] is None
    comparison = measured.compare(beam)
    assert all(entry["deviation_percent"] in (0, None) for entry in comparison["figures"].values())
    ratio = comparison["ratio"][~np.isnan(comparison["ratio"])]
    assert ratio == pytest.approx(1, rel=1e-12)


def test_a_coarser_grid_keeps_the_photons_and_nearly_the_figures(tmp_path):
    beam = kestrix.Beam(kv=80, al=3)
    photons = beam.spectrum().values
    # the same beam on a 2 keV grid in MeV: each row the photons per keV of four bins
    energy = np.arange(1.25, 300, 2.0)
    per_kev = photons.reshape(-1, 4).sum(axis=1) * 0.5 / 2.0
    path = tmp_path / "coarse.csv"
    with open(path, "w") as f:
        f.write("# a spectrometer's 2 keV channels\nenergy_MeV,value\n")
        for e, v in zip(energy, per_kev):
            f.write("%.6f,%r\n" % (e / 1000, v))
    measured = kestrix.Spectrum.from_csv(path)
    # every 2 keV row's photons land in its four bins
    rows = measured.values.reshape(-1, 4).sum(axis=1)
    assert rows / rows.sum() == pytest.approx(per_kev / per_kev.sum(), rel=1e-9, abs=1e-15)
    got, want = measured.quality(), beam.quality()
    for key in ("hvl1_al_mm", "hvl2_al_mm", "hvl1_cu_mm", "mean_energy_keV", "kerma_mean_energy_keV"):
        assert got[key] == pytest.approx(want[key], rel=0.01), key
    deviations = measured.compare(beam)["figures"]
    assert abs(deviations["hvl1_al_mm"]["deviation_percent"]) < 1


def test_the_command_line_gives_the_same_figures(tmp_path):
    beam = kestrix.Beam(kv=120, cu=0.1)
    path = tmp_path / "m.csv"
    beam.spectrum().to_csv(path)
    status, out, err = run_cli(["--spectrum", str(path), "--json", "--no-table"])
    assert status == 0, err
    report = json.loads(out)
    assert report["measured_spectrum"]["rows"] == 600 and "inputs" not in report
    assert without_output(report["results"]) == without_output(beam.figures())
    status, out, _ = run_cli(["--spectrum", str(path), "--no-table"])
    assert out.startswith("# kestrix-cli: measured spectrum %s: 600 rows from 0.5 to 300 keV" % path)


def test_faulty_files_are_refused_by_file_and_line(tmp_path):
    path = tmp_path / "bad.csv"
    path.write_text("energy_keV,value\n10,1\n11,abc\n")
    with pytest.raises(ValueError, match=r'bad.csv, line 3: the value "abc" is not a number'):
        kestrix.Spectrum.from_csv(path)
    status, out, err = run_cli(["--spectrum", str(path)])
    assert status == 1 and out == "" and 'bad.csv, line 3: the value "abc" is not a number' in err
    status, out, err = run_cli(["--spectrum", str(path), "--kv", "100"])
    assert status == 2 and "option --spectrum cannot be combined with --kv" in err
    with pytest.raises(ValueError, match="cannot be opened|No such file|not found"):
        kestrix.Spectrum.from_csv(tmp_path / "missing.csv")
    with pytest.raises(TypeError, match="path"):
        kestrix.Spectrum.from_csv(3)
    with pytest.raises(TypeError, match="beam must be a built kestrix.Beam"):
        kestrix.Beam(kv=100).spectrum().compare("beam")
    with pytest.raises(TypeError, match="never built"):
        kestrix.Spectrum.__new__(kestrix.Spectrum).figures()
    with pytest.raises(TypeError, match="never built"):
        kestrix.Beam(kv=100).spectrum().compare(kestrix.Beam.__new__(kestrix.Beam))
    with pytest.raises(ValueError, match="figures are those of a photon spectrum"):
        kestrix.Beam(kv=100).spectrum("energy").figures()
    # --save refuses to replace the spectrum it reads
    good = tmp_path / "good.csv"
    kestrix.Beam(kv=100).spectrum().to_csv(good)
    before = good.read_bytes()
    status, _, err = run_cli(["--spectrum", str(good), "--save", str(good)])
    assert status == 2 and "the measured spectrum of this run" in err and good.read_bytes() == before
