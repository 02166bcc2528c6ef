#!/usr/bin/env bash
# Saves PNG screenshots of the splash (with its status line) and of the parameter tip over
# a too-narrow list item, taken under the X display in DISPLAY (default :99), into
# out/screenshots/. Needs a built tree (scripts/build.sh i686) and ImageMagick's import.
#   scripts/screenshots.sh [i686|x86_64]   (default i686, the target the tool ships on, where
#                                           32-bit programs run, else x86_64)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
arch="${1:-}"
if [[ -z "$arch" ]]; then
  qx_default_target
  arch="$QX_DEFAULT_TARGET"
  echo "Target: $arch ($QX_TARGET_WHY)"
fi
bin="$root/build/$arch/bin"
out="$root/out/screenshots"
export DISPLAY="${DISPLAY:-:99}" WINEDEBUG=-all

[[ -x "$bin/qxshowcase.exe" ]] || { echo "build first: scripts/build.sh $arch" >&2; exit 1; }
command -v import >/dev/null || { echo "ImageMagick's import is missing (scripts/setup.sh)" >&2; exit 1; }
mkdir -p "$out"
talk="$(mktemp -d)"
trap 'rm -rf "$talk"' EXIT

# The showcase writes <stage>.ready with the screen rectangle "x y width height" and waits
# for <stage>.done.
(cd "$bin" && "$(qx_wine_loader "$arch")" qxshowcase.exe --demo "Z:${talk//\//\\}") &
showcase=$!

capture() {
    local stage="$1" file="$out/$1.png"
    for _ in $(seq 600); do [[ -f "$talk/$stage.ready" ]] && break; sleep 0.1; done
    [[ -f "$talk/$stage.ready" ]] || { echo "the $stage never showed" >&2; return 1; }
    sleep 0.5  # let the window finish painting
    read -r x y w h < <(tr -d '\r' < "$talk/$stage.ready")
    import -window root -crop "$((w + 40))x$((h + 40))+$((x > 20 ? x - 20 : 0))+$((y > 20 ? y - 20 : 0))" +repage "$file"
    touch "$talk/$stage.done"
    echo "$file"
}

status=0
capture splash || status=1
capture tip || status=1
wait "$showcase" || true
exit $status
