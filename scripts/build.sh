#!/usr/bin/env bash
# Configures and builds the trees: build/win32 (the product, i686),
# build/win64 (the same sources for 64-bit Wine, where 32-bit code cannot run
# here) and build/native (the portable code and its tests under the
# sanitizers). `--product` builds only what `make run` needs.
set -euo pipefail
export BRIVOK_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
. "$BRIVOK_ROOT/scripts/wine-env.sh"
jobs="$(nproc)"

configure_and_build() {  # tree, toolchain or "", extra cmake args...
    local tree="$1" toolchain="$2"
    shift 2
    local args=(-S "$BRIVOK_ROOT" -B "$BRIVOK_ROOT/build/$tree" -Wno-dev)
    [ -n "$toolchain" ] && args+=(-DCMAKE_TOOLCHAIN_FILE="$BRIVOK_ROOT/cmake/$toolchain.cmake")
    cmake "${args[@]}" "$@" >/dev/null
    cmake --build "$BRIVOK_ROOT/build/$tree" -j "$jobs" -- --no-print-directory >/dev/null
}

if [ "$BRIVOK_TEST_TREE" = "$BRIVOK_ROOT/build/win32" ]; then
    configure_and_build win32 mingw-i686 -DCMAKE_BUILD_TYPE=Release -DBRIVOK_TESTS=ON
else
    configure_and_build win32 mingw-i686 -DCMAKE_BUILD_TYPE=Release -DBRIVOK_TESTS=OFF
    configure_and_build win64 mingw-x86_64 -DCMAKE_BUILD_TYPE=Release -DBRIVOK_TESTS=ON
fi
if [ "${1:-}" != "--product" ]; then
    configure_and_build native "" -DCMAKE_BUILD_TYPE=Debug -DBRIVOK_TESTS=ON
fi
