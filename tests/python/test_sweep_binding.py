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
OUTPUT = ["air_kerma_uGy_per_mAs", "photon_fluence_per_mAs_per_mm2"]


def test_sweep_equals_single_runs():
    voltages = [30, 40.5, 77, 150, 299.5, 300]
    common = dict(model="birch", waveform="single-phase", cu=0.3, filters=[("Al", 1)])
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", kestrix.CorrectionWarning)
        result = kestrix.sweep(np.array(voltages), **common)
        singles = [kestrix.Beam(kv=kv, **common) for kv in voltages]
    assert list(result) == ["kv"] + FIGURES + EXTENDED + OUTPUT
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


def test_a_physics_sweep_carries_the_output_of_the_cli_sweep():
    runs = cli_json(["--sweep", "60:100:20", "--model", "physics", "--waveform", "12-peak", "--distance", "500"])["runs"]
    result = kestrix.sweep([60, 80, 100], model="physics", waveform="12-peak", distance_mm=500)
    for key in OUTPUT:
        np.testing.assert_array_equal(result[key], [run["results"]["output"][key] for run in runs])
    single = kestrix.Beam(model="physics", kv=80, waveform="12-peak").output(distance_mm=500)
    assert result["air_kerma_uGy_per_mAs"][1] == single["air_kerma_uGy_per_mAs"]
    # a relative model has no output; the distance is checked like Beam.output's
    assert np.isnan(kestrix.sweep([80, 90])["air_kerma_uGy_per_mAs"]).all()
    with pytest.raises(ValueError, match="^distance_mm: "):
        kestrix.sweep([80], model="physics", distance_mm=0)
    with pytest.raises(TypeError, match="^distance_mm must be a number of mm, not True"):
        kestrix.sweep([80], distance_mm=True)


def test_a_missing_figure_is_nan():
    result = kestrix.sweep([30, 100], model="birch", angle=60, be=0, al_eq=0)
    assert np.isnan(result["hvl_al_mm"][0]) and not np.isnan(result["hvl_al_mm"][1])
    assert not np.isnan(result["hvl_cu_mm"]).any()


def test_a_refused_voltage_names_it_and_bad_voltages_are_refused():
    with pytest.raises(ValueError, match=r"^at 30 kV: Everything is absorbed"):
        kestrix.sweep([300, 30], cu=1000)
    with pytest.raises(ValueError, match="kv: nan is not a number"):
        kestrix.sweep([100, float("nan")])
    with pytest.raises(ValueError, match="kv: one sequence of values is needed, not a table"):
        kestrix.sweep([[100, 120]])
    assert {key: len(values) for key, values in kestrix.sweep([]).items()} == dict.fromkeys(["kv"] + FIGURES + EXTENDED + OUTPUT, 0)


def test_a_sweep_outside_the_voltage_range_is_refused_before_any_run():
    # no duplicate 30 kV rows from the desktop's correction: the whole sweep is refused
    with pytest.raises(ValueError, match=r"^kv: 20 kV is outside the tucker model's range of 30 to 300 kV$"):
        kestrix.sweep(range(20, 41))
    with pytest.raises(ValueError, match=r"^al: -1 mm is a negative thickness"):
        kestrix.sweep(al=[1, -1], kv=80)


def test_a_sweep_through_a_replaced_inherent_filtration_is_refused():
    # a single beam replaces it with 0.5 mm Al eq., which would make a duplicate row of 0.5 mm
    with pytest.raises(ValueError, match=r"^al_eq: 0 mm leaves no inherent filtration \(0 mm Be \+ 0 mm Al eq.\)"):
        kestrix.sweep(al_eq=[0, 0.5, 1], be=0, kv=80)
    with pytest.raises(ValueError, match=r"^be: 0 mm leaves no inherent filtration"):
        kestrix.sweep(be=[1, 0], al_eq=0, kv=80)
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        birch = kestrix.sweep(al_eq=[0, 0.5], be=0, kv=80, model="birch")
    assert birch["hvl1_al_mm"][0] < birch["hvl1_al_mm"][1]


@pytest.mark.parametrize("swept, column", [
    (dict(al=np.linspace(0, 5, 11), kv=80), "al"),
    (dict(angle=[8, 12.5, 20], kv=100), "angle"),
    (dict(be=(0.5, 1, 3), kv=60), "be"),
    (dict(al_eq=[1, 2.5], kv=120, model="birch"), "al_eq"),
    (dict(cu=np.array([0, 0.1, 0.3]), kv=150), "cu"),
])
def test_sweep_over_any_input_puts_it_first(swept, column):
    result = kestrix.sweep(**swept)
    assert list(result) == [column] + FIGURES + EXTENDED + OUTPUT
    np.testing.assert_array_equal(result[column], np.asarray(swept[column], dtype=float))
    fixed = {key: value for key, value in swept.items() if key != column}
    for k, value in enumerate(swept[column]):
        beam = kestrix.Beam(**fixed, **{column: float(value)})
        assert result["hvl1_al_mm"][k] == beam.quality()["hvl1_al_mm"]
        assert result["hvl_cu_mm"][k] == beam.figures()["hvl_cu_mm"]


def test_sweep_over_a_filter_thickness():
    result = kestrix.sweep(kv=120, filters=[("PMMA", 10), ("Sn", [0.1, 0.4])])
    assert list(result)[0] == "filter_Sn_mm"
    np.testing.assert_array_equal(result["filter_Sn_mm"], [0.1, 0.4])
    single = kestrix.Beam(kv=120, filters=[("PMMA", 10), ("Sn", 0.4)]).quality()
    assert result["hvl2_cu_mm"][1] == single["hvl2_cu_mm"]


@pytest.mark.parametrize("arguments, message", [
    (dict(kv=80), "sweep: exactly one of kv, angle, be, al_eq, al, cu or one filter's thickness must be a sequence"),
    (dict(kv=[80, 90], al=[1, 2]), "not kv and al"),
    (dict(kv=80, filters=[("Sn", [0.1]), ("Cu", [0.1])]), "not filter_Sn_mm and filter_Cu_mm"),
])
def test_sweep_needs_exactly_one_sequence(arguments, message):
    with pytest.raises(ValueError) as refusal:
        kestrix.sweep(**arguments)
    assert message in str(refusal.value)
    with pytest.raises(TypeError, match="sweep\\(\\) got an unexpected keyword argument 'kvp'"):
        kestrix.sweep(kvp=[80])


@pytest.mark.parametrize("choice", [dict(target=["Ag", "Au"]), dict(model=("tucker", "birch")), dict(lines=[True, False])])
def test_a_choice_given_as_a_sequence_is_no_sweep(choice):
    name = next(iter(choice))
    with pytest.raises(TypeError, match=f"^{name}: takes one value; a sweep varies one of kv"):
        kestrix.sweep(kv=[30, 40], **choice)


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
        kestrix.sweep(np.arange(30, 300.5, 0.5))
    finally:
        stop.set()
        counter.join()
    assert len(ticks) > 5
