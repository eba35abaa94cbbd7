"""The examples of cli/README.md and docs/python.md run as written, from the folder each page names.

cli/README.md: every line "$ command" of a fenced block runs with bash in a copy of the data folder,
one after another; what follows it up to the next command is its output (standard output and error
together), where a line "..." stands for any number of lines. docs/python.md: the python blocks run
one after another in one namespace, in an empty folder.
"""

import os
import re
import shutil
import subprocess

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")


def fenced_blocks(path, language):
    """The text of every ``` block whose info string is language ('' for none)."""
    with open(path, encoding="utf-8") as page:
        text = page.read()
    return [match.group(2) for match in re.finditer(r"^```([a-z]*)\n(.*?)^```$", text, re.M | re.S)
            if match.group(1) == language]


def commands_of(block):
    """(command, expected output lines) for each "$ " line of a block."""
    pairs = []
    for line in block.splitlines():
        if line.startswith("$ "):
            pairs.append((line[2:], []))
        elif pairs:
            pairs[-1][1].append(line)
    while pairs and pairs[-1][1] and pairs[-1][1][-1] == "":
        pairs[-1][1].pop()
    return [(command, expected[:-1] if expected and expected[-1] == "" else expected) for command, expected in pairs]


def matches(expected, actual):
    """True when the actual lines are the expected ones, "..." standing for any number of lines."""
    pattern = "".join("(?:.*\n)*?" if line.strip() == "..." else re.escape(line) + "\n" for line in expected)
    return re.fullmatch(pattern, "".join(line + "\n" for line in actual)) is not None


def test_matching_skips_lines_only_at_ellipses():
    assert matches(["a", "...", "d"], ["a", "b", "c", "d"]) and matches(["a", "...", "b"], ["a", "b"])
    assert not matches(["a", "d"], ["a", "b", "d"]) and not matches(["a (x)"], ["a (y)"])


def test_the_command_line_examples_print_what_the_page_shows(tmp_path):
    folder = tmp_path / "data"
    shutil.copytree(os.path.join(ROOT, "data"), folder)
    environment = dict(os.environ, PATH=os.path.dirname(os.environ["KESTRIX_CLI"]) + os.pathsep + os.environ["PATH"])
    ran = 0
    for block in fenced_blocks(os.path.join(ROOT, "cli", "README.md"), ""):
        for command, expected in commands_of(block):
            done = subprocess.run(["bash", "-c", command + " 2>&1"], cwd=folder, env=environment,
                                  capture_output=True, text=True)
            actual = done.stdout.splitlines()
            assert matches(expected, actual), "$ %s\n%s" % (command, done.stdout)
            ran += 1
    assert ran >= 15


def test_the_python_examples_run(tmp_path):
    blocks = fenced_blocks(os.path.join(ROOT, "docs", "python.md"), "python")
    assert len(blocks) >= 8
    namespace = {"__name__": "__doc_examples__"}
    here = os.getcwd()
    os.chdir(tmp_path)
    try:
        import matplotlib
        matplotlib.use("Agg")
        for block in blocks:
            exec(compile(block, "docs/python.md", "exec"), namespace)  # noqa: S102 - the page's own examples
    finally:
        os.chdir(here)
