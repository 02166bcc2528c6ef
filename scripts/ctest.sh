#!/usr/bin/env bash
# Runs CTest in one built tree under Wine, with a wineserver and an X display of its own
# when none is running; the arguments after the target go to ctest:
#   scripts/ctest.sh x86_64 -R test_Qx_XmlDOM
#   scripts/ctest.sh i686 -R test_CRegistry --verbose
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
arch="${1:?usage: scripts/ctest.sh x86_64|i686 [ctest args...]}"; shift
[[ -f "$root/build/$arch/CTestTestfile.cmake" ]] || { echo "build the tree first: scripts/build.sh $arch" >&2; exit 2; }
source "$root/scripts/wine-env.sh"
if [[ "$arch" == i686 ]] && ! qx_runs_i686; then echo "the i686 tests cannot run here: $QX_I686_WHY" >&2; exit 2; fi
trap qx_wine_stop EXIT
qx_wine_start
cd "$root/build/$arch"
ctest --output-on-failure "$@"
