"""Beam.detector: the quantum detection efficiency against an independent calculation from the delivered
material files' coefficients, the absorbed-energy spectrum, and the same figures as kestrix-cli --detector."""

import os

import numpy as np
import pytest

import kestrix
from conftest import DELIVERED, cli_json


def total_attenuation(path, energies_keV):
    """Linear attenuation coefficient [1/cm] from a material file: density x total, log-log between rows
    (at an edge the row above)."""
    with open(path, encoding="utf-8") as material:
        lines = material.read().splitlines()
    numbers = [float(item) for line in lines[1:] for item in line.replace(",", " ").split()]
    density, count = numbers[0], int(numbers[1])
    rows = np.array(numbers[2:2 + 6 * count]).reshape(count, 6)
    energy_MeV, total = rows[:, 0], rows[:, 1] + rows[:, 2] + rows[:, 3]
    mu = []
    for e in np.asarray(energies_keV) / 1000.0:
        j = min(max(np.searchsorted(energy_MeV, e, side="right") - 1, 0), count - 2)
        a, b = j, j + 1
        fraction = np.log(e / energy_MeV[a]) / np.log(energy_MeV[b] / energy_MeV[a])
        mu.append(density * np.exp(np.log(total[a]) + fraction * np.log(total[b] / total[a])))
    return np.array(mu)


@pytest.mark.parametrize("material, thickness_mm", [("CsI", 0.6), ("CdTe", 1.0)])
def test_quantum_detection_efficiency_of_an_rqa5_beam_is_the_share_of_photons_that_interact(material, thickness_mm):
    beam = kestrix.Beam.from_quality("RQA5", be=1, al_eq=2.5)
    spectrum = beam.spectrum()
    photons, energies = spectrum.values, spectrum.energy_keV
    kept = photons > 0
    mu = total_attenuation(os.path.join(DELIVERED, material + ".mix"), energies[kept])
    independent = np.sum(photons[kept] * -np.expm1(-mu * thickness_mm / 10)) / np.sum(photons)
    figures = beam.detector(material, thickness_mm)
    assert figures["quantum_detection_efficiency"] == pytest.approx(independent, rel=2e-3)
    # the energy absorbed is less than the energy of the photons that interact, and its spectrum sums to it
    mean_energy = np.sum(photons * energies) / np.sum(photons)
    assert 0.5 < figures["absorbed_energy_fraction"] < figures["quantum_detection_efficiency"]
    assert np.sum(figures["absorbed_energy_keV"]) == pytest.approx(figures["absorbed_energy_fraction"] * mean_energy,
                                                                    rel=1e-6)
    assert "escaping through either face" in figures["fluorescence_escape"]


def test_a_threshold_counts_fewer_photons_and_a_relative_model_has_no_output_per_mas():
    beam = kestrix.Beam(kv=80, be=1, al_eq=2.5)
    plain, counted = beam.detector("CdTe", 1), beam.detector("CdTe", 1, threshold_keV=30)
    assert counted["quantum_detection_efficiency"] < plain["quantum_detection_efficiency"]
    assert counted["absorbed_energy_fraction"] == plain["absorbed_energy_fraction"]
    assert plain["detected_photons_per_mAs_per_mm2"] is None and "relative" in plain["missing"]["detected_photons_per_mAs_per_mm2"]
    # any material file: no composition, so no fluorescence escapes and more energy stays
    aluminium = beam.detector(os.path.join(DELIVERED, "Al.ele"), 1)
    assert aluminium["fluorescence_escape"].startswith("not treated")
    for arguments, error, message in [(("CdTe", 0), ValueError, "thickness_mm: 0 mm is not positive"),
                                      (("CdTe", "1"), TypeError, "thickness_mm must be a number of mm"),
                                      (("CdTe", 1, -1), ValueError, "threshold_keV: -1 keV is negative"),
                                      (("Unobtainium", 1), ValueError, "Unobtainium")]:
        with pytest.raises(error, match=message):
            beam.detector(*arguments)


def test_the_physics_model_gives_the_figures_kestrix_cli_gives():
    beam = kestrix.Beam(model="physics", kv=70, be=1, al_eq=2.5, al=21)
    figures = beam.detector("Gd2O2S", 0.2, distance_mm=1500)
    report = cli_json(["--model", "physics", "--kv", "70", "--be", "1", "--al-eq", "2.5", "--al", "21",
                       "--detector", "Gd2O2S:0.2", "--distance", "1500", "--no-table"])["results"]["detector"]
    for key, value in report.items():
        assert figures[key] == value, key
    # photons per mAs: the fluence per mAs times the share counted
    fluence = beam.output(distance_mm=1500)["photon_fluence_per_mAs_per_mm2"]
    assert figures["detected_photons_per_mAs_per_mm2"] == pytest.approx(
        fluence * figures["quantum_detection_efficiency"], rel=1e-6)
