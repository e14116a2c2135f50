#!/bin/sh
# Makes a large old image (sparse, all zeros) and a bsdiff patch that turns
# it into a new image of the same size, written without bsdiff (which would
# need many times the image's size in memory): the control block says "add
# SIZE diff bytes, no extra bytes", and the diff block holds SIZE bytes of 1.
# The patch is a few hundred bytes; applying it writes the whole image.
set -eu
out="$1"
size="$2"
mkdir -p "$out"
cd "$out"
rm -f live-5.0.5.iso
truncate -s "$size" live-5.0.5.iso
# Offsets are 8 bytes, little-endian magnitude with the sign in the top bit.
perl -e 'print pack("Q<3", $ARGV[0], 0, 0)' "$size" | bzip2 -9c >ctrl.bz2
perl -e '$n = $ARGV[0]; $b = "\x01" x 1048576;
         while ($n > 0) { $k = $n < 1048576 ? $n : 1048576; print substr($b, 0, $k); $n -= $k }' \
    "$size" | bzip2 -9c >diff.bz2
bzip2 -9c </dev/null >extra.bz2
{
    printf 'BSDIFF40'
    perl -e 'print pack("Q<3", @ARGV)' "$(stat -c %s ctrl.bz2)" "$(stat -c %s diff.bz2)" "$size"
    cat ctrl.bz2 diff.bz2 extra.bz2
} >live-5.0.5-to-5.0.6.bsdiff
rm -f ctrl.bz2 diff.bz2 extra.bz2
