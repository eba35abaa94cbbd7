"""Beam and Spectrum give kestrix-cli's figures, tables and exchange files for the same inputs."""

import copy
import os
import pickle

import numpy as np
import pytest

import kestrix
from conftest import TABLE, cli_json, run_cli


def test_figures_are_the_json_results(varied_beam):
    arguments, command_line = varied_beam
    beam = kestrix.Beam(**arguments)
    results = cli_json(command_line + ["--no-table"])["results"]
    assert beam.figures() == results
    assert beam.quality() == results["extended"] and beam.fit is None and beam.radiation_quality is None


@pytest.mark.parametrize("arguments, command_line", [
    # the first 0.1 mm of aluminium already halves the air kerma: no aluminium layer
    (dict(model="birch", kv=30, angle=60, be=0, al_eq=0),
     ["--model", "birch", "--kv", "30", "--angle", "60", "--be", "0", "--al-eq", "0"]),
])
def test_a_missing_figure_is_none_with_the_json_reason(arguments, command_line):
    figures = kestrix.Beam(**arguments).figures()
    assert figures == cli_json(command_line + ["--no-table"])["results"]
    assert figures["hvl_al_mm"] is None and "hvl_al_mm" in figures["missing"]


@pytest.mark.parametrize("quantity", ["photon", "exposure", "energy"])
def test_spectrum_matches_the_cli_table_to_its_five_decimals(varied_beam, quantity):
    arguments, command_line = varied_beam
    table = cli_json(command_line + ["--quantity", quantity])["spectrum"]
    spectrum = kestrix.Beam(**arguments).spectrum(quantity)
    assert spectrum.values.dtype == np.float64 and len(spectrum) == 600
    np.testing.assert_array_equal(spectrum.energy_keV, table["energy"])
    assert np.max(np.abs(spectrum.values - table["value"])) <= 0.5e-5 + 1e-12
    assert spectrum.values.max() == 1.0 and spectrum.quantity == quantity


def test_normalised_to_total_sums_to_one_and_keeps_the_shape():
    spectrum = kestrix.Beam(kv=120).spectrum()
    total = spectrum.normalised("total")
    assert total.normalisation == "total" and total.values.sum() == pytest.approx(1.0, abs=1e-12)
    np.testing.assert_allclose(total.values / total.values.max(), spectrum.values, rtol=1e-14, atol=0)
    np.testing.assert_allclose(total.normalised("max").values, spectrum.values, rtol=1e-14, atol=0)
    with pytest.raises(ValueError, match="^kind: \"area\" is not one of max | total"):
        spectrum.normalised("area")
    with pytest.raises(ValueError):
        spectrum.values[0] = 1  # read-only, the spectrum cannot be changed behind its beam


def test_save_exchange_writes_the_cli_bytes(tmp_path, varied_beam):
    arguments, command_line = varied_beam
    (tmp_path / "cli").mkdir()
    (tmp_path / "python").mkdir()
    status, _, err = run_cli(command_line + ["--exchange", str(tmp_path / "cli"), "--no-table"])
    assert status == 0, err
    kestrix.Beam(**arguments).save_exchange(tmp_path / "python")
    for name in ("B_SPCTL.temp", "HVL_S2.temp"):
        assert (tmp_path / "python" / name).read_bytes() == (tmp_path / "cli" / name).read_bytes()
    assert sorted(os.listdir(tmp_path / "python")) == ["B_SPCTL.temp", "HVL_S2.temp"]


def test_save_exchange_into_a_missing_folder_is_a_value_error(tmp_path):
    with pytest.raises(ValueError, match="B_SPCTL.temp"):
        kestrix.Beam().save_exchange(tmp_path / "absent")
    assert not (tmp_path / "absent").exists()


def test_properties_are_the_inputs_used():
    beam = kestrix.Beam(model="birch", kv=90.5, waveform="12-peak", filters=[("Sn", 0.2)], table=TABLE)
    assert (beam.model, beam.kv, beam.angle, beam.be, beam.al_eq) == ("birch", 90.5, 20, 3, 5)
    assert beam.waveform == "12-peak" and beam.filters == [("Sn", 0.2)] and beam.corrections == []
    assert repr(beam) == ("Beam(model='birch', kv=90.5, angle=20, be=3, al_eq=5, al=0, cu=0, "
                          "waveform='12-peak', filters=(('Sn', 0.2),))")
    assert (beam.target, beam.lines, beam.off_axis) == ("W", True, (0, 0))


