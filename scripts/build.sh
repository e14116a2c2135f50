#!/usr/bin/env bash
# Configures and builds the trees: build/win32 (the product, i686, with its
# tests), build/win64 (the same sources for 64-bit Wine, only where the tests
# run there: see wine-env.sh) and build/native (the portable code and its
# tests under the sanitizers). `--product` builds only what `make run` needs.
set -euo pipefail
export BRIVOK_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
. "$BRIVOK_ROOT/scripts/wine-env.sh"
jobs="$(nproc)"

# With --product only the two programs are built; the trees keep their tests.
targets=()
[ "${1:-}" = "--product" ] && targets=(--target BrivokPatch bspatch)

configure_and_build() {  # tree, toolchain or "", extra cmake args...
    local tree="$1" toolchain="$2"
    shift 2
    local args=(-S "$BRIVOK_ROOT" -B "$BRIVOK_ROOT/build/$tree" -Wno-dev)
    [ -n "$toolchain" ] && args+=(-DCMAKE_TOOLCHAIN_FILE="$BRIVOK_ROOT/cmake/$toolchain.cmake")
    cmake "${args[@]}" "$@" >/dev/null
    cmake --build "$BRIVOK_ROOT/build/$tree" -j "$jobs" "${targets[@]}" -- --no-print-directory >/dev/null
}

# The product's tree always builds with its tests, also where 32-bit code
# cannot run them: a fault that breaks only the i686 build (a callback
# without WINAPI, a 32-bit size) then still fails the build.
configure_and_build win32 mingw-i686 -DCMAKE_BUILD_TYPE=Release -DBRIVOK_TESTS=ON
if [ "$BRIVOK_TEST_TREE" = "$BRIVOK_ROOT/build/win64" ]; then
    configure_and_build win64 mingw-x86_64 -DCMAKE_BUILD_TYPE=Release -DBRIVOK_TESTS=ON
fi
if [ "${1:-}" != "--product" ]; then
    configure_and_build native "" -DCMAKE_BUILD_TYPE=Debug -DBRIVOK_TESTS=ON
fi
