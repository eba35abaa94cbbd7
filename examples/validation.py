"""Validation page: the three models against the measured reference beams of ISO 4037 (N, H) and IEC 61267
(RQR, RQA). Nothing is fitted: each beam is computed from its published tube voltage and filtration,
with its air path as a filter, at the 20 degree target angle of the measurements. Then the standard
qualities of the delivered table that have published figures (the Mo/Mo qualities RQR-M and RQA-M,
the EUREF Mo/Rh, Rh/Rh and W/Rh beams, NIST's layers of the N, H, L and W beams), realised by
Beam.from_quality and compared in radiation_quality['deviations']. Last the BIPM's measured beams of a
tungsten tube (among them its beams behind 0.06 mm Mo), computed from their published set-up.

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
BIPM = os.path.join(HERE, "data", "bipm-beams.tsv")
DOCS = os.path.join(HERE, "..", "docs")

MODELS = [("tucker", "Tucker"), ("birch", "Birch"), ("physics", "Physics")]
SERIES = [("ISO", "N", "ISO 4037 N"), ("ISO", "H", "ISO 4037 H"), ("IEC", "RQR", "IEC 61267 RQR"),
          ("IEC", "RQA", "IEC 61267 RQA")]
# (key of Beam.quality() and column of the reference data, heading, unit)
QUANTITIES = [
    ("hvl1_al_mm", "HVL1 Al", "mm"),
    ("hvl2_al_mm", "HVL2 Al", "mm"),
    ("mean_energy_keV", "mean energy", "keV"),
    ("hvl1_cu_mm", "HVL1 Cu", "mm"),
    ("hvl2_cu_mm", "HVL2 Cu", "mm"),
]
# the quantities of each per-beam table
DETAIL_TABLES = [("Aluminium layers and mean energy", ["hvl1_al_mm", "hvl2_al_mm", "mean_energy_keV"]),
                 ("Copper layers", ["hvl1_cu_mm", "hvl2_cu_mm"])]


def read_table(path):
    with open(path, newline="") as file:
        lines = [line for line in file if not line.startswith("#")]
    return list(csv.DictReader(lines, delimiter="\t"))


def series_of(row):
    """The series label of a reference beam, or None for beams outside the validated series."""
    for standard, prefix, label in SERIES:
        name = row["name"]
        if row["series"] == standard and name.startswith(prefix) and name[len(prefix):].isdigit():
            return label
    return None


def reference_beams():
    rows = [row for row in read_table(REFERENCE) if series_of(row)]
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
    quality = kestrix.Beam(**beam_arguments(row, model)).quality()
    return {key: quality[key] for key, _, _ in QUANTITIES}


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
                key: (values[key], deviation_percent(values[key], measured(row, key))) for key, _, _ in QUANTITIES}
        table.append(entry)
    return table


def summary(table):
    """Worst (largest magnitude, signed) and RMS deviation [%] per series, model and quantity."""
    stats = {}
    for _, _, label in SERIES:
        for model, _ in MODELS:
            for key, _, _ in QUANTITIES:
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
    """Where the model's deviations are largest and which way they go, in one plain sentence."""
    largest = {}
    for (label, m, key), (worst, rms, _) in stats.items():
        if m == model and rms > largest.get(label, (0, None, 0))[0]:
            largest[label] = (rms, key, worst)
    ranked = sorted(largest.items(), key=lambda item: -item[1][0])
    label, (rms, key, worst) = ranked[0]
    heading = next(h for k, h, _ in QUANTITIES if k == key)
    direction = "too low (too soft a beam)" if worst < 0 else "too high (too hard a beam)"
    best_label, (best_rms, _, _) = ranked[-1]
    subject = "The physics model" if model == "physics" else "%s's model" % name
    return ("%s is weakest for the %s beams, whose %s it computes %s by %.1f %% RMS (worst %s %%); "
            "it is closest for the %s beams, where no figure is off by more than %.1f %% RMS."
            % (subject, label, heading, direction, rms, percent(worst), best_label, best_rms))