def test_the_tube_and_the_point_are_properties_and_in_the_repr():
    beam = kestrix.Beam(model="physics", target="Au", kv=45, be=1, al_eq=0, lines=False, off_axis=(3, -1.5))
    assert (beam.target, beam.lines, beam.off_axis) == ("Au", False, (3, -1.5))
    assert repr(beam) == ("Beam(model='physics', kv=45, angle=20, be=1, al_eq=0, al=0, cu=0, waveform='constant', "
                          "filters=(), target='Au', lines=False, off_axis=(3, -1.5))")
    assert eval("kestrix." + repr(beam)) == beam
    assert beam.replace(target="Ag").target == "Ag" and beam.replace(target="Ag") != beam
    # a quality sets its own target
    assert kestrix.Beam.from_quality("RQR-M2", model="physics", be=1, al_eq=0).target == "Mo"


def test_a_quality_outside_the_models_range_is_refused_as_kv_is():
    with pytest.raises(ValueError, match="name: quality W-Rh-25: 25 kV is outside the tucker model's range of 30 to 300 kV"):
        kestrix.Beam.from_quality("W-Rh-25", model="tucker")
    assert kestrix.Beam.from_quality("W-Rh-25", model="physics").kv == 25


@pytest.mark.parametrize("arguments, command_line", [
    (dict(entry="al", target_hvl_al=5.0, kv=80), ["--fit", "al", "--target-hvl-al", "5", "--kv", "80"]),
    (dict(entry="al_eq", target_hvl_cu=0.5, model="birch", kv=120, waveform="12-peak"),
     ["--fit", "al-eq", "--target-hvl-cu", "0.5", "--model", "birch", "--kv", "120", "--waveform", "12-peak"]),
])
def test_fit_gives_the_cli_fit_and_figures(arguments, command_line):
    beam = kestrix.fit(**arguments)
    report = cli_json(command_line + ["--no-table"])
    assert beam.fit == report["fit"] and beam.figures() == report["results"]


@pytest.mark.parametrize("name, overrides, command_line", [
    ("n120", {}, ["--quality", "n120"]),
    ("RQA5", dict(be=1, al_eq=2.5), ["--quality", "RQA5", "--be", "1", "--al-eq", "2.5"]),
    ("rqt9", dict(be=1, al_eq=2.5), ["--quality", "rqt9", "--be", "1", "--al-eq", "2.5"]),
    ("RQR5", dict(be=1, al_eq=2.5, model="birch"), ["--quality", "RQR5", "--be", "1", "--al-eq", "2.5", "--model", "birch"]),
    ("N-60", dict(model="physics"), ["--quality", "N-60", "--model", "physics"]),
    ("RQA-M2", dict(model="physics", be=1, al_eq=0), ["--quality", "RQA-M2", "--model", "physics", "--be", "1", "--al-eq", "0"]),
])
def test_a_quality_is_the_cli_quality(name, overrides, command_line):
    beam = kestrix.Beam.from_quality(name, **overrides)
    report = cli_json(command_line + ["--no-table"])
    # the beam's quality carries the JSON's "quality_deviations" as its 'deviations'
    assert beam.radiation_quality == dict(report["quality"], deviations=report["quality_deviations"])
    assert beam.fit == report.get("fit")
    assert beam.figures() == report["results"]
    for key, deviation in beam.radiation_quality["deviations"].items():
        assert deviation["reached"] == beam.quality()[key]
        assert deviation["deviation_percent"] == pytest.approx(100 * (deviation["reached"] / deviation["nominal"] - 1))


def test_the_mammography_qualities_and_the_published_figures():
    by_name = {quality["name"]: quality for quality in kestrix.qualities()}
    assert by_name["N-60"]["nominal_hvl1_cu_mm"] == 0.241 and by_name["N-60"]["nominal_hvl2_cu_mm"] == 0.271
    assert by_name["N-60"]["nominal_mean_energy_keV"] is None and by_name["RQR5"]["nominal_hvl2_al_mm"] is None
    assert by_name["W-Rh-28"]["nominal_hvl1_al_mm"] == 0.54 and by_name["W-Rh-28"]["target"] == "W"
    # RQA-M: the RQR-M base's molybdenum filter is shown among the beam's filters, then 2 mm Al on the fit
    rqam = kestrix.Beam.from_quality("RQA-M3", model="physics", be=1, al_eq=0)
    assert ("Mo", 0.032) in [tuple(f) for f in rqam.filters]
    deviation = rqam.radiation_quality["deviations"]["hvl1_al_mm"]
    assert deviation["nominal"] == 0.62 and abs(deviation["deviation_percent"]) < 5
    # a Rh target's quality is refused by a model that computes tungsten only
    with pytest.raises(ValueError, match="Rh-Rh-28"):
        kestrix.Beam.from_quality("Rh-Rh-28")


