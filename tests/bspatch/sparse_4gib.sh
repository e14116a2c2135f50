#!/usr/bin/env bash
# A synthetic patch whose control triples seek past 4 GiB in a sparse old
# file of 6 GiB and add from there; the output's hash must match. Only the
# few megabytes that the triples touch are written or read.
# Usage: sparse_4gib.sh EXE WORKDIR [WINE]
set -uo pipefail
exe=$1
work=$2
wine=${3:-}
. "$(dirname "$0")/patch_helpers.sh"
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1

gib=$((1 << 30))
at1=$((4 * gib + 123))       # a region just past 4 GiB
at2=$((5 * gib - 50000))     # one across 5 GiB
len1=$((1 << 20))
len2=100000
oldsize=$((6 * gib))

truncate -s $oldsize old
head -c $len1 /dev/urandom >region1
head -c $len2 /dev/urandom >region2
dd if=region1 of=old bs=64K seek=$at1 oflag=seek_bytes conv=notrunc status=none
dd if=region2 of=old bs=64K seek=$at2 oflag=seek_bytes conv=notrunc status=none
if [ "$(du -k old | cut -f1)" -gt 20000 ]; then
    echo "the file system made the old file dense; skipping"
    exit 0
fi

# Triples: add 1000 from 0; seek to region 1 and add it; seek to region 2
# and add it; seek to 10 bytes before the end and add 20 (10 past the end).
{
    put_offset 1000 && put_offset 10 && put_offset $((at1 - 1000))
    put_offset $len1 && put_offset 0 && put_offset $((at2 - at1 - len1))
    put_offset $len2 && put_offset 0 && put_offset $((oldsize - 10 - at2 - len2))
    put_offset 20 && put_offset 0 && put_offset 0
} >control
difflen=$((1000 + len1 + len2 + 20))
head -c $difflen /dev/zero | tr '\0' '\1' >diff   # every diff byte adds 1
printf 'extrabytes' >extra
newsize=$((difflen + 10))
build_patch patch $newsize control diff extra

plus1() { tr '\000-\377' '\001-\377\000'; }
{
    head -c 1000 /dev/zero | plus1
    cat extra
    plus1 <region1
    plus1 <region2
    head -c 20 /dev/zero | plus1
} >expected

if ! run_bspatch old new patch; then
    fail "patch beyond 4 GiB" "exit code $?: $(cat stderr)"
elif [ "$(sha256sum <new)" != "$(sha256sum <expected)" ]; then
    fail "patch beyond 4 GiB" "hash differs"
else
    pass "patch beyond 4 GiB ($(sha256sum <new | cut -c1-16))"
fi
rm -f old
summary
