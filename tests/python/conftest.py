"""Runs of the built kestrix-cli to compare the package with, and a few beams of every kind."""

import json
import os
import subprocess

import pytest

DELIVERED = os.environ.get("KESTRIX_DELIVERED_DATA", os.path.join(os.path.dirname(__file__), "../../data"))
TABLE = os.path.join(DELIVERED, "MUs_202202.data")

# (Beam keyword arguments, the same beam on kestrix-cli's command line)
VARIED_BEAMS = [
    (dict(kv=100, al=2), ["--kv", "100", "--al", "2"]),
    (dict(model="birch", kv=80, angle=12, be=1, al_eq=2.5, cu=0.1),
     ["--model", "birch", "--kv", "80", "--angle", "12", "--be", "1", "--al-eq", "2.5", "--cu", "0.1"]),
    (dict(kv=150, waveform="12-peak", filters=[("Sn", 0.5)]),
     ["--kv", "150", "--waveform", "12-peak", "--filter", os.path.join(DELIVERED, "Sn.ele") + ":0.5"]),
    (dict(model="birch", kv=60, waveform="single-phase", filters=[("PMMA", 10), ("Cu", 0.05)]),
     ["--model", "birch", "--kv", "60", "--waveform", "single-phase",
      "--filter", os.path.join(DELIVERED, "PMMA.mix") + ":10", "--filter", os.path.join(DELIVERED, "Cu.ele") + ":0.05"]),
    (dict(kv=300, angle=30, al=4, cu=2), ["--kv", "300", "--angle", "30", "--al", "4", "--cu", "2"]),
]


def run_cli(arguments):
    """kestrix-cli (with the delivered table unless arguments name one): (exit status, stdout, stderr)."""
    table = [] if "--table" in arguments else ["--table", TABLE]
    done = subprocess.run([os.environ["KESTRIX_CLI"]] + table + arguments, capture_output=True, text=True)
    return done.returncode, done.stdout, done.stderr


def cli_json(arguments):
    status, out, err = run_cli(arguments + ["--json"])
    assert status == 0, err
    return json.loads(out)


@pytest.fixture(params=range(len(VARIED_BEAMS)), ids=lambda k: "beam%d" % k)
def varied_beam(request):
    return VARIED_BEAMS[request.param]
