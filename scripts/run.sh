#!/usr/bin/env bash
# Installs what is missing, builds, prepares the working folder and starts Kestrix in it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
cd "$KESTRIX_WORK"
exec "$KESTRIX_BUILD/bin/Kestrix" "$@"