# the standard qualities compared with their published figures: (heading, names, models, Beam keywords)
MAMMOGRAPHY_TUBE = dict(be=1, al_eq=0)  # a mammography tube's 1 mm Be window and nothing else
QUALITY_GROUPS = [
    ("IEC 61267 RQR-M (Mo/Mo, 0.032 mm Mo; added aluminium fitted)", ["RQR-M1", "RQR-M2", "RQR-M3", "RQR-M4"],
     ["physics"], MAMMOGRAPHY_TUBE),
    ("IEC 61267 RQA-M (RQR-M + 2 mm Al)", ["RQA-M1", "RQA-M2", "RQA-M3", "RQA-M4"], ["physics"], MAMMOGRAPHY_TUBE),
    ("EUREF typical layers (1 mm Be, 0.025 mm Rh; W/Rh 0.05 mm Rh)",
     ["Mo-Rh-25", "Mo-Rh-28", "Mo-Rh-31", "Rh-Rh-25", "Rh-Rh-28", "Rh-Rh-31", "W-Rh-25", "W-Rh-28", "W-Rh-31"],
     ["physics"], {}),
    ("ISO 4037 N-30 and H-30 against NIST's measured aluminium layers (Table VIII.6)", ["N-30", "H-30"],
     ["tucker", "birch", "physics"], {}),
    ("ISO 4037 N and H beams against NIST's measured copper layers (Table VIII.6)",
     ["N-40", "N-60", "N-80", "N-100", "N-120", "N-150", "N-200", "N-250", "N-300",
      "H-60", "H-100", "H-200", "H-250", "H-280", "H-300"], ["tucker", "birch", "physics"], {}),
    ("ISO 4037 L-30 and L-35 against NIST's measured aluminium layers (Table VIII.6)", ["L-30", "L-35"],
     ["tucker", "birch", "physics"], {}),
    ("ISO 4037 L and W beams against NIST's measured copper layers (Table VIII.6)",
     ["L-55", "L-70", "L-100", "L-125", "L-170", "L-210", "L-240",
      "W-60", "W-80", "W-110", "W-150", "W-200", "W-250", "W-300"], ["tucker", "birch", "physics"], {}),
]
FIGURE_HEADINGS = {"hvl1_al_mm": "HVL1 Al", "hvl2_al_mm": "HVL2 Al", "hvl1_cu_mm": "HVL1 Cu", "hvl2_cu_mm": "HVL2 Cu",
                   "mean_energy_keV": "mean energy"}


def quality_results():
    """Per group: per quality its tube voltage and per model the deviations of radiation_quality."""
    groups = []
    for heading, names, models, keywords in QUALITY_GROUPS:
        entries = []
        for name in names:
            entry = {"name": name, "models": {}}
            for model in models:
                beam = kestrix.Beam.from_quality(name, model=model, angle=20, **keywords)
                entry["kv"] = beam.radiation_quality["tube_voltage_kV"]
                entry["models"][model] = beam.radiation_quality["deviations"]
            entries.append(entry)
        groups.append((heading, models, entries))
    return groups


# Tucker's and Birch's range begins at 30 kV; below it only the physics model computes a beam
FORMULA_LOWEST_KV = 30


def bipm_results():
    """Per BIPM beam: the row, the key of its published layer and per model the computed layer and its deviation [%]."""
    entries = []
    for row in read_table(BIPM):
        key = "hvl1_al_mm" if row["hvl1_al_mm"] != "-" else "hvl1_cu_mm"
        entry = {"row": row, "key": key, "models": {}}
        for model, _ in MODELS:
            if model != "physics" and float(row["kV"]) < FORMULA_LOWEST_KV:
                continue
            value = kestrix.Beam(**beam_arguments(row, model)).quality()[key]
            entry["models"][model] = (value, deviation_percent(value, measured(row, key)))
        entries.append(entry)
    return entries


def filtration_text(row):
    """The beam's filtration beyond its window, as 'mm material' items."""
    items = ["%s Al" % row["al_mm"]] if float(row["al_mm"]) > 0 else []
    if row["filters"] != "-":
        items += ["%s %s" % (mm, material) for material, mm in (item.split(":") for item in row["filters"].split(";"))]
    return " + ".join(items)


