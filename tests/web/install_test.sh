#!/usr/bin/env bash
# cmake --install of the web build puts kestrix.html, and only it, under share/kestrix/web.
set -euo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > /dev/null
installed="$(cd "$prefix" && find . -type f | sort)"
[ "$installed" = "./share/kestrix/web/kestrix.html" ] || { echo "installed: $installed" >&2; exit 1; }
cmp -s "$build/kestrix.html" "$prefix/share/kestrix/web/kestrix.html" || { echo "the installed page differs" >&2; exit 1; }
echo "cmake --install puts kestrix.html alone under share/kestrix/web"
