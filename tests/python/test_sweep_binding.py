"""sweep: the figures of single runs, voltage by voltage, without holding the GIL."""

import threading
import time
import warnings

import numpy as np
import pytest

import kestrix
from conftest import cli_json

FIGURES = ["hvl_al_mm", "effective_energy_al_keV", "hvl_cu_mm", "effective_energy_cu_keV",
           "photons_per_mm2_per_Ckg"]
EXTENDED = ["hvl1_al_mm", "hvl2_al_mm", "homogeneity_al", "hvl1_cu_mm", "hvl2_cu_mm", "homogeneity_cu",
            "mean_energy_keV", "kerma_mean_energy_keV"]


def test_sweep_equals_single_runs():
    voltages = [25, 40.5, 77, 150, 299.5, 320]
    common = dict(model="birch", waveform="single-phase", cu=0.3, filters=[("Al", 1)])
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", kestrix.CorrectionWarning)
        result = kestrix.sweep(np.array(voltages), **common)
        singles = [kestrix.Beam(kv=kv, **common) for kv in voltages]
    assert list(result) == ["kv"] + FIGURES + EXTENDED
    np.testing.assert_array_equal(result["kv"], [b.kv for b in singles])
    for key in FIGURES + EXTENDED:
        assert result[key].dtype == np.float64
        single = [(b.figures() if key in FIGURES else b.quality())[key] for b in singles]
        np.testing.assert_array_equal(result[key], single)


def test_sweep_equals_the_cli_sweep():
    runs = cli_json(["--sweep", "50:150:25", "--cu", "0.5"])["runs"]
    result = kestrix.sweep(range(50, 151, 25), cu=0.5)
    for key in FIGURES:
        np.testing.assert_array_equal(result[key], [run["results"][key] for run in runs])
    for key in EXTENDED:
        np.testing.assert_array_equal(result[key], [run["results"]["extended"][key] for run in runs])


def test_a_missing_figure_is_nan():
    result = kestrix.sweep([30, 100], model="birch", angle=60, be=0, al_eq=0)
    assert np.isnan(result["hvl_al_mm"][0]) and not np.isnan(result["hvl_al_mm"][1])
    assert not np.isnan(result["hvl_cu_mm"]).any()


def test_a_refused_voltage_names_it_and_bad_voltages_are_refused():
    with pytest.raises(ValueError, match=r"^at 30 kV: Everything is absorbed"):
        kestrix.sweep([300, 30], cu=1000)
    with pytest.raises(ValueError, match="kv: nan is not a number"):
        kestrix.sweep([100, float("nan")])
    with pytest.raises(ValueError, match="sequence of tube voltages"):
        kestrix.sweep([[100, 120]])
    assert {key: len(values) for key, values in kestrix.sweep([]).items()} == dict.fromkeys(["kv"] + FIGURES + EXTENDED, 0)


def test_sweep_releases_the_gil():
    ticks = []
    stop = threading.Event()

    def count():
        while not stop.is_set():
            ticks.append(1)
            time.sleep(0.001)

    counter = threading.Thread(target=count)
    counter.start()
    try:
        kestrix.sweep(np.arange(30, 301, 0.5))
    finally:
        stop.set()
        counter.join()
    assert len(ticks) > 5