def render_bipm(entries):
    physics = [entry["models"]["physics"][1] for entry in entries]
    worst = max(physics, key=abs)
    lines = ["", "## The BIPM's measured beams", "",
             "First half-value layers that the BIPM measured on its tungsten tube (20 degree target, 3 mm Be",
             "window, constant potential), with the filtration and air path they were measured with",
             "([examples/data/bipm-beams.tsv](../examples/data/bipm-beams.tsv), with its source: Kessler and",
             "Burns, Rapport BIPM 2018, as tabulated with the set-up in the example scripts of Poludniowski,",
             "Omar and Andreo, *Calculating X-ray Tube Spectra*, 2022). Each beam is computed from that",
             "set-up, the air path as an air filter; nothing is fitted. The beams behind 0.06 mm Mo are the",
             "tube's mammography-like beams. The formula models' range begins at %d kV. Deviation in %%;"
             % FORMULA_LOWEST_KV,
             "the physics model's worst is %s %%, its RMS %.1f %%." % (
                 percent(worst), math.sqrt(sum(d * d for d in physics) / len(physics))),
             "", "| beam | kV | filtration [mm] | air [mm] | HVL1 published [mm] |"
             + "".join(" %s |" % name for _, name in MODELS),
             "|---|---:|---|---:|---:|" + "---:|" * len(MODELS)]
    for entry in entries:
        row = entry["row"]
        metal = "Al" if entry["key"] == "hvl1_al_mm" else "Cu"
        cells = [row["name"], row["kV"], filtration_text(row) or "–", row["air_mm"], "%s %s" % (row[entry["key"]], metal)]
        cells += [percent(entry["models"][model][1]) if model in entry["models"] else "–" for model, _ in MODELS]
        lines.append("| " + " | ".join(cells) + " |")
    return lines


def number(value):
    return "%g" % value


def render_qualities(groups):
    lines = ["", "## Standard qualities of the delivered table", "",
             "The qualities of `data/RadiationQualities.tsv` that carry published figures, realised as",
             "`Beam.from_quality` realises them (the mammography qualities on a 1 mm Be window without",
             "aluminium, 20 degree target, constant potential) and compared with those figures as",
             "`radiation_quality['deviations']` (kestrix-cli: `quality_deviations`) reports them. RQR-M",
             "fits its added aluminium to the nominal HVL1, so its row shows the fit; RQA-M adds the",
             "standard's 2 mm Al to that beam, molybdenum filter and all. The EUREF layers are typical",
             "measured values of clinical units, whose set-up (compression plate, window, filter) the",
             "source does not give; the N, H, L and W layers are NIST's measurements of its own realisation",
             "of the ISO beams, not the standard's nominal values; the beams are computed as the table",
             "defines them (PTB's filtration for N and H; the standard's filters on the N series' window and",
             "aluminium for L and W), without an air path, while NIST's inherent filtration and distance are",
             "its own (H-30, the softest, shows that most). ISO 4037-1's own layers and mean energies were",
             "not at hand. Deviation in %."]
    for heading, models, entries in groups:
        keys = []
        for entry in entries:
            for deviations in entry["models"].values():
                keys += [key for key in deviations if key not in keys]
        header = "| quality | kV |"
        rule = "|---|---:|"
        for key in keys:
            header += " %s published |" % FIGURE_HEADINGS[key] + "".join(" %s |" % dict(MODELS)[m] for m in models)
            rule += "---:|" * (1 + len(models))
        lines += ["", "### " + heading, "", header, rule]
        for entry in entries:
            cells = [entry["name"], number(entry["kv"])]
            for key in keys:
                first = next(iter(entry["models"].values()))
                cells.append(number(first[key]["nominal"]) if key in first else "–")
                for model in models:
                    deviation = entry["models"][model].get(key)
                    cells.append(percent(deviation["deviation_percent"]) if deviation else "–")
            lines.append("| " + " | ".join(cells) + " |")
    return lines


