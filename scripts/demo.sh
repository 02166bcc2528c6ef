#!/usr/bin/env bash
# The main job: sets up the machine, builds the library and its host, and shows the demo
# working directory's environments, adaptors and environment modules.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" x86_64 >/dev/null

source "$root/scripts/wine-env.sh"
trap qx_wine_stop EXIT
qx_wine_start
bin="$root/build/x86_64/bin"
run() { echo; echo "\$ qxinfo $*"; (cd "$bin" && wine qxinfo.exe "$@" </dev/null); }

run environments
run adaptors
run modules
