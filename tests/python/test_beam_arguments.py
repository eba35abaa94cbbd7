"""Arguments: kestrix-cli's corrections as warnings, its refusals as ValueError, materials by name."""

import os
import pathlib
import shutil
import warnings

import numpy as np
import pytest

import kestrix
from conftest import DELIVERED, cli_json, run_cli


def corrections_of(**arguments):
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        beam = kestrix.Beam(**arguments)
    assert all(w.category is kestrix.CorrectionWarning for w in caught)
    return beam, [str(w.message) for w in caught]


@pytest.mark.parametrize("arguments, command_line", [
    (dict(kv=80, be=0, al_eq=0), ["--kv", "80", "--be", "0", "--al-eq", "0"]),
])
def test_the_correction_left_is_warned_in_the_cli_words(arguments, command_line):
    beam, warned = corrections_of(**arguments)
    report = cli_json(command_line + ["--no-table"])
    assert warned == report["corrections"] == beam.corrections
    assert beam.kv == report["inputs"]["tube_voltage_kV"]
    assert (beam.be, beam.al_eq) == (report["inputs"]["beryllium_mm"], report["inputs"]["aluminium_equivalent_mm"])


def test_no_warning_without_a_correction():
    assert corrections_of(kv=30)[1] == [] and corrections_of(kv=300, model="birch", be=0, al_eq=0)[1] == []


@pytest.mark.parametrize("arguments, message", [
    (dict(kv=80, al=-4.9), "al: -4.9 mm is a negative thickness (0 mm or more)"),
    (dict(be=-2), "be: -2 mm is a negative thickness (0 mm or more)"),
    (dict(al_eq=-0.1), "al_eq: -0.1 mm is a negative thickness"),
    (dict(cu=-1e-3), "cu: -0.001 mm is a negative thickness"),
    (dict(filters=[("Sn", 0.1), ("Cu", -1)]), "filters: the thickness of Cu: -1 mm is a negative thickness"),
    (dict(kv=350), "kv: 350 kV is outside the tucker model's range of 30 to 300 kV"),
    (dict(kv=29.5, model="birch"), "kv: 29.5 kV is outside the birch model's range of 30 to 300 kV"),
])
def test_inputs_the_desktop_would_correct_are_refused_naming_the_input(arguments, message):
    with pytest.raises(ValueError) as refusal:
        kestrix.Beam(**arguments)
    assert str(refusal.value).startswith(message)


@pytest.mark.parametrize("make, message", [
    (lambda: kestrix.Beam(kv="100"), "kv must be a number of kV, not '100'"),
    (lambda: kestrix.Beam(angle=None), "angle must be a number of degrees, not None"),
    (lambda: kestrix.Beam(al=True), "al must be a number of mm, not True"),
    (lambda: kestrix.Beam(model=1), "model must be a text, not 1"),
    (lambda: kestrix.Beam(filters=[("Sn", "thick")]), "filters: the thickness of Sn must be a number of mm, not 'thick'"),
    (lambda: kestrix.Beam(filters=3), "filters: a sequence of (material, mm) pairs is needed, not 3"),
    (lambda: kestrix.Beam(kvp=100), "Beam() got an unexpected keyword argument 'kvp'"),
    (lambda: kestrix.Beam("tucker", 100), "Beam() takes keyword arguments only"),
    (lambda: kestrix.Beam.from_quality("RQR5", kv=80), "from_quality() got an unexpected keyword argument 'kv'"),
    (lambda: kestrix.fit("al", target_hvl_al="3"), "target_hvl_al must be a number of mm, not '3'"),
    (lambda: kestrix.fit(1, target_hvl_al=3), "entry must be a text, not 1"),
    (lambda: kestrix.Beam.from_quality(5), "name must be a text, not 5"),
    (lambda: kestrix.Beam(kv=80).spectrum(1), "quantity must be a text, not 1"),
    (lambda: kestrix.Beam(kv=80).spectrum().normalised(None), "kind must be a text, not None"),
])
def test_wrong_types_and_unknown_keywords_are_type_errors_naming_themselves(make, message):
    with pytest.raises(TypeError) as refusal:
        make()
    assert str(refusal.value).startswith(message) and "Unable to cast" not in str(refusal.value)


def test_numpy_numbers_are_numbers():
    import numpy as np
    assert kestrix.Beam(kv=np.float32(100), al=np.int64(2)) == kestrix.Beam(kv=100, al=2)