def test_qualities_are_the_cli_list():
    assert kestrix.qualities() == cli_json(["--list-qualities"])["qualities"]


@pytest.mark.parametrize("make, command_line, argument", [
    (lambda: kestrix.fit("al", target_hvl_al=3, kv=80), ["--fit", "al", "--target-hvl-al", "3", "--kv", "80"],
     "target_hvl_al: "),
    (lambda: kestrix.Beam.from_quality("RQR5"), ["--quality", "RQR5"], ""),
])
def test_an_unreachable_fit_or_quality_is_the_cli_refusal(make, command_line, argument):
    status, _, err = run_cli(command_line)
    assert status == 1
    with pytest.raises(ValueError) as refusal:
        make()
    assert str(refusal.value) == argument + err[len("kestrix-cli: "):].strip()


@pytest.mark.parametrize("make, message", [
    (lambda: kestrix.fit("al", kv=80), "fit: give one of target_hvl_al and target_hvl_cu"),
    (lambda: kestrix.fit("w", target_hvl_al=3), 'entry: "w" is not one of al_eq | al | cu'),
    (lambda: kestrix.Beam.from_quality("N-100", be=1), "be: quality N-100 sets the inherent filtration itself"),
    (lambda: kestrix.Beam.from_quality("N-100", al_eq=1), "al_eq: quality N-100 sets the inherent filtration"),
    (lambda: kestrix.Beam.from_quality("Q9"), 'name: "Q9" is not a quality of '),
])
def test_bad_fit_and_quality_arguments_are_value_errors(make, message):
    with pytest.raises(ValueError) as refusal:
        make()
    assert str(refusal.value).startswith(message)


def test_qualities_hold_the_rqa_and_rqt_series_by_name():
    by_name = {quality["name"]: quality for quality in kestrix.qualities()}
    assert by_name["RQA5"]["based_on"] == "RQR5" and by_name["RQA5"]["nominal_hvl1_al_mm"] == 6.8
    assert by_name["RQT9"]["filters"] == [{"material": "Cu", "thickness_mm": 0.25}]
    assert by_name["N-100"]["based_on"] is None


def test_a_beam_is_a_value():
    beam = kestrix.Beam(kv=80, al=2, filters=[("Sn", 0.1)])
    same = kestrix.Beam(kv=80.0, al=2, filters=[("Sn", 0.1)])
    assert beam == same and hash(beam) == hash(same) and beam != kestrix.Beam(kv=80, al=2.5)
    assert beam != "a beam" and len({beam, same}) == 1
    assert kestrix.Beam(**beam.inputs) == beam
    assert copy.copy(beam) is beam and copy.deepcopy(beam) is beam
    other = beam.replace(kv=120, cu=0.1)
    assert (other.kv, other.al, other.cu, other.filters) == (120, 2, 0.1, [("Sn", 0.1)]) and beam.kv == 80
    assert other == kestrix.Beam(kv=120, al=2, cu=0.1, filters=[("Sn", 0.1)])
    with pytest.raises(TypeError, match="replace\\(\\) got an unexpected keyword argument 'voltage'"):
        beam.replace(voltage=100)
    with pytest.raises(ValueError, match="al: -1 mm is a negative thickness"):
        beam.replace(al=-1)


@pytest.mark.parametrize("make", [
    lambda: kestrix.Beam(model="birch", kv=90, waveform="12-peak", filters=[("PMMA", 10)]),
    lambda: kestrix.fit("al", target_hvl_al=5.0, kv=80),
    lambda: kestrix.Beam.from_quality("RQA5", be=1, al_eq=2.5),
])
def test_beams_and_spectra_pickle_to_the_same_values(make):
    beam = make()
    back = pickle.loads(pickle.dumps(beam))
    assert back == beam and back.figures() == beam.figures() and back.quality() == beam.quality()
    assert back.fit == beam.fit and back.radiation_quality == beam.radiation_quality
    spectrum = beam.spectrum("energy").normalised("total")
    again = pickle.loads(pickle.dumps(spectrum))
    np.testing.assert_array_equal(again.values, spectrum.values)
    assert (again.quantity, again.normalisation) == ("energy", "total") and copy.deepcopy(spectrum) is spectrum


