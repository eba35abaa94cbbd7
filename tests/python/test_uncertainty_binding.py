"""Beam.uncertainty: kestrix-cli --uncertainty's numbers for the same seed, means near the unsampled
figures, and refusals that name their argument."""

import math

import pytest

import kestrix
from conftest import cli_json


def test_the_sampled_figures_are_kestrix_clis_for_the_same_seed():
    beam = kestrix.Beam(kv=80, be=1, al_eq=2.5)
    report = beam.uncertainty(kv=1.5, al_eq=0.1, angle=1, samples=40, seed=5)
    cli = cli_json(["--kv", "80", "--be", "1", "--al-eq", "2.5", "--uncertainty", "kv=1.5,al-eq=0.1,angle=1,samples=40,seed=5",
                    "--no-table"])["results"]["uncertainty"]
    assert report == cli
    assert report["samples"] == 40 and report["seed"] == 5
    assert report["standard_uncertainties"] == {"kv": 1.5, "al_eq": 0.1, "angle": 1.0}
    hvl1 = report["hvl1_al_mm"]
    unsampled = beam.quality()["hvl1_al_mm"]
    assert abs(hvl1["mean"] - unsampled) < 3 * hvl1["std"] / math.sqrt(40)
    assert hvl1["p2_5"] < hvl1["mean"] < hvl1["p97_5"]
    spread = report["model_spread"]["hvl1_al_mm"]
    assert spread["tucker"] == unsampled and spread["birch"] == kestrix.Beam(model="birch", kv=80, be=1, al_eq=2.5).quality()["hvl1_al_mm"]
    assert spread["range"] == pytest.approx(max(spread["tucker"], spread["birch"], spread["physics"]) -
                                            min(spread["tucker"], spread["birch"], spread["physics"]), abs=1e-8)
    # a relative model has no output to sample
    assert report["air_kerma_uGy_per_mAs"]["mean"] is None and "air_kerma_uGy_per_mAs" in report["missing"]


@pytest.mark.parametrize("keywords, error, message", [
    (dict(kv=-1), ValueError, "kv: -1 kV is negative"),
    (dict(kv="1"), TypeError, "kv must be a number of kV"),
    (dict(samples=1), ValueError, "samples: 1 is outside 2 to 100000"),
    (dict(samples=2.5), TypeError, "samples must be a whole number"),
    (dict(seed=-3), ValueError, "seed: -3 is outside 0 to 2^53 - 1"),
    (dict(angle=500, samples=10), ValueError, "the uncertainties reach outside the inputs' ranges"),
])
def test_refusals_name_their_argument(keywords, error, message):
    with pytest.raises(error, match=message.replace("^", "\\^")):
        kestrix.Beam(kv=80).uncertainty(**keywords)
    with pytest.raises(TypeError):
        kestrix.Beam(kv=80).uncertainty(1.5)  # keywords only