@pytest.mark.parametrize("arguments, command_line", [
    (dict(angle=0), ["--angle", "0"]),
    (dict(angle=200), ["--angle", "200"]),
    (dict(kv=30, cu=1000), ["--kv", "30", "--cu", "1000"]),
    (dict(table="/nonexistent/MUs_202202.data"), ["--table", "/nonexistent/MUs_202202.data"]),
    (dict(filters=[("/nonexistent/x.ele", 1)]), ["--filter", "/nonexistent/x.ele:1"]),
])
def test_refusals_are_value_errors_with_the_cli_message(arguments, command_line):
    status, _, err = run_cli(command_line)
    assert status == 1 and err.startswith("kestrix-cli: ")
    with pytest.raises(ValueError) as refusal:
        kestrix.Beam(**arguments)
    assert str(refusal.value) == err[len("kestrix-cli: "):].strip()


@pytest.mark.parametrize("arguments, message", [
    (dict(kv=float("nan")), "kv: nan is not a number"),
    (dict(cu=float("inf")), "cu: an infinity is not a number"),
    (dict(model="monte-carlo"), 'model: "monte-carlo" is not one of tucker | birch'),
    (dict(waveform="dc"), 'waveform: "dc" is not one of constant | 12-peak | single-phase'),
    (dict(filters="Sn"), "filters: a sequence of (material, mm) pairs is needed, not a text"),
    (dict(filters=[("Sn",)]), "filters: each filter is a (material, mm) pair"),
    (dict(filters=[("Sn", 1)] * 4), "filters: at most 3 filters"),
    (dict(filters=[("Unobtainium", 1)]), 'filters: "Unobtainium" is neither a delivered material (Ag, Air,'),
])
def test_bad_arguments_are_value_errors_naming_the_argument(arguments, message):
    with pytest.raises(ValueError) as refusal:
        kestrix.Beam(**arguments)
    assert str(refusal.value).startswith(message)


@pytest.mark.parametrize("make, argument", [
    (lambda: kestrix.Beam(kv="100"), "kv"),
    (lambda: kestrix.Beam(al=[1]), "al"),
    (lambda: kestrix.Beam(model=1), "model"),
    (lambda: kestrix.Beam(table=3), "table"),
    (lambda: kestrix.Beam(filters=[(3, 1)]), "filters"),
    (lambda: kestrix.fit("al", target_hvl_al="3"), "target_hvl_al"),
    (lambda: kestrix.fit(1, target_hvl_al=3), "entry"),
    (lambda: kestrix.Beam.from_quality("RQR5", be="1"), "be"),
    (lambda: kestrix.Beam.from_quality(5), "name"),
    (lambda: kestrix.sweep(["a", "b"]), "kv"),
    (lambda: kestrix.sweep([80], angle="12"), "angle"),
    (lambda: kestrix.Beam().save_exchange(1.5), "folder"),
    (lambda: kestrix.Beam().spectrum(1), "quantity"),
    (lambda: kestrix.Beam().spectrum().normalised(None), "kind"),
])
def test_arguments_of_the_wrong_type_are_type_errors_naming_the_argument(make, argument):
    with pytest.raises(TypeError) as refusal:
        make()
    assert str(refusal.value).startswith((argument + ": ", argument + " ")), str(refusal.value)


@pytest.mark.parametrize("make, argument", [
    (lambda path: kestrix.Beam(table=path), "table"),
    (lambda path: kestrix.Beam(filters=[(path, 1)]), "filters"),
    (lambda path: kestrix.Beam().save_exchange(path), "folder"),
])
def test_a_nul_inside_a_path_is_refused_not_cut(tmp_path, make, argument):
    # the part before the NUL names a usable file or folder, which must not be taken instead
    shutil.copy(os.path.join(DELIVERED, "MUs_202202.data"), tmp_path / "t.data")
    shutil.copy(os.path.join(DELIVERED, "Sn.ele"), tmp_path / "t.ele")
    target = {"table": "t.data", "filters": "t.ele", "folder": ""}[argument]
    with pytest.raises(ValueError, match="^" + argument + ": the path holds a NUL character"):
        make(str(tmp_path / target) + "\x00junk")
    assert sorted(os.listdir(tmp_path)) == ["t.data", "t.ele"]


