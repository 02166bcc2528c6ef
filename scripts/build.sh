#!/usr/bin/env bash
# Configures (once) and builds one target tree: scripts/build.sh x86_64|i686 [cmake --build args...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
arch="${1:?usage: build.sh x86_64|i686}"; shift
dir="$root/build/$arch"
# ccache, where a developer has installed it, keeps builds of other checkouts short; the
# build does not need it.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [[ ! -f "$dir/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
fi
cmake --build "$dir" -j "$(nproc)" "$@"
