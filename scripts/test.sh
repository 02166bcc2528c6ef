#!/usr/bin/env bash
# Sets up the machine, builds both targets and runs every test of both trees under Wine:
# x86_64 through wine64, i686 (the target the tool ships on) through wine32.
#   scripts/test.sh [ctest args...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
targets=(x86_64 i686)
for arch in "${targets[@]}"; do "$root/scripts/build.sh" "$arch"; done

source "$root/scripts/wine-env.sh"
trap qx_wine_stop EXIT
qx_wine_start
status=0
for arch in "${targets[@]}"; do
  echo "== tests of the $arch tree"
  (cd "$root/build/$arch" && ctest --output-on-failure -j 2 "$@") || status=1
done
exit $status
