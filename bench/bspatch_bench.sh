#!/usr/bin/env bash
# Benchmark of our bspatch against Debian's, on the same run, on two patches:
#  - zero-heavy: between two ISO images of about SIZE_MB megabytes (default
#    100) built with xorriso from trees of system files that differ as an
#    update does (every 97th file edited in three places, one file grown, a
#    few removed, five added: 6 MB of new data), so that the diff stream is
#    nearly all runs of zero bytes;
#  - extra-heavy: between an image of a quarter of that tree and one with
#    24 MB of fresh data added, so that the extra stream dominates.
# The patches are made with Debian's bsdiff (slow: about 17 times the old
# size in memory) and cached under build/bench.
#
# For each patch it prints the median wall time of RUNS runs (default 5,
# after one warm-up run) and the peak resident memory of: the I/O floor
# (reading OLD with cat, writing NEW with cp), bzip2 -dc of the patch's diff
# and extra streams alone, Debian's bspatch, ours with one worker and ours
# with a worker per processor; then the ratios of the goals, and the load.
# BASELINE=PROGRAM adds another bspatch to compare with (say, a build of an
# earlier revision). Not a test: run it by hand, e.g.
# `bench/bspatch_bench.sh 100`.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
size_mb=${1:-100}
runs=${RUNS:-5}
work="$root/build/bench"
mkdir -p "$work"

