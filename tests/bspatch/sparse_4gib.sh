#!/usr/bin/env bash
# Offsets past 4 GiB, in both files, with sparse files: only the few
# megabytes that the triples touch are written or read.
#  - old: the control triples seek past 4 GiB in a sparse old file of 6 GiB
#    and add from there;
#  - new: a new file of 4.3 GB, most of it zeros from the extra block (which
#    become a hole), whose later triples write past 4 GiB.
# Exit code 77 (skipped) where the file system keeps no holes.
# Usage: sparse_4gib.sh EXE WORKDIR [RUNNER]
. "$(dirname "$0")/patch_helpers.sh"

gib=$((1 << 30))
at1=$((4 * gib + 123))   # a region just past 4 GiB
at2=$((5 * gib - 50000)) # one across 5 GiB
len1=$((1 << 20))
len2=100000
oldsize=$((6 * gib))

setup truncate -s $oldsize old
setup head -c $len1 /dev/urandom >region1
setup head -c $len2 /dev/urandom >region2
setup dd if=region1 of=old bs=64K seek=$at1 oflag=seek_bytes conv=notrunc status=none
setup dd if=region2 of=old bs=64K seek=$at2 oflag=seek_bytes conv=notrunc status=none
if [ "$(du -k old | cut -f1)" -gt 20000 ]; then
    echo "the file system made the old file dense; skipping"
    exit 77
fi
plus1() { tr '\000-\377' '\001-\377\000'; }
# control COPY: add 1000 from 0 and copy COPY; seek to region 1 and add it;
# seek to region 2 and add it; seek to 10 bytes before the old file's end
# and add 20 (10 past the end).
control() {
    put_offset 1000 "$1" $((at1 - 1000)) $len1 0 $((at2 - at1 - len1)) \
        $len2 0 $((oldsize - 10 - at2 - len2)) 20 0 0
}

# --- Old past 4 GiB ------------------------------------------------------------
control 10 >control
difflen=$((1000 + len1 + len2 + 20))
head -c $difflen /dev/zero | tr '\0' '\1' >diff # every diff byte adds 1
printf 'extrabytes' >extra
setup build_patch patch $((difflen + 10)) control diff extra
{
    plus1 <region1
    plus1 <region2
    head -c 20 /dev/zero | plus1
} >expected-tail
{
    head -c 1000 /dev/zero | plus1
    cat extra expected-tail
} >expected

patched "old file past 4 GiB" old new patch expected
rm -f new

# --- New past 4 GiB ----------------------------------------------------------------
# A bzip2 stream of many blocks of zeros, built from the one block that the
# bzip2 tool writes for 45 000 000 zeros, repeated at the bit level (blocks
# need not start on a byte); the combined CRC folds in each block's CRC.
bits_of() { perl -0777 -ne 'print unpack("B*", $_)' "$1"; } # FILE: as 0s and 1s
write_bits() { perl -0777 -ne 'print pack("B*", $_)'; }     # 0s and 1s: bytes, zero-padded
number_bits() { perl -e 'printf "%0*b", @ARGV' "$2" "$1"; }  # VALUE COUNT
zero_stream() { # OUT BLOCKS
    local end_marker bits block crc combined=0 all k
    end_marker=$(number_bits $((0x177245385090)) 48)
    head -c 45000000 /dev/zero | bzip2 -9 >"$1.one" || return 1
    bits=$(bits_of "$1.one")
    block=${bits%"$end_marker"*}
    block=${block:32}
    crc=$((2#${block:48:32})) # after the 48-bit marker
    all=${bits:0:32}
    for ((k = 0; k < $2; k++)); do
        all+=$block
        combined=$(((((combined << 1) | (combined >> 31)) & 0xFFFFFFFF) ^ crc))
    done
    all+=$end_marker$(number_bits $combined 32)
    printf '%s' "$all" | write_bits >"$1"
    rm -f "$1.one"
}
zeros=$((96 * 45000000)) # 4 320 000 000
setup zero_stream extra.bz2 96

# The zeros are copied after the first 1000 bytes, so the regions land at
# new offsets past 4 GiB.
control $zeros >control
setup bzip2 -9 -c control >control.bz2
setup bzip2 -9 -c diff >diff.bz2
newsize=$((difflen + zeros))
setup assemble_patch patch $newsize control.bz2 diff.bz2 extra.bz2

status=0
run_bspatch old new patch || status=$?
if [ $status -ne 0 ]; then
    fail "new file past 4 GiB" "exit code $status: $(cat stderr)"
elif [ "$(stat -c %s new)" -ne $newsize ]; then
    fail "new file past 4 GiB" "size $(stat -c %s new), wanted $newsize"
elif ! head -c 1000 /dev/zero | plus1 | cmp -s - <(head -c 1000 new); then
    fail "new file past 4 GiB" "the first 1000 bytes differ"
elif ! tail -c $((len1 + len2 + 20)) new | cmp -s - expected-tail; then
    fail "new file past 4 GiB" "the bytes past 4 GiB differ"
elif [ "$(du -k new | cut -f1)" -gt 20000 ]; then
    # The zeros lie in a hole, so they read as zeros; bytes written there
    # would show here.
    fail "new file past 4 GiB" "$(du -k new | cut -f1) KB written, not a hole"
else
    pass "new file past 4 GiB ($newsize bytes)"
fi
rm -f old new
summary
