#!/usr/bin/env bash
# Sets up the machine, builds the trees and runs the tests under Wine:
#   - x86_64, always, through the 64-bit loader, and x86_64-checked, the same tests on the
#     checked build (undefined behaviour traps, the standard library's assertions) with
#     Wine's heap checks on;
#   - i686, the target the tool ships on, and i686-checked, where this machine runs 32-bit
#     programs. Elsewhere the i686 tree is still built, with its layout checks compiled in,
#     and its tests that need no Wine run (the export table against the x86_64 tree's, the
#     layers). QX_RUN_I686=yes|no forces the answer.
# Every warning stops the build. Arguments go to every ctest run:
#   scripts/test.sh [ctest args...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
if qx_runs_i686; then run_i686=1; else run_i686=""; fi

trees=(x86_64 i686 x86_64-checked)
[[ -n "$run_i686" ]] && trees+=(i686-checked)
for tree in "${trees[@]}"; do
  started=$SECONDS
  QX_WERROR=1 "$root/scripts/build.sh" "$tree"
  echo "== built the $tree tree in $((SECONDS - started)) s"
done

run_tests() {  # tree, then ctest arguments
  local tree="$1" started=$SECONDS status=0; shift
  (cd "$root/build/$tree" && ctest --output-on-failure -j 2 "$@") || status=1
  echo "== tests of the $tree tree took $((SECONDS - started)) s"
  return $status
}

status=0
trap qx_wine_stop EXIT
qx_wine_start
echo "== tests of the x86_64 tree"
run_tests x86_64 "$@" || status=1
echo "== tests of the x86_64-checked tree"
run_tests x86_64-checked "$@" || status=1
if [[ -n "$run_i686" ]]; then
  echo "== tests of the i686 tree"
  run_tests i686 "$@" || status=1
  echo "== tests of the i686-checked tree"
  run_tests i686-checked "$@" || status=1
else
  echo "== the i686 tree's tests were not run: $QX_I686_WHY; its build, layout checks and the tests that need no Wine stand for it"
  run_tests i686 -L host "$@" || status=1
fi
exit $status
