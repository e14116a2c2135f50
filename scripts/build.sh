#!/usr/bin/env bash
# Configures and builds both trees: build/win32 (the product, cross-compiled)
# and build/native (the portable code and its tests under the sanitizers).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"

cmake -S "$root" -B "$root/build/win32" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$root/build/win32" -j "$jobs" -- --no-print-directory >/dev/null

if [ "${1:-}" != "--win32-only" ]; then
    cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
    cmake --build "$root/build/native" -j "$jobs" -- --no-print-directory >/dev/null
fi
