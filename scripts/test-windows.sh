#!/usr/bin/env bash
# The Windows check: cross-builds the console programs and their test suites for 64-bit Windows
# (MinGW-w64), runs the suites and the programs under Wine without a display, and compares the
# files the Windows programs write with the Linux programs' byte for byte.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"   # the Linux build, for the comparison

KESTRIX_WINDOWS_BUILD="${KESTRIX_WINDOWS_BUILD:-$KESTRIX_ROOT/build-windows}"
WINDOWS_PACKAGES=(mingw-w64 wine wine64 googletest unzip)

install_missing "${WINDOWS_PACKAGES[@]}"

started=$SECONDS
cmake -S "$KESTRIX_ROOT" -B "$KESTRIX_WINDOWS_BUILD" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$KESTRIX_ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DKESTRIX_BUILD_UI=OFF -DKESTRIX_BUILD_TOOLS=OFF -DKESTRIX_BUILD_BENCH=OFF -DKESTRIX_BUILD_PYTHON=OFF
cmake --build "$KESTRIX_WINDOWS_BUILD" -j "$(nproc)"
built=$SECONDS

# Wine headless, in a prefix of its own; no Mono or Gecko installer is offered.
export WINEPREFIX="$KESTRIX_WINDOWS_BUILD/wine"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix $WINEPREFIX (once)"
  wineboot --init
  wineserver --wait
fi
# One Wine server for the whole check, rather than one started and stopped around each program;
# it is ended when the script ends, also after a failure.
wineserver --persistent
trap 'wineserver --kill 2> /dev/null || true' EXIT
# Wine's own services start here, not with the first test program, whose output they would hold
# open (ctest would wait for them).
wineboot > /dev/null 2>&1 < /dev/null

ctest --test-dir "$KESTRIX_WINDOWS_BUILD" --output-on-failure -j "$(nproc)"
tested=$SECONDS

# The same beams with the Linux and the Windows programs: both models, every waveform, material
# filters (one described in Shift_JIS), every table format, a standard quality, a fitted filtration,
# the physics model with its absolute output, the exchange files, the saved table, the text report and JSON.
compare="$KESTRIX_WINDOWS_BUILD/compare"
rm -rf "$compare"
cases=(
  "--model tucker --kv 100 --al 2"
  "--model birch --kv 65 --angle 30 --waveform single-phase --al 1.5 --separator space --unit MeV --value-notation exp"
  "--model tucker --kv 280 --cu 0.3 --filter Sn.ele:0.4 --waveform 12-peak --normalise total --energy-notation exp"
  "--model birch --kv 150 --waveform 12-peak --quantity exposure --filter Pb.ele:0.05 --filter Water.mix:20"
  "--model tucker --kv 45 --angle 12 --waveform single-phase --quantity energy --be 1 --al-eq 0.5"
  "--quality N-200 --model birch"
  "--model birch --kv 80 --waveform single-phase --fit al --target-hvl-al 4.5 --filter aluminium_alloy_cp932.ele:0.5"
  "--model physics --kv 100 --al 2 --filter Water.mix:20 --distance 750"
  "--model physics --kv 250 --waveform single-phase --cu 0.5 --normalise per-mas --value-notation exp"
  "--quality RQA5 --model physics --be 1 --al-eq 0.5"
  "--model tucker --kv 80 --be 1 --al-eq 2.5 --detector CdTe:1,20 --uncertainty kv=1.5,al-eq=0.1,angle=1,samples=50,seed=7"
  "--quality RQA5 --model physics --be 1 --al-eq 2.5 --detector CsI.mix:0.6 --uncertainty kv=1,angle=0.5,samples=20"
  "--model physics --target Mo --kv 28 --be 1 --al-eq 0 --filter Mo.ele:0.032 --off-axis -4,2 --no-lines"
)
linux_cli() { "$KESTRIX_BUILD/bin/kestrix-cli" "$@"; }
windows_cli() { wine "$KESTRIX_WINDOWS_BUILD/bin/kestrix-cli.exe" "$@"; }
run_case() {  # folder program arguments...: a working folder with the data, two runs in it
  local folder="$1" program="$2"
  shift 2
  mkdir -p "$folder"
  cp "$KESTRIX_ROOT"/data/MUs_202202.data "$KESTRIX_ROOT"/data/Sn.ele "$KESTRIX_ROOT"/data/Pb.ele \
    "$KESTRIX_ROOT"/data/Water.mix "$KESTRIX_ROOT"/data/Mo.ele "$KESTRIX_ROOT"/data/RadiationQualities.tsv "$KESTRIX_ROOT"/data/CsI.mix \
    "$KESTRIX_ROOT"/data/CdTe.mix "$KESTRIX_ROOT"/data/DetectorFluorescence.tsv \
    "$KESTRIX_ROOT"/tests/data/aluminium_alloy_cp932.ele "$folder"/
  (cd "$folder" && "$program" "$@" --exchange . --save spectrum.csv > report.txt &&
    "$program" "$@" --json > report.json)
}
failures=0
for k in "${!cases[@]}"; do
  read -r -a arguments <<< "${cases[$k]}"
  run_case "$compare/linux/$k" linux_cli "${arguments[@]}"
  run_case "$compare/windows/$k" windows_cli "${arguments[@]}"
  # Quillon.exe on the Windows spectrum file gives the Linux result file again
  (cd "$compare/windows/$k" && rm HVL_S2.temp && wine "$KESTRIX_WINDOWS_BUILD/bin/Quillon.exe" > /dev/null)
  for file in B_SPCTL.temp HVL_S2.temp spectrum.csv report.txt report.json; do
    if ! cmp -s "$compare/linux/$k/$file" "$compare/windows/$k/$file"; then
      echo "DIFFERENT: $file for ${cases[$k]}" >&2
      failures=$((failures + 1))
    fi
  done
