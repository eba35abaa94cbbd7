"""The validation page states what the code computes: its text is the one the example script makes now."""

import os
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
sys.path.insert(0, os.path.join(ROOT, "examples"))

import validation  # noqa: E402


def test_the_page_matches_the_code():
    table = validation.results()
    page = validation.render_page(table, validation.summary(table))
    with open(os.path.join(ROOT, "docs", "validation.md"), newline="") as committed:
        assert committed.read() == page, "docs/validation.md is out of date: run examples/validation.py"


def test_every_reference_beam_of_the_four_series_is_validated_with_both_models():
    table = validation.results()
    assert len(table) == 35
    assert {entry["series"] for entry in table} == {label for _, _, label in validation.SERIES}
    for entry in table:
        for model, _ in validation.MODELS:
            assert all(value is not None for value, _ in entry["models"][model].values())