def test_a_fitted_beam_replaced_keeps_its_fitted_thickness():
    tube = kestrix.fit("al", target_hvl_al=5.0, kv=80)
    assert tube.replace(kv=80) == tube and tube.replace(kv=80).fit is None


def test_to_csv_writes_the_beam_and_every_digit(tmp_path):
    beam = kestrix.Beam(model="birch", kv=100.5, angle=12, al=2, waveform="12-peak", filters=[("Sn", 0.1)])
    spectrum = beam.spectrum("exposure").normalised("total")
    path = tmp_path / "spectrum.csv"
    spectrum.to_csv(path)
    text = path.read_text()
    header = [line for line in text.splitlines() if line.startswith("#")]
    for expected in ("# model: birch", "# tube voltage [kV]: 100.5", "# target angle [degrees]: 12",
                     "# waveform: 12-peak", "# beryllium window [mm]: 3", "# inherent aluminium equivalent [mm]: 5",
                     "# added aluminium [mm]: 2", "# added copper [mm]: 0", "# filter 1: Sn  Tin  (Z=50), 0.1 mm (Sn)",
                     "# quantity: exposure", "# normalisation: total (values sum to 1)"):
        assert expected in header, expected
    rows = np.loadtxt(path, delimiter=",", comments="#", skiprows=len(header) + 1)
    np.testing.assert_array_equal(rows[:, 0], spectrum.energy_keV)
    np.testing.assert_array_equal(rows[:, 1], spectrum.values)  # read back exactly
    assert text.splitlines()[len(header)] == "energy_keV,value"
    with pytest.raises(ValueError):
        spectrum.to_csv(tmp_path / "absent" / "x.csv")
    assert sorted(os.listdir(tmp_path)) == ["spectrum.csv"]


def test_to_csv_names_the_tube_and_the_point_as_kestrix_cli_does(tmp_path):
    beam = kestrix.Beam(model="physics", target="Mo", kv=30, be=1, al_eq=0, lines=False, off_axis=(5, -2))
    path = tmp_path / "mo.csv"
    beam.spectrum().to_csv(path)
    assert ("# model: physics (Mo target, bremsstrahlung alone (no characteristic lines)) "
            "(off axis 5 degrees along (positive towards the cathode), -2 degrees across)") in path.read_text().splitlines()


def measured(al_eq, angle, voltages=(60, 80, 100)):
    """HVL1 and HVL2 in aluminium of the tube with that inherent filtration and angle."""
    return [dict(kv=kv, hvl1_al_mm=figures["hvl1_al_mm"], hvl2_al_mm=figures["hvl2_al_mm"])
            for kv in voltages
            for figures in [kestrix.Beam(kv=kv, be=1, al_eq=al_eq, angle=angle).quality()]]


def test_fit_tube_recovers_the_tube_and_predicts_another_voltage():
    tube = kestrix.fit_tube(measured(2.7, 12), vary=("al_eq", "angle"), be=1)
    assert tube.params["al_eq"] == pytest.approx(2.7, abs=0.01)
    assert tube.params["angle"] == pytest.approx(12, abs=0.5)
    assert len(tube.residuals) == 6 and all(abs(r["deviation_percent"]) < 0.01 for r in tube.residuals)
    assert tube.residuals[1]["figure"] == "hvl2_al_mm" and tube.residuals[1]["kv"] == 60
    predicted = tube.beam(120)
    assert predicted.kv == 120 and predicted.be == 1 and predicted.al_eq == tube.params["al_eq"]
    truth = kestrix.Beam(kv=120, be=1, al_eq=2.7, angle=12).quality()["hvl1_al_mm"]
    assert predicted.quality()["hvl1_al_mm"] == pytest.approx(truth, rel=1e-3)


