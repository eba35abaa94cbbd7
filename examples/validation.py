"""Validation page: both models against the measured reference beams of ISO 4037 (N, H) and IEC 61267
(RQR, RQA). Nothing is fitted: each beam is computed from its published tube voltage and filtration,
with its air path as a filter, at the 20 degree target angle of the measurements.

Writes docs/validation.md and docs/validation.png:
    PYTHONPATH=build/python /usr/bin/python3 examples/validation.py
"""

import csv
import math
import os
import sys

import kestrix

HERE = os.path.dirname(os.path.abspath(__file__))
REFERENCE = os.path.join(HERE, "data", "reference-beams.tsv")
DOCS = os.path.join(HERE, "..", "docs")

MODELS = [("tucker", "Tucker"), ("birch", "Birch")]
SERIES = [("ISO", "N", "ISO 4037 N"), ("ISO", "H", "ISO 4037 H"), ("IEC", "RQR", "IEC 61267 RQR"),
          ("IEC", "RQA", "IEC 61267 RQA")]
# (key of the computed value, reference column, heading, unit)
QUANTITIES = [
    ("hvl1_al_mm", "hvl1_al_mm", "HVL1 Al", "mm"),
    ("hvl1_cu_mm", "hvl1_cu_mm", "HVL1 Cu", "mm"),
    ("mean_energy_keV", "mean_energy_keV", "mean energy", "keV"),
]


def series_of(row):
    """The series label of a reference beam, or None for beams outside the validated series."""
    for standard, prefix, label in SERIES:
        name = row["name"]
        if row["series"] == standard and name.startswith(prefix) and name[len(prefix):].isdigit():
            return label
    return None


def reference_beams():
    with open(REFERENCE, newline="") as file:
        lines = [line for line in file if not line.startswith("#")]
    rows = [row for row in csv.DictReader(lines, delimiter="\t") if series_of(row)]
    order = {label: k for k, (_, _, label) in enumerate(SERIES)}
    return sorted(rows, key=lambda row: (order[series_of(row)], float(row["kV"])))


def beam_arguments(row, model):
    """The measured set-up as Beam arguments: copper as the added copper, other materials and the air path as filters."""
    arguments = dict(model=model, kv=float(row["kV"]), angle=20, be=float(row["be_mm"]), al_eq=float(row["al_mm"]),
                     al=0, cu=0, filters=[])
    if row["filters"] != "-":
        for item in row["filters"].split(";"):
            material, mm = item.split(":")
            if material == "Cu":
                arguments["cu"] += float(mm)
            else:
                arguments["filters"].append((material, float(mm)))
    arguments["filters"].append(("Air", float(row["air_mm"])))
    return arguments


def computed(row, model):
    """The validated quantities of one beam with one model."""
    beam = kestrix.Beam(**beam_arguments(row, model))
    figures = beam.figures()
    spectrum = beam.spectrum()
    mean_energy = float((spectrum.energy_keV * spectrum.values).sum() / spectrum.values.sum())
    return {"hvl1_al_mm": figures["hvl_al_mm"], "hvl1_cu_mm": figures["hvl_cu_mm"], "mean_energy_keV": mean_energy}


def measured(row, column):
    return None if row[column] == "-" else float(row[column])


def deviation_percent(value, reference):
    if value is None or reference is None:
        return None
    return 100.0 * (value - reference) / reference


def results():
    """Per beam: the row, its series and per model the computed quantities and their deviations [%]."""
    table = []
    for row in reference_beams():
        entry = {"row": row, "series": series_of(row), "models": {}}
        for model, _ in MODELS:
            values = computed(row, model)
            entry["models"][model] = {
                key: (values[key], deviation_percent(values[key], measured(row, column)))
                for key, column, _, _ in QUANTITIES}
        table.append(entry)
    return table


def summary(table):
    """Worst (largest magnitude, signed) and RMS deviation [%] per series, model and quantity."""
    stats = {}
    for _, _, label in SERIES:
        for model, _ in MODELS:
            for key, _, _, _ in QUANTITIES:
                deviations = [entry["models"][model][key][1] for entry in table if entry["series"] == label]
                deviations = [d for d in deviations if d is not None]
                if deviations:
                    worst = max(deviations, key=abs)
                    rms = math.sqrt(sum(d * d for d in deviations) / len(deviations))
                    stats[(label, model, key)] = (worst, rms, len(deviations))
    return stats


def percent(value):
    if value is None:
        return "–"
    return "0.0" if round(value, 1) == 0 else "%+.1f" % value