done
sweep=(--sweep 30:300:30 --cu 0.5 --separator space)
(cd "$compare/linux/0" && linux_cli "${sweep[@]}" > sweep.txt)
(cd "$compare/windows/0" && windows_cli "${sweep[@]}" > sweep.txt)
cmp -s "$compare/linux/0/sweep.txt" "$compare/windows/0/sweep.txt" || { echo "DIFFERENT: sweep" >&2; failures=$((failures + 1)); }

# The Windows zip (cpack -G ZIP): its contents, then its programs unpacked and run in an empty folder,
# where kestrix-cli finds the zip's own data and gives the Linux program's figures.
version="$("$KESTRIX_BUILD/bin/kestrix-cli" --version | cut -d' ' -f2)"
(cd "$KESTRIX_WINDOWS_BUILD" && rm -f kestrix-*-windows.zip && cpack -G ZIP > /dev/null)
zip_file="$KESTRIX_WINDOWS_BUILD/kestrix-$version-windows.zip"
top="kestrix-$version-windows"
listing="$(unzip -Z1 "$zip_file")"
for entry in bin/kestrix-cli.exe bin/Quillon.exe share/kestrix/MUs_202202.data share/kestrix/RadiationQualities.tsv \
  share/kestrix/Sn.ele share/kestrix/Water.mix share/kestrix/licences/LICENSE share/kestrix/licences/README.md; do
  grep -qx "$top/$entry" <<< "$listing" || { echo "MISSING in $(basename "$zip_file"): $entry" >&2; failures=$((failures + 1)); }
done
unpacked="$compare/zip" empty="$compare/zip-work"
mkdir -p "$unpacked" "$empty"
unzip -q "$zip_file" -d "$unpacked"
zip_cli() { (cd "$empty" && wine "$unpacked/$top/bin/kestrix-cli.exe" "$@"); }
beam=(--model physics --kv 100 --al 2 --filter Sn:0.1 --no-table)
zip_cli "${beam[@]}" | grep -v -e '^# attenuation table' -e '^# filter' > "$compare/zip-report.txt"
(cd "$compare/linux/0" && linux_cli "${beam[@]}") | grep -v -e '^# attenuation table' -e '^# filter' \
  > "$compare/linux-report.txt"
cmp -s "$compare/zip-report.txt" "$compare/linux-report.txt" ||
  { echo "DIFFERENT: the zip's kestrix-cli.exe from an empty folder" >&2; failures=$((failures + 1)); }
[ -z "$(ls -A "$empty")" ] || { echo "the zip's kestrix-cli.exe left files: $(ls -A "$empty")" >&2; failures=$((failures + 1)); }
zip_cli --kv 100 --exchange . > /dev/null
cp "$empty/HVL_S2.temp" "$compare/zip-results.temp"
rm "$empty/HVL_S2.temp"
cp "$unpacked/$top/share/kestrix/MUs_202202.data" "$empty/"
(cd "$empty" && wine "$unpacked/$top/bin/Quillon.exe" > /dev/null)
cmp -s "$empty/HVL_S2.temp" "$compare/zip-results.temp" ||
  { echo "DIFFERENT: the zip's Quillon.exe on the zip's kestrix-cli.exe spectrum" >&2; failures=$((failures + 1)); }
[ "$(wine "$unpacked/$top/bin/Quillon.exe" --version | tr -d '\r')" = "Quillon $version" ] ||
  { echo "the zip's Quillon.exe does not say version $version" >&2; failures=$((failures + 1)); }

if [ "$failures" -ne 0 ]; then
  echo "test-windows.sh: $failures files differ between the Linux and the Windows programs" >&2
  exit 1
fi
echo "test-windows.sh: $(( ${#cases[@]} * 5 + 1 )) files byte-identical between Linux and Windows"
echo "test-windows.sh: $(basename "$zip_file") holds the programs, the data and the licences, and runs unpacked"
echo "test-windows.sh: build $((built - started)) s, Windows suites $((tested - built)) s, comparison $((SECONDS - tested)) s"
