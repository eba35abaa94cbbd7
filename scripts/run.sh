#!/usr/bin/env bash
# Installs what is missing, builds, prepares the working folder and starts Kestrix in it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
cd "$KESTRIX_WORK"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: Kestrix is built, but there is no graphical display to open it on." >&2
  echo "Start the command from a desktop session (or ssh -X), or without a screen: xvfb-run -a bash scripts/run.sh" >&2
  exit 1
fi
exec "$KESTRIX_BUILD/bin/Kestrix" "$@"
