#!/usr/bin/env bash
# Shows that `make dist` is reproducible: builds the release package of the
# commit at HEAD in two fresh clones in different folders, the second with
# another time zone and umask and without a compiler cache, and compares the
# programs and the package byte for byte. Takes several minutes.
#   scripts/check-reproducible.sh [FOLDER]   (default: a temporary folder)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
commit="$(git -C "$root" rev-parse HEAD)"
if [ -n "${1:-}" ]; then
    work="$1"
    mkdir -p "$work"
else
    work="$(mktemp -d)"
    trap 'rm -rf "$work"' EXIT
fi
a="$work/a/BrivokPatch"
b="$work/b/elsewhere/brivok-copy"
rm -rf "$a" "$b"
for clone in "$a" "$b"; do
    git clone -q "$root" "$clone"
    git -C "$clone" checkout -q "$commit"
done

echo "== $a"
(cd "$a" && make dist)
echo "== $b (TZ=Pacific/Chatham, umask 077, no compiler cache)"
(cd "$b" && umask 077 && env -u CMAKE_C_COMPILER_LAUNCHER -u CMAKE_CXX_COMPILER_LAUNCHER \
    TZ=Pacific/Chatham CCACHE_DISABLE=1 make dist)

status=0
for file in build/release/package/BrivokPatch.exe build/release/package/bspatch.exe \
    dist/BrivokPatch-*.zip dist/SHA256SUMS; do
    name="$(cd "$a" && echo $file)"
    if cmp "$a/$name" "$b/$name"; then
        echo "same: $name $(sha256sum <"$a/$name" | cut -d' ' -f1)"
    else
        status=1
    fi
done
exit $status
