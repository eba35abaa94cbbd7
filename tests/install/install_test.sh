#!/usr/bin/env bash
# The installed programs work from any folder: cmake --install into a fresh prefix, then kestrix-cli
# from an empty folder computes with the installed data, Quillon beside a spectrum alone reads the
# installed table, and every program (Kestrix without a display) and the Python package report one
# version. The installed Python package holds only the files that run.
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

# Quillon on a spectrum alone takes the installed table
spectrum="$(mktemp -d)"
trap 'rm -rf "$prefix" "$empty" "$spectrum"' EXIT
"$prefix/bin/kestrix-cli" --kv 100 --no-table --exchange "$spectrum" > /dev/null
cp "$spectrum/HVL_S2.temp" "$spectrum/expected" && rm "$spectrum/HVL_S2.temp"
(cd "$spectrum" && "$prefix/bin/Quillon" > /dev/null)
cmp "$spectrum/HVL_S2.temp" "$spectrum/expected" || { echo "Quillon without a table in its folder differs" >&2; exit 1; }
# Kestrix tells its version without a display
kestrix_version=""
if [ -x "$prefix/bin/Kestrix" ]; then
  kestrix_version="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/Kestrix" --version)"
fi

cli_version="$("$prefix/bin/kestrix-cli" --version)"
quillon_version="$("$prefix/bin/Quillon" --version)"
python_version="$(PYTHONPATH="$prefix/share/kestrix/python" "$python" -c 'import kestrix; print(kestrix.__version__)')"
[ "$cli_version" = "kestrix-cli $python_version" ] ||
  { echo "kestrix-cli says '$cli_version', Python says '$python_version'" >&2; exit 1; }
[ "$quillon_version" = "Quillon $python_version" ] ||
  { echo "Quillon says '$quillon_version', Python says '$python_version'" >&2; exit 1; }
[ -z "$kestrix_version" ] || [ "$kestrix_version" = "Kestrix $python_version" ] ||
  { echo "Kestrix says '$kestrix_version', Python says '$python_version'" >&2; exit 1; }
# nothing was written into the folder it ran in
[ -z "$(ls -A "$empty")" ] || { echo "files left in the working folder: $(ls -A "$empty")" >&2; exit 1; }
echo "installed programs work from an empty folder, version $python_version"