def test_fit_tube_is_the_cli_fit(tmp_path):
    measurements = [dict(kv=60, hvl1_al_mm=2.2, hvl2_al_mm=3.0), dict(kv=80, hvl1_al_mm=2.85, hvl1_cu_mm=None),
                    dict(kv=100, hvl1_al_mm=3.5, hvl2_al_mm=5.3)]
    (tmp_path / "m.csv").write_text("kv,hvl1_al_mm,hvl2_al_mm\n60,2.2,3.0\n80,2.85,\n100,3.5,5.3\n")
    report = cli_json(["--fit-tube", str(tmp_path / "m.csv"), "--vary", "al-eq", "--be", "1", "--no-table"])
    tube = kestrix.fit_tube(measurements, vary="al_eq", be=1)
    assert tube.params == report["tube_fit"]["params"] and tube.residuals == report["tube_fit"]["residuals"]
    assert tube.beam(100).figures() == report["results"]


def test_fit_tube_finds_the_generators_voltage_offset_with_its_uncertainty():
    # the generator gives 3 kV more than its dial says; the layers scatter by +-0.4 %
    measurements = []
    for k, kv in enumerate((50, 70, 90, 110, 130)):
        figures = kestrix.Beam(kv=kv + 3, be=1, al_eq=2.5).quality()
        sign = 1 if k % 2 == 0 else -1
        measurements.append(dict(kv=kv, hvl1_al_mm=figures["hvl1_al_mm"] * (1 + 0.004 * sign),
                                 hvl2_al_mm=figures["hvl2_al_mm"] * (1 - 0.004 * sign)))
    with pytest.warns(kestrix.FitWarning, match="exceeds the measurements' uncertainty of 0.2 %"):
        tube = kestrix.fit_tube(measurements, vary=("kv_offset", "al_eq"), uncertainty_percent=0.2, be=1, al_eq=4)
    assert tube.params["kv_offset"] == pytest.approx(3, abs=0.3)
    assert abs(tube.params["kv_offset"] - 3) < 2 * tube.uncertainties["kv_offset"]
    assert abs(tube.params["al_eq"] - 2.5) < 2 * tube.uncertainties["al_eq"]
    assert tube.converged and tube.params_at_bound == {"kv_offset": False, "al_eq": False}
    assert len(tube.warnings) == 1
    # the tube at a nominal voltage is computed at that voltage plus the offset
    assert tube.beam(100).kv == pytest.approx(100 + tube.params["kv_offset"])
    assert tube.inputs["kv"] == pytest.approx(130 + tube.params["kv_offset"])
    with pytest.raises(ValueError, match="uncertainty_percent: -1 % is not positive"):
        kestrix.fit_tube(measurements, vary="al_eq", uncertainty_percent=-1)
    with pytest.raises(ValueError, match='vary: "kv-offset" is not one of al_eq'):
        kestrix.fit_tube(measurements, vary="kv-offset")


@pytest.mark.parametrize("measurements, vary, error, message", [
    ([dict(kv=60, hvl1=2)], "al_eq", ValueError, 'measurements[0]: "hvl1" is not one of kv, hvl1_al_mm'),
    ([dict(hvl1_al_mm=2)], "al_eq", ValueError, "measurements[0]: no kv"),
    ([dict(kv=60, hvl1_al_mm=-2)], "al_eq", ValueError, "measurements[0]['hvl1_al_mm']: -2 is not positive"),
    ([dict(kv=60, hvl1_al_mm="2")], "al_eq", TypeError, "measurements[0]['hvl1_al_mm'] must be a number of mm"),
    ([(60, 2)], "al_eq", TypeError, "measurements[0]: a dict with kv"),
    ([dict(kv=60, hvl1_al_mm=2)], ("be",), ValueError, 'vary: "be" is not one of al_eq | al | cu | angle'),
    ([dict(kv=60, hvl1_al_mm=2)], ("al_eq", "angle"), ValueError, "vary: 1 measured layer(s) cannot fix 2 inputs"),
    ([dict(kv=60, hvl1_al_mm=2)], ("al", "al"), ValueError, "vary: al is named twice"),
    ([dict(kv=60, hvl1_al_mm=2)], (), ValueError, "vary: name one to three of al_eq, al, cu, angle"),
    ([dict(kv=20, hvl1_al_mm=2)], "al_eq", ValueError, "the measurement at 20 kV is outside"),
    ([dict(kv=80, hvl1_al_mm=1e-300)], "al_eq", ValueError, "hvl1_al_mm at 80 kV: 1e-300 mm is thinner than 0.0001 mm"),
])
def test_fit_tube_refuses_what_it_cannot_use(measurements, vary, error, message):
    with pytest.raises(error) as refusal:
        kestrix.fit_tube(measurements, vary=vary)
    assert str(refusal.value).startswith(message)
    with pytest.raises(TypeError, match="fit_tube\\(\\) got an unexpected keyword argument 'kv'"):
        kestrix.fit_tube([dict(kv=60, hvl1_al_mm=2)], kv=80)