# Our program, optimised like a Release build; build/native carries the
# sanitizers and would measure them instead.
echo "== building bspatch -O3 into $work"
g++ -std=c++20 -O3 -DNDEBUG -pthread -I"$root/tools/bspatch" "$root"/tools/bspatch/*.cpp \
    -o "$work/bspatch"

# make_tree DIR MB: regular files of 4 KB..8 MB from /usr in a fixed order,
# until the size is reached.
make_tree() {
    local dir=$1 budget=$(($2 * 1024 * 1024)) total=0 n=0 f s
    rm -rf "$dir" && mkdir -p "$dir"
    while IFS= read -r f; do
        s=$(stat -c %s "$f")
        [ $((total + s)) -gt $budget ] && continue
        n=$((n + 1))
        mkdir -p "$dir/d$((n / 200))"
        cp "$f" "$dir/d$((n / 200))/$n-$(basename "$f")"
        total=$((total + s))
        [ $total -gt $((budget - budget / 100)) ] && break
    done < <(find /usr/lib /usr/share /usr/bin -type f -size +4k -size -8M 2>/dev/null | sort)
}

# edit_tree DIR: every 97th file gets a few scattered blocks rewritten; one
# file grows, some are removed.
edit_tree() {
    local files count i f s k
    mapfile -t files < <(find "$1" -type f | sort)
    count=${#files[@]}
    for ((i = 0; i < count; i += 97)); do
        f=${files[$i]}
        s=$(stat -c %s "$f")
        for k in 1 2 3; do
            dd if=/dev/urandom of="$f" bs=1 count=$((16 + k * 40)) seek=$(((s * k) / 4)) \
                conv=notrunc status=none
        done
    done
    head -c 300000 /dev/urandom >>"${files[$((count / 2))]}"
    for ((i = 13; i < count; i += 401)); do rm -f "${files[$i]}"; done
}

# add_files DIR SIZE...: new files of fresh data.
add_files() {
    local dir=$1/new k=0 size
    shift
    mkdir -p "$dir"
    for size in "$@"; do
        k=$((k + 1))
        head -c "$size" /dev/urandom >"$dir/added$k"
    done
}

# make_patch DATA: the ISO images of DATA/treeA and DATA/treeB, and bsdiff's patch.
make_patch() {
    local data=$1
    echo "== making the ISO images in $data"
    xorriso -as mkisofs -quiet -R -o "$data/old.iso" "$data/treeA" 2>/dev/null
    xorriso -as mkisofs -quiet -R -o "$data/new.iso" "$data/treeB" 2>/dev/null
    rm -rf "$data/treeA" "$data/treeB"
    echo "== bsdiff (this takes a while)"
    /usr/bin/time -f "bsdiff: %e s wall, %M KB peak" \
        bsdiff "$data/old.iso" "$data/new.iso" "$data/patch.tmp"
    mv "$data/patch.tmp" "$data/patch"
}

zero="$work/data-$size_mb"
if [ ! -f "$zero/patch" ]; then
    mkdir -p "$zero"
    echo "== zero-heavy: two trees of about $size_mb MB from /usr"
    make_tree "$zero/treeA" "$size_mb"
    cp -a "$zero/treeA" "$zero/treeB"
    edit_tree "$zero/treeB"
    add_files "$zero/treeB" 400000 800000 1200000 1600000 2000000
    make_patch "$zero"
fi
extra="$work/extra-$size_mb"
if [ ! -f "$extra/patch" ]; then
    mkdir -p "$extra"
    echo "== extra-heavy: a tree of about $((size_mb / 4)) MB and one with 24 MB added"
    make_tree "$extra/treeA" $((size_mb / 4))
    cp -a "$extra/treeA" "$extra/treeB"
    edit_tree "$extra/treeB"
    add_files "$extra/treeB" 6000000 6000000 6000000 6000000
    make_patch "$extra"
fi

# The patch's diff and extra streams, for bzip2 -dc alone.
split_streams() { # DATA
    local header control diff
    header=$(od -An -v -tu8 -j8 -N16 "$1/patch")
    read -r control diff <<<"$header"
    dd if="$1/patch" of="$1/diff.bz2" bs=1M iflag=skip_bytes,count_bytes \
        skip=$((32 + control)) count="$diff" status=none
    dd if="$1/patch" of="$1/extra.bz2" bs=1M iflag=skip_bytes skip=$((32 + control + diff)) \
        status=none
}

# measure LABEL COMMAND...: the median wall seconds (bash's clock, to the
# millisecond) and the peak RSS (/usr/bin/time) of $runs runs; the command
# may use $old, $new, $patch and $out.
measure() {
    local label=$1 times=() peak=0 rss r median start
    shift
    bash -c "$*" >/dev/null # warm-up, and the page cache
    for ((r = 0; r < runs; r++)); do
        rm -f "$out"
        start=$EPOCHREALTIME
        /usr/bin/time -f %M -o "$work/time.txt" bash -c "$*" >/dev/null
        times+=("$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN {printf "%.3f", b - a}')")
        rss=$(tail -n 1 "$work/time.txt")
        [ "$rss" -gt "$peak" ] && peak=$rss
    done
    median=$(printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}')
    printf '  %-26s median %6.3f s (%s), peak RSS %7.1f MB\n' "$label" "$median" \
        "$(printf '%s\n' "${times[@]}" | sort -g | paste -sd ' ')" \
        "$(awk -v k="$peak" 'BEGIN {print k / 1024}')"
    last=$median
}
check() { cmp -s "$out" "$new" || { echo "wrong output of $1" >&2; exit 1; }; }

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
echo "== machine: $(nproc) processors, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')"
echo "== load before: $(cut -d' ' -f1-3 /proc/loadavg); $runs runs each"
for kind in zero-heavy extra-heavy; do
    data=$zero
    [ $kind = extra-heavy ] && data=$extra
    old=$data/old.iso new=$data/new.iso patch=$data/patch out=$data/out
    export old new patch out
    split_streams "$data"
    echo "== $kind: $(stat -c %s "$old") -> $(stat -c %s "$new") bytes, patch $(stat -c %s "$patch")" \
        "(diff stream $(stat -c %s "$data/diff.bz2"), extra stream $(stat -c %s "$data/extra.bz2"))"
    measure "I/O floor (cat, cp)" 'cat "$old" >/dev/null && cp "$new" "$out"'
    floor=$last
    measure "bzip2 -dc diff stream" "bzip2 -dc '$data/diff.bz2'"
    measure "bzip2 -dc extra stream" "bzip2 -dc '$data/extra.bz2'"
    bzextra=$last
    measure "Debian bspatch" '/usr/bin/bspatch "$old" "$out" "$patch"'
    check "Debian bspatch"
    debian=$last
    if [ -n "${BASELINE:-}" ]; then
        measure "baseline $(basename "$BASELINE")" "'$BASELINE' \"\$old\" \"\$out\" \"\$patch\""
        check "the baseline"
    fi
    measure "ours, 1 worker" "BSPATCH_WORKERS=1 '$work/bspatch' \"\$old\" \"\$out\" \"\$patch\""
    check "ours, 1 worker"
    measure "ours, $(nproc) workers" "'$work/bspatch' \"\$old\" \"\$out\" \"\$patch\""
    check "ours, all workers"
    ours=$last
    echo "  ours / I/O floor $(ratio "$ours" "$floor"), ours / bzip2 -dc extra $(ratio "$ours" "$bzextra")," \
        "ours / Debian $(ratio "$ours" "$debian")"
    rm -f "$out"
done
echo "== load after: $(cut -d' ' -f1-3 /proc/loadavg)"
rm -f "$work/time.txt"
