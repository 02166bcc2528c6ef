#!/usr/bin/env bash
# Sets up the machine, builds both targets and runs the tests under Wine: the x86_64 tree
# always, through the 64-bit loader; the i686 tree (the target the tool ships on) where this
# machine runs 32-bit programs. Elsewhere the i686 tree is still built, with its layout
# checks compiled in, and its tests that need no Wine run (the export table against the
# x86_64 tree's, the layers). QX_RUN_I686=yes|no forces the answer.
#   scripts/test.sh [ctest args...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
# Every warning stops the build here: the tree builds without one.
for arch in x86_64 i686; do QX_WERROR=1 "$root/scripts/build.sh" "$arch"; done

source "$root/scripts/wine-env.sh"
run_tests() {  # arch, then ctest arguments
  local arch="$1"; shift
  (cd "$root/build/$arch" && ctest --output-on-failure -j 2 "$@")
}

status=0
if qx_runs_i686; then run_i686=1; else run_i686=""; fi
trap qx_wine_stop EXIT
qx_wine_start
echo "== tests of the x86_64 tree"
run_tests x86_64 "$@" || status=1
if [[ -n "$run_i686" ]]; then
  echo "== tests of the i686 tree"
  run_tests i686 "$@" || status=1
else
  echo "== the i686 tree's tests were not run: $QX_I686_WHY; its build, layout checks and the tests that need no Wine stand for it"
  run_tests i686 -L host "$@" || status=1
fi
exit $status