def test_type_stubs_ship_with_the_package_and_name_its_functions():
    folder = os.path.dirname(kestrix.__file__)
    assert os.path.exists(os.path.join(folder, "py.typed"))
    with open(os.path.join(folder, "_kestrix.pyi")) as stubs:
        text = stubs.read()
    for name in kestrix.__all__:
        assert ("class " + name) in text or ("def " + name + "(") in text, name


def test_a_relative_model_has_no_output_and_no_per_mas_spectrum():
    beam = kestrix.Beam(model="birch", kv=90)
    output = beam.output(distance_mm=500)
    assert output["distance_mm"] == 500
    assert output["air_kerma_uGy_per_mAs"] is None and output["photon_fluence_per_mAs_per_mm2"] is None
    assert "birch model is relative" in output["missing"]["air_kerma_uGy_per_mAs"]
    assert beam.figures()["output"] == cli_json(["--model", "birch", "--kv", "90", "--no-table"])["results"]["output"]
    with pytest.raises(ValueError, match="needs a model with absolute output"):
        beam.spectrum(normalise="per_mas")
    with pytest.raises(ValueError, match="distance"):
        beam.output(distance_mm=0)
    total = beam.spectrum(normalise="total")
    assert total.normalisation == "total" and total.values.sum() == pytest.approx(1.0, abs=1e-12)


def test_the_physics_model_gives_the_clis_output_falling_with_the_inverse_square():
    beam = kestrix.Beam(model="physics", kv=100, angle=12, be=3, al_eq=5.25, filters=[("Air", 1000)])
    near, far = beam.output(distance_mm=500), beam.output(distance_mm=1000)
    assert near["missing"] == {} and far["missing"] == {}
    assert near["air_kerma_uGy_per_mAs"] == pytest.approx(4 * far["air_kerma_uGy_per_mAs"], rel=1e-8)
    assert near["photon_fluence_per_mAs_per_mm2"] == pytest.approx(4 * far["photon_fluence_per_mAs_per_mm2"], rel=1e-8)
    # Omar, Andreo and Poludniowski 2020 give about 56.5 uGy/mAs (bremsstrahlung only) for this tube
    assert 50 < far["air_kerma_uGy_per_mAs"] < 66
    command_line = ["--model", "physics", "--kv", "100", "--angle", "12", "--be", "3", "--al-eq", "5.25",
                    "--filter", "Air.mix:1000", "--no-table"]
    assert beam.figures()["output"] == cli_json(command_line)["results"]["output"]
    per_mas = beam.spectrum(normalise="per_mas", distance_mm=1000)
    assert per_mas.values.sum() * 0.5 == pytest.approx(far["photon_fluence_per_mAs_per_mm2"], rel=1e-6)


def test_a_450_kv_physics_beam_carries_its_spectrum_to_450_kev_without_the_engines_figures(tmp_path):
    beam = kestrix.Beam(model="physics", kv=450)
    spectrum = beam.spectrum()
    assert len(spectrum) == 900 and spectrum.energy_keV[-1] == 450 and spectrum.values[-2] > 0
    json = cli_json(["--model", "physics", "--kv", "450"])
    np.testing.assert_array_equal(spectrum.energy_keV, json["spectrum"]["energy"])
    assert np.max(np.abs(spectrum.values - json["spectrum"]["value"])) <= 0.5e-5 + 1e-12
    per_mas = beam.spectrum(normalise="per_mas")
    assert len(per_mas) == 900 and per_mas.values[-2] > 0
    assert pickle.loads(pickle.dumps(spectrum)).energy_keV[-1] == 450
    # the engine's figures are None with the reason, as in the JSON; the others are finite
    figures = beam.figures()
    assert figures == json["results"]
    for key in ("hvl_al_mm", "effective_energy_al_keV", "hvl_cu_mm", "effective_energy_cu_keV", "photons_per_mm2_per_Ckg"):
        assert figures[key] is None and "300 keV only" in figures["missing"][key]
    assert all(np.isfinite(v) for k, v in beam.quality().items() if k != "missing")
    assert beam.output()["air_kerma_uGy_per_mAs"] > 0
    with pytest.raises(ValueError, match="300 keV only"):
        beam.save_exchange(tmp_path)
    assert os.listdir(tmp_path) == []
    # a spectrum beyond 300 keV is not weighed on the exchange bins
    with pytest.raises(ValueError, match="reaches 450 keV"):
        spectrum.figures()
    with pytest.raises(ValueError, match="outside the physics model's range of 20 to 500 kV"):
        kestrix.Beam(model="physics", kv=501)


