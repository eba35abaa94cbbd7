#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks, builds Kestrix and prepares a
# working folder with the delivered data files. Sourced by run.sh and test.sh.
set -euo pipefail

KESTRIX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
KESTRIX_BUILD="${KESTRIX_BUILD:-$KESTRIX_ROOT/build}"
KESTRIX_WORK="${KESTRIX_WORK:-$KESTRIX_ROOT/work}"

PACKAGES=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-l10n-tools
  libxrl-dev python3-h5py
  python3-dev python3-numpy python3-pybind11 pybind11-dev python3-pytest python3-venv python3-setuptools python3-wheel python3-matplotlib
  xvfb xauth locales
  fonts-motoya-l-maruberi fonts-ipafont-gothic fonts-liberation fonts-urw-base35 tex-gyre
)

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

# Installs those of the named Debian packages that are not installed yet.
install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $SUDO apt-get update -qq
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}
install_missing "${PACKAGES[@]}"

# The export tests also run with a decimal comma, which needs a German locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  $SUDO sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  $SUDO locale-gen >/dev/null
fi

cmake -S "$KESTRIX_ROOT" -B "$KESTRIX_BUILD" -DCMAKE_BUILD_TYPE=Release
cmake --build "$KESTRIX_BUILD" -j "$(nproc)"

# The programs find every file by plain name in their working directory.
mkdir -p "$KESTRIX_WORK"
cp "$KESTRIX_ROOT"/data/MUs_202202.data "$KESTRIX_ROOT"/data/*.ele "$KESTRIX_ROOT"/data/*.mix \
  "$KESTRIX_ROOT"/data/RadiationQualities.tsv "$KESTRIX_WORK"/