def test_a_material_by_name_is_its_delivered_file(tmp_path):
    materials = kestrix.materials()
    assert len(materials) == 33 and materials["Rh"] == "Rh  Rhodium  (Z=45)" and materials["Sn"] == "Sn  Tin  (Z=50)" and "PMMA" in materials and "a-Se" in materials
    by_name = kestrix.Beam(kv=120, filters=[("pmma", 5), ("Sn", 0.1)]).figures()
    by_path = kestrix.Beam(kv=120, filters=[(os.path.join(DELIVERED, "PMMA.mix"), 5),
                                            (os.path.join(DELIVERED, "Sn.ele"), 0.1)]).figures()
    assert by_name == by_path
    # a path object or bytes work like the text
    assert kestrix.Beam(kv=120, filters=[(pathlib.Path(DELIVERED) / "PMMA.mix", 5),
                                         (b"Sn", 0.1)]).figures() == by_name


@pytest.mark.parametrize("make, error, message", [
    (lambda: kestrix.Beam().output(distance_mm=True), TypeError, "^distance_mm must be a number of mm, not True"),
    (lambda: kestrix.Beam().spectrum(distance_mm=False), TypeError, "^distance_mm must be a number of mm, not False"),
    (lambda: kestrix.Beam(al=np.bool_(True)), TypeError, "^al must be a number of mm, not "),
    (lambda: kestrix.Beam(kv=10 ** 400), ValueError, r"^kv: 1000.*\(401 bytes\) is too large for a number of kV$"),
    (lambda: kestrix.Beam().output(distance_mm=-(10 ** 400)), ValueError, "^distance_mm: -1000.* is too large"),
    (lambda: kestrix.fit("al", target_hvl_al=10 ** 309, kv=80), ValueError, "^target_hvl_al: .* is too large"),
    (lambda: kestrix.sweep([80, 10 ** 400]), ValueError, "^kv: .* is too large"),
    (lambda: kestrix.Beam().output(distance_mm=0), ValueError, "^distance_mm: the distance from the focal spot"),
    (lambda: kestrix.Beam().spectrum(normalise="per_mas", distance_mm=-1), ValueError, "^distance_mm: "),
    (lambda: kestrix.Beam().spectrum(normalise="area"), ValueError, '^normalise: "area" is not one of'),
    (lambda: kestrix.Beam().spectrum("dose"), ValueError, '^quantity: "dose" is not one of'),
    (lambda: kestrix.Beam(model="physics").spectrum("energy", "per_mas"), ValueError, "^quantity: "),
    (lambda: kestrix.Beam().spectrum(normalise="per-mas"), ValueError, "^normalise: 'per_mas' needs a model with"),
    (lambda: kestrix.fit("al", target_hvl_al=-1, kv=80), ValueError, "^target_hvl_al: target "),
    (lambda: kestrix.fit("al", target_hvl_cu=50, kv=80), ValueError, "^target_hvl_cu: target "),
    (lambda: kestrix.Beam(model="x" * 100000), ValueError, r"^model: \"x{80}\.\.\. \(100000 bytes\)\" is not one of"),
])
def test_refusals_name_their_argument_and_never_overflow(make, error, message):
    with pytest.raises(error, match=message):
        make()


def test_per_mas_takes_both_spellings():
    beam = kestrix.Beam(model="physics", kv=100)
    underscore, hyphen = beam.spectrum(normalise="per_mas"), beam.spectrum(normalise="per-mas", distance_mm=1000)
    np.testing.assert_array_equal(underscore.values, hyphen.values)
    assert hyphen.normalisation == "per_mas"


def test_a_target_and_lines_false_give_the_cli_numbers():
    beam = kestrix.Beam(model="physics", target="Mo", kv=28, be=1, al_eq=0, filters=[("Mo", 0.032)], lines=False)
    report = cli_json(["--model", "physics", "--target", "Mo", "--kv", "28", "--be", "1", "--al-eq", "0",
                       "--filter", "Mo.ele:0.032", "--no-lines", "--no-table"])
    assert report["inputs"]["target"] == "Mo" and report["inputs"]["characteristic_lines"] is False
    assert beam.figures() == report["results"]
    # tungsten by name is the default beam, and its pickle keeps the tube
    assert kestrix.Beam(model="physics", kv=80, target="W") == kestrix.Beam(model="physics", kv=80)
    assert kestrix.Beam(model="physics", kv=80, lines=False) != kestrix.Beam(model="physics", kv=80)