TRANSMISSION = dict(model="physics", kv=100, target_thickness_um=1, target_window=("diamond", 0.3))


def test_a_transmission_target_is_a_value_with_its_properties_and_repr():
    beam = kestrix.Beam(**TRANSMISSION)
    assert (beam.target_thickness_um, beam.target_window, beam.angle) == (1, ("diamond", 0.3), None)
    assert repr(beam) == ("Beam(model='physics', kv=100, be=3, al_eq=5, al=0, cu=0, waveform='constant', filters=(), "
                          "target_thickness_um=1, target_window=('diamond', 0.3))")
    assert eval("kestrix." + repr(beam)) == beam
    assert beam.inputs["angle"] is None and beam.inputs["target_window"] == ("diamond", 0.3)
    assert kestrix.Beam(**beam.inputs) == beam and hash(kestrix.Beam(**beam.inputs)) == hash(beam)
    # the window's name in any case, or its element symbol, is the same window
    assert kestrix.Beam(**{**TRANSMISSION, "target_window": ("C", 0.3)}) == beam
    assert beam != kestrix.Beam(**{**TRANSMISSION, "target_window": ("Be", 0.3)})
    assert beam != kestrix.Beam(**{**TRANSMISSION, "target_thickness_um": 2})
    assert beam != kestrix.Beam(model="physics", kv=100)
    for protocol in range(pickle.HIGHEST_PROTOCOL + 1):
        back = pickle.loads(pickle.dumps(beam, protocol))
        assert back == beam and repr(back) == repr(beam)
    # replace keeps the transmission target, or leaves it for the reflection target at the default angle
    assert beam.replace(kv=120).target_window == ("diamond", 0.3) and beam.replace(kv=120).kv == 120
    reflection = beam.replace(target_thickness_um=None, target_window=None)
    assert reflection == kestrix.Beam(model="physics", kv=100) and reflection.angle == 20
    assert (reflection.target_thickness_um, reflection.target_window) == (None, None)
    assert kestrix.Beam(model="physics", kv=100, angle=12).replace(target_thickness_um=1, target_window=("Be", 1)).angle is None
    with pytest.raises(ValueError, match="^angle: a transmission target has no target angle"):
        beam.replace(angle=12)


def test_to_csv_names_the_transmission_target_as_kestrix_cli_does(tmp_path):
    path = tmp_path / "transmission.csv"
    kestrix.Beam(**TRANSMISSION).spectrum().to_csv(path)
    lines = path.read_text().splitlines()
    assert "# model: physics (W transmission target, 1 um on 0.3 mm diamond)" in lines
    assert "# target angle [degrees]: none (transmission target: the beam leaves through the window)" in lines
    status, out, err = run_cli(["--model", "physics", "--kv", "100", "--target-thickness", "1", "--target-window",
                                "diamond:0.3", "--header", "--no-figures"])
    assert status == 0, err
    assert [l for l in out.splitlines() if l.startswith("# model:")] == ["# model: physics (W transmission target, 1 um on 0.3 mm diamond)"]


def test_fit_tube_of_a_transmission_target_has_no_angle_to_vary():
    layers = [dict(kv=kv, hvl1_al_mm=figures["hvl1_al_mm"]) for kv in (60, 100)
              for figures in [kestrix.Beam(**{**TRANSMISSION, "kv": kv, "al_eq": 1}).quality()]]
    with pytest.raises(ValueError, match="^vary: a transmission target has no target angle to fit"):
        kestrix.fit_tube(layers, vary=("al_eq", "angle"), **{k: v for k, v in TRANSMISSION.items() if k != "kv"})
    tube = kestrix.fit_tube(layers, vary=("al_eq",), **{k: v for k, v in TRANSMISSION.items() if k != "kv"})
    assert tube.params["al_eq"] == pytest.approx(1, abs=0.01)
