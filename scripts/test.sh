#!/usr/bin/env bash
# Sets up the machine, builds both targets and runs the tests of the 64-bit tree under Wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" x86_64
"$root/scripts/build.sh" i686

source "$root/scripts/wine-env.sh"
trap qx_wine_stop EXIT
qx_wine_start
cd "$root/build/x86_64"
ctest --output-on-failure -j 2 "$@"