@pytest.mark.parametrize("target", ["Ag", "Au"])
def test_a_silver_or_gold_target_gives_the_cli_numbers(target):
    beam = kestrix.Beam(model="physics", target=target, kv=30, be=1, al_eq=0, filters=[("Ag", 0.05)])
    report = cli_json(["--model", "physics", "--target", target, "--kv", "30", "--be", "1", "--al-eq", "0",
                       "--filter", "Ag.ele:0.05", "--no-table"])
    assert report["inputs"]["target"] == target and report["inputs"]["model_voltage_range_kV"] == [20, 50]
    assert beam.figures() == report["results"]
    assert beam != kestrix.Beam(model="physics", target="Mo", kv=30, be=1, al_eq=0, filters=[("Ag", 0.05)])


@pytest.mark.parametrize("arguments, error, message", [
    (dict(target="Mo", kv=30), ValueError, "target: the tucker model computes a tungsten target only"),
    (dict(model="physics", target="Au", kv=50.5), ValueError,
     "kv: 50.5 kV is outside the physics model's range of 20 to 50 kV for Au"),
    (dict(target="Ag", kv=30), ValueError, "target: the tucker model computes a tungsten target only"),
    (dict(model="birch", lines=False), ValueError, "lines: the birch model has no spectrum without its lines"),
    (dict(model="physics", target="Mo", kv=60), ValueError,
     "kv: 60 kV is outside the physics model's range of 20 to 50 kV for Mo"),
    (dict(model="physics", target="Cu", kv=30), ValueError, "target: "),
    (dict(model="physics", lines=1), TypeError, "lines must be True or False, not 1"),
    (dict(model="physics", target=74), TypeError, "target must be a text, not 74"),
])
def test_a_target_or_lines_the_model_lacks_are_refused(arguments, error, message):
    with pytest.raises(error) as refusal:
        kestrix.Beam(**arguments)
    assert str(refusal.value).startswith(message)


def test_off_axis_gives_the_cli_numbers_and_is_refused_when_it_cannot_be():
    beam = kestrix.Beam(model="physics", kv=80, angle=12, off_axis=(-5, 3))
    report = cli_json(["--model", "physics", "--kv", "80", "--angle", "12", "--off-axis", "-5,3", "--no-table"])
    assert report["inputs"]["off_axis_deg"] == [-5, 3]
    assert beam.figures() == report["results"]
    assert kestrix.Beam(model="physics", kv=80, off_axis=(0, 0)) == kestrix.Beam(model="physics", kv=80)
    with pytest.raises(ValueError, match="off_axis: the point lies behind the target surface"):
        kestrix.Beam(kv=80, angle=12, off_axis=(-12, 0))
    with pytest.raises(TypeError, match=r"off_axis must be a pair \(along, across\) of degrees, not 5"):
        kestrix.Beam(kv=80, off_axis=5)


def test_a_transmission_target_gives_the_cli_numbers():
    beam = kestrix.Beam(model="physics", kv=90, al=1, target_thickness_um=2.5, target_window=("Be", 0.5))
    report = cli_json(["--model", "physics", "--kv", "90", "--al", "1", "--target-thickness", "2.5",
                       "--target-window", "Be:0.5", "--no-table"])
    assert report["inputs"]["transmission"] == {"layer_um": 2.5, "window": "Be", "window_mm": 0.5}
    assert report["inputs"]["target_angle_degrees"] is None
    assert beam.figures() == report["results"]
    # off the axis too, where the beam is the same on either side
    off = kestrix.Beam(model="physics", kv=90, target_thickness_um=2.5, target_window=("Be", 0.5), off_axis=(-20, 5))
    report = cli_json(["--model", "physics", "--kv", "90", "--target-thickness", "2.5", "--target-window", "Be:0.5",
                       "--off-axis", "-20,5", "--no-table"])
    assert off.figures() == report["results"] and off.off_axis == (-20, 5)


WINDOW = ("diamond", 0.3)


