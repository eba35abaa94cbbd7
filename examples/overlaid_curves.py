"""Overlaid photon spectra of four beams, with their aluminium half-value layers in the legend.

Writes docs/python_curves.png (or the file named on the command line):
    PYTHONPATH=build/python /usr/bin/python3 examples/overlaid_curves.py
"""

import os
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

import kestrix  # noqa: E402

BEAMS = [
    ("Tucker, 80 kV, 2.5 mm Al", dict(kv=80, be=1, al_eq=2.5)),
    ("Birch, 80 kV, 2.5 mm Al", dict(model="birch", kv=80, be=1, al_eq=2.5)),
    ("Tucker, 150 kV, 0.5 mm Sn", dict(kv=150, filters=[("Sn", 0.5)])),
    ("Tucker, 150 kV, 0.5 mm Sn, 12-peak", dict(kv=150, filters=[("Sn", 0.5)], waveform="12-peak")),
]


def main(path):
    figure, axes = plt.subplots(figsize=(8, 4.5), dpi=100)
    for label, arguments in BEAMS:
        beam = kestrix.Beam(**arguments)
        spectrum = beam.spectrum().normalised("total")
        hvl = beam.figures()["hvl_al_mm"]
        axes.plot(spectrum.energy_keV, spectrum.values, label="%s (HVL %.2f mm Al)" % (label, hvl))
    axes.set_xlim(0, 160)
    axes.set_ylim(bottom=0)
    axes.set_xlabel("photon energy [keV]")
    axes.set_ylabel("photons per 0.5 keV bin [fraction of all]")
    axes.legend(frameon=False, fontsize=9)
    axes.grid(alpha=0.3)
    figure.tight_layout()
    figure.savefig(path, metadata={"Software": None})


if __name__ == "__main__":
    default = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "docs", "python_curves.png")
    main(sys.argv[1] if len(sys.argv) > 1 else default)