def render_page(table, stats, groups=None, bipm=None):
    lines = [
        "# Validation against measured reference beams",
        "",
        "How far to trust each model: the beam-quality figures Kestrix computes with Tucker's and Birch's",
        "formulas and with the physics model ([physics.md](physics.md)), against the figures",
        "measured on the reference beams of ISO 4037 (N and H series) and IEC 61267 (RQR and RQA), as",
        "published by PTB (U. Ankerhold, *Catalogue of X-ray spectra and their characteristic data*,",
        "PTB-Dos-34, 2000; the data are in [examples/data/reference-beams.tsv](../examples/data/reference-beams.tsv)",
        "with their source). Every beam is computed from its published tube voltage and filtration",
        "(beryllium window and aluminium as the inherent filtration, copper as added copper, tin and lead",
        "from the delivered material files, and the 1000 mm of air to the measuring point as an air",
        "filter), constant potential, 20 degree target angle. Nothing is fitted or tuned.",
        "",
        "The computed figures are those of `Beam.quality()`: first and second half-value layers in",
        "aluminium and copper (air kerma, double precision) and the fluence-weighted mean photon energy.",
        "Deviations are (computed − measured) / measured in %; a figure the reference does not publish is",
        "left out.",
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
        for key, heading, _ in QUANTITIES:
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
    lines += ["", "The formula models are closest for the heavily filtered beams (N and RQA), whose spectra the",
              "filters shape more than the model's low-energy emission does; the lightly filtered H and RQR beams",
              "show where the models differ from each other and from the measurements. The physics model is",
              "built from cross sections and PENELOPE electron data without any fitted constant.", "",
              "Root-mean-square deviation per series over all five figures of all its beams (pooled), in %:", ""]
    lines += ["| series |" + "".join(" %s |" % name for _, name in MODELS), "|---|" + "---:|" * len(MODELS)]
    for _, _, label in SERIES:
        cells = []
        for model, _ in MODELS:
            deviations = [entry["models"][model][key][1] for entry in table if entry["series"] == label
                          for key, _, _ in QUANTITIES]
            deviations = [d for d in deviations if d is not None]
            cells.append("%.2f" % math.sqrt(sum(d * d for d in deviations) / len(deviations)))
        lines.append("| %s | %s |" % (label, " | ".join(cells)))
    lines += ["", "## Every beam", "", "Measured value, then the deviation of each model in %."]
    units = {key: (heading, unit) for key, heading, unit in QUANTITIES}
    for title, keys in DETAIL_TABLES:
        header = "| beam | kV |"
        rule = "|---|---:|"
        for key in keys:
            header += " %s [%s] |" % units[key] + "".join(" %s |" % name for _, name in MODELS)
            rule += "---:|" * (1 + len(MODELS))
        lines += ["", "### " + title, "", header, rule]
        for entry in table:
            row = entry["row"]
            cells = [row["name"], row["kV"]]
            for key in keys:
                cells.append(row[key] if row[key] != "-" else "–")
                cells += [percent(entry["models"][model][key][1]) for model, _ in MODELS]
            lines.append("| " + " | ".join(cells) + " |")
    if groups is not None:
        lines += render_qualities(groups)
    if bipm is not None:
        lines += render_bipm(bipm)
    lines += ["", "Made by [examples/validation.py](../examples/validation.py); a test fails when this page no",
              "longer matches what the code computes.", ""]
    return "\n".join(lines)


def draw_figure(table, path, groups=None):
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    markers = {label: marker for (_, _, label), marker in zip(SERIES, "osD^")}
    colours = {"tucker": "tab:blue", "birch": "tab:orange", "physics": "tab:green"}
    count = len(QUANTITIES) + (1 if groups is not None else 0)
    figure, panels = plt.subplots(1, count, figsize=(3.4 * count, 3.8), dpi=100, sharey=True)
    for axes, (key, heading, _) in zip(panels, QUANTITIES):
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
    panels[len(QUANTITIES) - 1].legend(fontsize=7, frameon=False)
    if groups is not None:
        axes = panels[-1]
        styles = [("RQR-M", "o"), ("RQA-M", "s"), ("EUREF", "D"), ("ISO Al", "v"), ("ISO Cu", "^")]
        for (heading, models, entries), (label, marker) in zip(groups, styles):
            points = [(entry["kv"], deviation["deviation_percent"]) for entry in entries
                      for deviation in entry["models"]["physics"].values() if deviation["deviation_percent"] is not None]
            axes.scatter(*zip(*points), marker=marker, s=22, color="tab:green", alpha=0.8, label="Physics, " + label)
        axes.axhline(0, color="grey", linewidth=0.8)
        axes.set_title("qualities: computed − published")
        axes.set_xlabel("tube voltage [kV]")
        axes.grid(alpha=0.3)
        axes.legend(fontsize=7, frameon=False)
    figure.tight_layout()
    figure.savefig(path, metadata={"Software": None})


def main(folder):
    table = results()
    groups = quality_results()
    with open(os.path.join(folder, "validation.md"), "w", newline="\n") as page:
        page.write(render_page(table, summary(table), groups, bipm_results()))
    draw_figure(table, os.path.join(folder, "validation.png"), groups)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else DOCS)
