#!/usr/bin/env bash
# A short, bounded libFuzzer session on a seed corpus made here.
# Usage: run_fuzzer.sh FUZZER patch|bzip2 WORKDIR SECONDS
set -euo pipefail
fuzzer=$1
kind=$2
work=$3
seconds=$4
rm -rf "$work" && mkdir -p "$work/seeds" "$work/corpus" && cd "$work"

printf 'Brivok Patch seed text\n%.0s' $(seq 40) >text
head -c 3000 /dev/urandom >random
head -c 2000 /dev/zero >zeros
# Three blocks at level 1 (100 000 symbols each), for the parallel decoding.
for i in $(seq 8000); do echo "block $i of a stream with several"; done >blocks
truncate -s 250000 blocks
if [ "$kind" = bzip2 ]; then
    for level in 1 9; do
        for f in text random zeros; do
            bzip2 -c -$level $f >seeds/$f-$level.bz2
        done
    done
    bzip2 -c -1 blocks >seeds/blocks-1.bz2
    : | bzip2 -c >seeds/empty.bz2
else
    # Old file and patch in one input: 2-byte length, old, patch.
    seed() {  # NAME OLD NEW
        bsdiff "$2" "$3" patch.tmp
        local n
        n=$(stat -c %s "$2")
        { printf "\\x$(printf %02x $((n & 255)))\\x$(printf %02x $((n >> 8)))"; cat "$2" patch.tmp; } >"seeds/$1"
    }
    sed 's/seed/SEED/' text >text2
    head -c 1500 random >random2 && cat text >>random2
    seed text text text2
    seed random random random2
    seed zeros zeros text
    head -c 60000 blocks >blocks-old
    seed blocks blocks-old blocks
fi
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    corpus seeds 2>&1 | tail -n 15