def weakness_sentence(stats, model, name):
    """Where the model's deviations are largest, in one plain sentence."""
    worst_series = {}
    for (label, m, key), (worst, rms, _) in stats.items():
        if m == model and rms > worst_series.get(label, (0, None, 0))[0]:
            worst_series[label] = (rms, key, worst)
    ranked = sorted(worst_series.items(), key=lambda item: -item[1][0])
    label, (rms, key, worst) = ranked[0]
    heading = next(h for k, _, h, _ in QUANTITIES if k == key)
    best_label, (best_rms, _, _) = ranked[-1]
    return ("%s's model is weakest for the %s beams, where its %s is off by %.1f %% RMS (worst %s %%); "
            "it is closest for the %s beams (largest RMS there %.1f %%)."
            % (name, label, heading, rms, percent(worst), best_label, best_rms))


def render_page(table, stats):
    lines = [
        "# Validation against measured reference beams",
        "",
        "How far to trust each model: the beam-quality figures Kestrix computes, against the figures",
        "measured on the reference beams of ISO 4037 (N and H series) and IEC 61267 (RQR and RQA), as",
        "published by PTB (U. Ankerhold, *Catalogue of X-ray spectra and their characteristic data*,",
        "PTB-Dos-34, 2000; the data are in [examples/data/reference-beams.tsv](../examples/data/reference-beams.tsv)",
        "with their source). Every beam is computed from its published tube voltage and filtration",
        "(beryllium window and aluminium as the inherent filtration, copper as added copper, tin and lead",
        "from the delivered material files, and the 1000 mm of air to the measuring point as an air",
        "filter), constant potential, 20 degree target angle. Nothing is fitted or tuned.",
        "",
        "Half-value layers are the engine's first half-value layers (air kerma, as `Beam.figures()` gives",
        "them, to 0.001 mm); the mean energy is the fluence-weighted mean of the photon spectrum. Deviations",
        "are (computed − measured) / measured in %.",
        "",
        "![Deviations from the measured reference beams](validation.png)",
        "",
        "## Summary",
        "",
        "Worst (the largest deviation, with its sign) and root-mean-square deviation per series, in %.",
        "",
    ]
    header = "| series | quantity | beams |" + "".join(" %s worst | %s RMS |" % (n, n) for _, n in MODELS)
    lines += [header, "|---|---|---:|" + "---:|---:|" * len(MODELS)]
    for _, _, label in SERIES:
        for key, _, heading, _ in QUANTITIES:
            cells = []
            count = 0
            for model, _ in MODELS:
                if (label, model, key) in stats:
                    worst, rms, count = stats[(label, model, key)]
                    cells += [percent(worst), "%.1f" % rms]
                else:
                    cells += ["–", "–"]
            lines.append("| %s | %s | %d | %s |" % (label, heading, count, " | ".join(cells)))
    lines += ["", "## Where each model is weak", ""]
    for model, name in MODELS:
        lines.append("- " + weakness_sentence(stats, model, name))
    lines += ["", "## Every beam", "",
              "Measured value, then the deviation of each model in %.", ""]
    header = "| beam | kV |"
    rule = "|---|---:|"
    for _, _, heading, unit in QUANTITIES:
        header += " %s [%s] |" % (heading, unit) + "".join(" %s |" % name for _, name in MODELS)
        rule += "---:|" * (1 + len(MODELS))
    lines += [header, rule]
    for entry in table:
        row = entry["row"]
        cells = [row["name"], row["kV"]]
        for key, column, _, _ in QUANTITIES:
            cells.append(row[column] if row[column] != "-" else "–")
            cells += [percent(entry["models"][model][key][1]) for model, _ in MODELS]
        lines.append("| " + " | ".join(cells) + " |")
    lines += ["", "Made by [examples/validation.py](../examples/validation.py); a test fails when this page no",
              "longer matches what the code computes.", ""]
    return "\n".join(lines)


def draw_figure(table, path):
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    markers = {label: marker for (_, _, label), marker in zip(SERIES, "osD^")}
    colours = {"tucker": "tab:blue", "birch": "tab:orange"}
    figure, panels = plt.subplots(1, len(QUANTITIES), figsize=(4 * len(QUANTITIES), 4), dpi=100, sharey=True)
    for axes, (key, _, heading, _) in zip(panels, QUANTITIES):
        for model, name in MODELS:
            for _, _, label in SERIES:
                points = [(float(e["row"]["kV"]), e["models"][model][key][1]) for e in table
                          if e["series"] == label and e["models"][model][key][1] is not None]
                if points:
                    axes.scatter(*zip(*points), marker=markers[label], s=22, color=colours[model], alpha=0.8,
                                 label="%s, %s" % (name, label))
        axes.axhline(0, color="grey", linewidth=0.8)
        axes.set_title(heading)
        axes.set_xlabel("tube voltage [kV]")
        axes.grid(alpha=0.3)
    panels[0].set_ylabel("computed − measured [%]")
    panels[-1].legend(fontsize=7, frameon=False)
    figure.tight_layout()
    figure.savefig(path, metadata={"Software": None})


def main(folder):
    table = results()
    with open(os.path.join(folder, "validation.md"), "w", newline="\n") as page:
        page.write(render_page(table, summary(table)))
    draw_figure(table, os.path.join(folder, "validation.png"))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else DOCS)
