"""Beam and Spectrum give kestrix-cli's figures, tables and exchange files for the same inputs."""

import os

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


def test_a_spectrum_the_engine_cannot_weigh_has_no_figures_and_saves_nothing(tmp_path):
    # a negative added aluminium leaves nothing at 5.5 keV or above
    beam = kestrix.Beam(model="birch", kv=30, be=0, al_eq=0, al=-0.5)
    figures = beam.figures()
    assert set(figures["missing"]) == {key for key, value in figures.items() if value is None} and \
        len(figures["missing"]) == 5
    with pytest.raises(ValueError, match="no HVL_S2.temp"):
        beam.save_exchange(tmp_path)
    assert os.listdir(tmp_path) == []


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
    with pytest.raises(ValueError, match="is not one of max | total"):
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
    ("RQR5", dict(be=1, al_eq=2.5, model="birch"), ["--quality", "RQR5", "--be", "1", "--al-eq", "2.5", "--model", "birch"]),
])
def test_a_quality_is_the_cli_quality(name, overrides, command_line):
    beam = kestrix.Beam.from_quality(name, **overrides)
    report = cli_json(command_line + ["--no-table"])
    assert beam.radiation_quality == report["quality"] and beam.fit == report.get("fit")
    assert beam.figures() == report["results"]


def test_qualities_are_the_cli_list():
    assert kestrix.qualities() == cli_json(["--list-qualities"])["qualities"]


@pytest.mark.parametrize("make, command_line", [
    (lambda: kestrix.fit("al", target_hvl_al=3, kv=80), ["--fit", "al", "--target-hvl-al", "3", "--kv", "80"]),
    (lambda: kestrix.Beam.from_quality("RQR5"), ["--quality", "RQR5"]),
])
def test_an_unreachable_fit_or_quality_is_the_cli_refusal(make, command_line):
    status, _, err = run_cli(command_line)
    assert status == 1
    with pytest.raises(ValueError) as refusal:
        make()
    assert str(refusal.value) == err[len("kestrix-cli: "):].strip()


@pytest.mark.parametrize("make, message", [
    (lambda: kestrix.fit("al", kv=80), "fit: give one of target_hvl_al and target_hvl_cu"),
    (lambda: kestrix.fit("w", target_hvl_al=3), 'entry: "w" is not one of al_eq | al | cu'),
    (lambda: kestrix.Beam.from_quality("N-100", be=1), "quality N-100 sets the inherent filtration itself"),
    (lambda: kestrix.Beam.from_quality("Q9"), 'quality: "Q9" is not a quality of '),
])
def test_bad_fit_and_quality_arguments_are_value_errors(make, message):
    with pytest.raises(ValueError) as refusal:
        make()
    assert str(refusal.value).startswith(message)


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
