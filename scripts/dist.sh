#!/usr/bin/env bash
# `make dist`: the release package dist/BrivokPatch-<version>.zip, holding
# the two i686 programs stripped, the user guide README.txt and the licence
# (both with CRLF line ends), and dist/SHA256SUMS beside it. Two builds of
# one commit give the same bytes wherever they run: build/release embeds no
# folder and no time (cmake/Release.cmake), and the files in the zip carry
# the commit's time (SOURCE_DATE_EPOCH). Before packing, the programs are
# checked: i386, no link time, no symbols or debugging sections, no folder
# of this build, and only Windows' own DLLs imported.
set -euo pipefail
export BRIVOK_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$BRIVOK_ROOT"
"$BRIVOK_ROOT/scripts/setup.sh"

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH="$(git log -1 --format=%ct 2>/dev/null)" ||
        { echo "dist: not a git checkout; set SOURCE_DATE_EPOCH" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH
if [ -n "$(git status --porcelain --untracked-files=no 2>/dev/null)" ]; then
    echo "dist: the work tree has uncommitted changes, which the package holds"
fi

tree="$BRIVOK_ROOT/build/release"
cmake -S "$BRIVOK_ROOT" -B "$tree" -Wno-dev -DCMAKE_TOOLCHAIN_FILE="$BRIVOK_ROOT/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBRIVOK_TESTS=OFF -DBRIVOK_RELEASE=ON >/dev/null
cmake --build "$tree" -j "$(nproc)" --target BrivokPatch bspatch -- --no-print-directory >/dev/null
. "$tree/release.env"  # version, objdump, tool, bspatch

fail() {
    echo "dist: $*" >&2
    exit 1
}
u16() { od -An -tu2 -j "$2" -N2 "$1" | tr -d ' '; }
u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
windows_dlls=(advapi32 comctl32 comdlg32 gdi32 kernel32 msvcrt ole32 oleaut32 shell32 shlwapi
    user32 uxtheme version)
check_program() {  # file
    local file="$1" name pe sections dll base
    name="$(basename "$file")"
    pe="$(u32 "$file" 60)"  # the PE header's offset; its file header follows "PE\0\0"
    [ "$(u16 "$file" $((pe + 4)))" = 332 ] || fail "$name is not an i386 program"
    [ "$(u32 "$file" $((pe + 8)))" = 0 ] || fail "$name carries its link time"
    [ "$(u32 "$file" $((pe + 12)))$(u32 "$file" $((pe + 16)))" = 00 ] || fail "$name has symbols"
    sections="$("$objdump" -h "$file" | awk '$1 ~ /^[0-9]+$/ { printf " %s", $2 }')"
    if grep -qE ' (\.debug|\.zdebug|\.stab|/)' <<<"$sections"; then
        fail "$name has debugging sections:$sections"
    fi
    if grep -qaF "$BRIVOK_ROOT" "$file"; then
        fail "$name holds the build's folder $BRIVOK_ROOT"
    fi
    echo "  $name: $(stat -c %s "$file") bytes; sections$sections"
    echo -n "    imports"
    for dll in $("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
        base="${dll,,}"
        [[ " ${windows_dlls[*]} " == *" ${base%.dll} "* ]] || fail "$name imports $dll, not Windows' own"
        echo -n " $dll"
    done
    echo
}

# The package's files, with the commit's time and the same modes everywhere.
stage="$tree/package"
rm -rf "$stage" dist
mkdir -p "$stage" dist
cp "$tool" "$stage/BrivokPatch.exe"
cp "$bspatch" "$stage/bspatch.exe"
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' src/res/README.txt >"$stage/README.txt"
sed -e 's/$/\r/' LICENSE >"$stage/LICENSE.txt"
chmod 644 "$stage"/*
touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*

package="BrivokPatch-$version.zip"
echo "dist/$package:"
check_program "$stage/BrivokPatch.exe"
check_program "$stage/bspatch.exe"
# -X: no extra fields (owner ids, exact times); times as UTC.
(cd "$stage" && TZ=UTC zip -q -X -9 "$BRIVOK_ROOT/dist/$package" \
    BrivokPatch.exe bspatch.exe README.txt LICENSE.txt)
(cd dist && sha256sum "$package" >SHA256SUMS)
echo "  $(stat -c %s "dist/$package") bytes; SHA256 $(cut -d' ' -f1 dist/SHA256SUMS)"
