#!/usr/bin/env bash
# The installed programs work from any folder: cmake --install into a fresh prefix, then kestrix-cli
# from an empty folder computes with the installed data, and every program and the Python package
# report one version. The installed Python package holds only the files that run.
set -euo pipefail
build="$1"
python="$2"
prefix="$(mktemp -d)"
empty="$(mktemp -d)"
trap 'rm -rf "$prefix" "$empty"' EXIT

cmake --install "$build" --prefix "$prefix" > /dev/null
# the Python package holds only what runs: no Makefile, CMake files or object files of the build folder
if [ -d "$prefix/share/kestrix/python" ]; then
  stray="$(cd "$prefix/share/kestrix/python" && find . -type f | sort | grep -v -E \
    '^\./(setup\.py|pyproject\.toml|kestrix/(__init__\.py|_kestrix[^/]*\.so|_kestrix\.pyi|py\.typed|data/[^/]+))$' || true)"
  [ -z "$stray" ] || { echo "not part of the Python package: $stray" >&2; exit 1; }
  [ -f "$prefix/share/kestrix/python/kestrix/data/MUs_202202.data" ] || { echo "no data in the package" >&2; exit 1; }
fi
cd "$empty"
report="$("$prefix/bin/kestrix-cli" --kv 100 --json)"
grep -q '"hvl_al_mm": [0-9]' <<< "$report" || { echo "no first half-value layer in: $report" >&2; exit 1; }
grep -q "\"attenuation_table\": \"$prefix/share/kestrix/MUs_202202.data\"" <<< "$report" ||
  { echo "the installed table was not used: $report" >&2; exit 1; }
# a delivered material by bare name, and a standard quality from the installed table
"$prefix/bin/kestrix-cli" --kv 150 --filter Sn.ele:0.2 --no-table > /dev/null
"$prefix/bin/kestrix-cli" --quality N-100 --no-table > /dev/null

cli_version="$("$prefix/bin/kestrix-cli" --version)"
quillon_version="$("$prefix/bin/Quillon" --version)"
python_version="$(PYTHONPATH="$prefix/share/kestrix/python" "$python" -c 'import kestrix; print(kestrix.__version__)')"
[ "$cli_version" = "kestrix-cli $python_version" ] ||
  { echo "kestrix-cli says '$cli_version', Python says '$python_version'" >&2; exit 1; }
[ "$quillon_version" = "Quillon $python_version" ] ||
  { echo "Quillon says '$quillon_version', Python says '$python_version'" >&2; exit 1; }
# nothing was written into the folder it ran in
[ -z "$(ls -A "$empty")" ] || { echo "files left in the working folder: $(ls -A "$empty")" >&2; exit 1; }
echo "installed programs work from an empty folder, version $python_version"