@pytest.mark.parametrize("arguments, error, message", [
    (dict(model="physics", target_thickness_um=1), ValueError,
     "target_thickness_um: a transmission target needs target_window=(material, mm) too (the window the layer lies "
     "on: diamond | Be | Al)"),
    (dict(model="physics", target_window=WINDOW), ValueError,
     "target_window: a transmission target needs target_thickness_um too (the tungsten layer on the window [um])"),
    (dict(target_thickness_um=1, target_window=WINDOW), ValueError,
     "target_thickness_um, target_window: a transmission target is computed by the physics model only"),
    (dict(model="birch", target_thickness_um=1, target_window=WINDOW), ValueError,
     "target_thickness_um, target_window: a transmission target is computed by the physics model only"),
    (dict(model="physics", target="Mo", kv=30, target_thickness_um=1, target_window=WINDOW), ValueError,
     "target_thickness_um, target_window: a transmission target has a tungsten layer only, not Mo"),
    (dict(model="physics", target_thickness_um=2000, target_window=WINDOW), ValueError,
     "target_thickness_um, target_window: the transmission target's tungsten layer must be "),
    (dict(model="physics", kv=100, target_thickness_um=1, target_window=("Be", 0.05)), ValueError,
     "target_thickness_um, target_window: the Be window of 0.05 mm is thinner than the electrons' range in it at "
     "100 kV"),
    (dict(model="physics", target_thickness_um=1, target_window=("Cu", 0.3)), ValueError,
     'target_window: "Cu" is not one of diamond | Be | Al'),
    (dict(model="physics", target_thickness_um=0, target_window=WINDOW), ValueError,
     "target_thickness_um: the layer thickness must be positive [um], not 0"),
    (dict(model="physics", target_thickness_um=-1, target_window=WINDOW), ValueError,
     "target_thickness_um: the layer thickness must be positive [um], not -1"),
    (dict(model="physics", target_thickness_um=float("inf"), target_window=WINDOW), ValueError,
     "target_thickness_um: an infinity is not a number"),
    (dict(model="physics", target_thickness_um=1, target_window=("Be", 0)), ValueError,
     "target_window: the window thickness must be positive [mm], not 0"),
    (dict(model="physics", target_thickness_um=1, target_window=("Be", float("nan"))), ValueError,
     "target_window: nan is not a number"),
    (dict(model="physics", kv=310, target_thickness_um=1, target_window=WINDOW), ValueError,
     "kv: 310 kV is outside the transmission target's range of 20 to 300 kV"),
    (dict(model="physics", angle=20, target_thickness_um=1, target_window=WINDOW), ValueError,
     "angle: a transmission target has no target angle (the beam leaves through the window along the electrons' "
     "direction)"),
    (dict(model="physics", off_axis=(70, 0), target_thickness_um=1, target_window=WINDOW), ValueError,
     "off_axis: the angle along the axis must lie between -60 and 60 degrees, not 70 degrees"),
    (dict(model="physics", target_thickness_um="1", target_window=WINDOW), TypeError,
     "target_thickness_um must be a number of um, not '1'"),
    (dict(model="physics", target_thickness_um=True, target_window=WINDOW), TypeError,
     "target_thickness_um must be a number of um, not True"),
    (dict(model="physics", target_thickness_um=1, target_window="diamond"), TypeError,
     "target_window must be a pair (material, mm) such as ('diamond', 0.3), not 'diamond'"),
    (dict(model="physics", target_thickness_um=1, target_window=("diamond",)), TypeError,
     "target_window must be a pair (material, mm)"),
    (dict(model="physics", target_thickness_um=1, target_window=(0.3, "diamond")), TypeError,
     "target_window must be a pair (material, mm)"),
    (dict(model="physics", target_thickness_um=1, target_window=("diamond", "0.3")), TypeError,
     "target_window must be a number of mm, not '0.3'"),
])
def test_a_transmission_target_the_beam_cannot_have_is_refused(arguments, error, message):
    with pytest.raises(error) as refusal:
        kestrix.Beam(**arguments)
    assert str(refusal.value).startswith(message)


def test_a_sweep_of_a_transmission_target_stays_inside_its_voltages():
    swept = kestrix.sweep([50, 100], model="physics", target_thickness_um=1, target_window=WINDOW)
    single = kestrix.Beam(model="physics", kv=100, target_thickness_um=1, target_window=WINDOW)
    assert swept["hvl1_al_mm"][1] == single.quality()["hvl1_al_mm"]
    with pytest.raises(ValueError, match="^kv: 350 kV is outside the transmission target's range of 20 to 300 kV"):
        kestrix.sweep([100, 350], model="physics", target_thickness_um=1, target_window=WINDOW)
    with pytest.raises(ValueError, match="^angle: a transmission target has no target angle"):
        kestrix.sweep(angle=[10, 20], model="physics", target_thickness_um=1, target_window=WINDOW)


def test_no_angle_is_only_for_a_transmission_target():
    with pytest.raises(TypeError, match=r"^angle must be a number of degrees, not None \(None only with a transmission"):
        kestrix.Beam(model="physics", angle=None)
    with pytest.raises(TypeError, match="^angle must be a number of degrees, not None"):
        kestrix.Beam(model="physics").replace(angle=None)
    assert kestrix.Beam(model="physics", angle=None, target_thickness_um=1, target_window=WINDOW).angle is None
