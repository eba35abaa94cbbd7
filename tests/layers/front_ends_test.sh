#!/usr/bin/env bash
# The front ends build only on the libraries: no file of ui/, cli/, python/ or web/ includes a header of
# another front end, and the libraries (model/, engine/, beam/) include no front end's header at all.
set -euo pipefail
root="$1"
cd "$root"
headers_of() { find "$1" -maxdepth 1 -name '*.h' -printf '%f\n'; }
includes_of() { grep -ho '#include "[^"]*"' "$1"/*.cpp "$1"/*.h 2>/dev/null | sed 's/#include "//; s/"$//; s#.*/##' | sort -u; }
failures=0
check() {  # folder, then the folders whose headers it must not include
  local folder="$1" other name
  shift
  for other in "$@"; do
    for name in $(includes_of "$folder"); do
      if headers_of "$other" | grep -qx "$name"; then
        echo "$folder/ includes $other/$name" >&2
        failures=$((failures + 1))
      fi
    done
  done
}
check ui cli python web
check cli ui python web
check python ui cli web
check web ui cli python
for library in model engine beam; do check "$library" ui cli python web; done
[ "$failures" -eq 0 ] || { echo "$failures includes cross the layers" >&2; exit 1; }
echo "no front end includes another's headers; the libraries include none"
