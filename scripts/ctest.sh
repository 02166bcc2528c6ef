#!/usr/bin/env bash
# Runs CTest in one built tree under Wine, with a wineserver and an X display of its own
# when none is running; the arguments after the tree go to ctest:
#   scripts/ctest.sh x86_64 -R test_Qx_XmlDOM
#   scripts/ctest.sh i686 -R test_CRegistry --verbose
#   scripts/ctest.sh x86_64-checked -j 2
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
tree="${1:?usage: scripts/ctest.sh x86_64|i686|x86_64-checked|i686-checked [ctest args...]}"; shift
[[ -f "$root/build/$tree/CTestTestfile.cmake" ]] || { echo "build the tree first: scripts/build.sh $tree" >&2; exit 2; }
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
if [[ "$tree" == i686* ]] && ! qx_runs_i686; then echo "the i686 tests cannot run here: $QX_I686_WHY" >&2; exit 2; fi
trap qx_wine_stop EXIT
qx_wine_start
cd "$root/build/$tree"
ctest --output-on-failure "$@"
