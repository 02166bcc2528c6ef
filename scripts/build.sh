#!/usr/bin/env bash
# Configures and builds one target tree in build/<tree>:
#   scripts/build.sh x86_64|i686|x86_64-checked|i686-checked [cmake --build args...]
# A -checked tree is the checked build (QX_CHECKED): undefined behaviour traps and the
# standard library's assertions, on every module. QX_WERROR=1 makes every warning an error
# (scripts/test.sh sets it), QX_WERROR=0 lets warnings be; unset, a tree keeps what it was
# configured with, so that the demo after a test run does not rebuild the tree.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
tree="${1:?usage: build.sh x86_64|i686|x86_64-checked|i686-checked [cmake --build args...]}"; shift
case "$tree" in
  x86_64|i686) arch="$tree" checked=OFF ;;
  x86_64-checked|i686-checked) arch="${tree%-checked}" checked=ON ;;
  *) echo "unknown tree: $tree (x86_64, i686, x86_64-checked or i686-checked)" >&2; exit 2 ;;
esac
dir="$root/build/$tree"
options=(-DQX_CHECKED="$checked")
case "${QX_WERROR:-}" in
  1) options+=(-DQX_WARNINGS_AS_ERRORS=ON) ;;
  0) options+=(-DQX_WARNINGS_AS_ERRORS=OFF) ;;
  "") ;;
  *) echo "QX_WERROR must be 1 or 0, not '$QX_WERROR'" >&2; exit 2 ;;
esac

# ccache, where a developer has installed it, keeps builds of other checkouts short; the
# build does not need it.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# Configured once, and again when an option differs from the tree's cache.
configured() {
  local option
  [[ -f "$dir/CMakeCache.txt" ]] || return 1
  for option in "${options[@]}"; do
    option="${option#-D}"
    grep -q "^${option%%=*}:[A-Z]*=${option#*=}\$" "$dir/CMakeCache.txt" || return 1
  done
}
if ! configured; then
  cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" "${options[@]}" >/dev/null
fi
cmake --build "$dir" -j "$(nproc)" "$@"
