#!/usr/bin/env bash
# Installs what is missing, builds, prepares the working folder and runs every test headless.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$KESTRIX_BUILD" --output-on-failure -j "$(nproc)"
# The libraries in WebAssembly under node and the page kestrix.html in headless browsers.
source "$(dirname "${BASH_SOURCE[0]}")/test-web.sh"
