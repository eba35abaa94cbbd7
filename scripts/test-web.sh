#!/usr/bin/env bash
# The web check: builds the libraries, their unit tests and the page kestrix.html with emscripten
# (into build-web/), then runs the suites under node and the page tests in headless Chromium and
# Firefox, comparing the page's figures with the native kestrix-cli. Sourced setup.sh builds that.
set -euo pipefail
if [ -z "${KESTRIX_ROOT:-}" ]; then
  source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
fi

KESTRIX_WEB_BUILD="${KESTRIX_WEB_BUILD:-$KESTRIX_ROOT/build-web}"
WEB_PACKAGES=(emscripten nodejs chromium firefox-esr fonts-ipafont-gothic ccache)
install_missing "${WEB_PACKAGES[@]}"
# Debian's npm, unless the installed node brings its own
command -v npm > /dev/null || install_missing npm

# The page's packages exactly as package-lock.json pins them; no browser is downloaded.
export PUPPETEER_SKIP_DOWNLOAD=1 PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1
if [ ! -d "$KESTRIX_ROOT/web/node_modules/uplot" ] || [ "$KESTRIX_ROOT/web/package-lock.json" -nt "$KESTRIX_ROOT/web/node_modules/.package-lock.json" ]; then
  (cd "$KESTRIX_ROOT/web" && npm ci --no-audit --no-fund)
fi

# Debian's emscripten runs its tools with node and finds their modules here.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
started=$SECONDS
emcmake cmake -S "$KESTRIX_ROOT" -B "$KESTRIX_WEB_BUILD" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
  -DKESTRIX_BUILD_UI=OFF -DKESTRIX_BUILD_TOOLS=OFF -DKESTRIX_BUILD_BENCH=OFF -DKESTRIX_BUILD_PYTHON=OFF \
  -DKESTRIX_NATIVE_CLI="$KESTRIX_BUILD/bin/kestrix-cli"
cmake --build "$KESTRIX_WEB_BUILD" -j "$(nproc)"
built=$SECONDS
ctest --test-dir "$KESTRIX_WEB_BUILD" --output-on-failure -j "$(nproc)"
echo "test-web.sh: $(du -h "$KESTRIX_WEB_BUILD/kestrix.html" | cut -f1) kestrix.html; build $((built - started)) s, tests $((SECONDS - built)) s"
