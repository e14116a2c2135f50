#!/bin/sh
# Makes an old image, a new one with scattered edits and an insertion, and
# the bsdiff patch between them: the data of the patch-run tests.
set -eu
out="$1"
mkdir -p "$out"
head -c 400000 /dev/urandom > "$out/old.iso"
{
    head -c 100000 "$out/old.iso"
    printf 'a new file in the new image\n%.0s' $(seq 200)
    tail -c +100001 "$out/old.iso" | head -c 200000
    head -c 5000 /dev/urandom
    tail -c +300001 "$out/old.iso"
} > "$out/new.iso"
bsdiff "$out/old.iso" "$out/new.iso" "$out/old-to-new.bsdiff"
