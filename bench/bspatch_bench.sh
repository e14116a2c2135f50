#!/usr/bin/env bash
# Benchmark of our bspatch against Debian's, on the same run, on five
# patches made with Debian's bsdiff or by hand, and its memory on two more:
#  - zero-heavy: between two ISO images of about SIZE_MB megabytes (default
#    100) built with xorriso from trees of system files that differ as an
#    update does (every 97th file edited in three places, one file grown, a
#    few removed, five added: 6 MB of new data), so that the diff stream is
#    nearly all runs of zero bytes;
#  - extra-heavy: between an image of a quarter of that tree and one with
#    24 MB of fresh data added, so that the extra stream dominates;
#  - ISO update: two images of about SIZE_MB megabytes of package files
#    (.deb), the second a point release that replaces one package in seven
#    by a new version (a few bytes of its files changed, packed anew), so
#    that its files also move inside the image;
#  - shuffled: an 8 MB file of system files against the same file with its
#    4 KB pieces in another order: reads of the old file jump all the time;
#  - back and forth: a patch made by hand (make_bench_patch.cpp), 200 000
#    one-byte adds that jump back and forth by 2 MB in a 4 MB old file.
# The patches are made once (bsdiff is slow: about 17 times the old size in
# memory) and cached under build/bench.
#
# For each patch it prints the median wall time of RUNS runs (default 5,
# after one warm-up run) and the peak resident memory of: the I/O floor
# (reading OLD with cat, writing NEW with cp, and that with NEW flushed to
# the disk with sync, as ours flushes it), bzip2 -dc of the patch's diff
# and extra streams alone, Debian's bspatch, ours with one worker and ours
# with a worker per processor; then the ratios of the goals, and the load.
# BASELINE=PROGRAM adds another bspatch to compare with (say, a build of an
# earlier revision; on the back-and-forth patch it runs once, as an old
# version may take minutes there).
#
# Progress: ours again with a progress channel kept current, in ordinary
# memory read ten times a second by a second thread (bench/bspatch_progress.cpp;
# the program's own channel is shared memory on Windows only), its median
# against ours without one, and, from one run more, its publications and what
# a clock read and a publication cost.
#
# Memory: the peak RSS of ours with 1, 2 and 16 workers against the bound
# 18 MB + 18.1 MB x N, on two patches made by make_bench_patch.cpp: blocks
# full of false block markers that decode whole, and blocks of run records.
# Not a test: run it by hand, e.g. `bench/bspatch_bench.sh 100`.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
size_mb=${1:-100}
runs=${RUNS:-5}
warm=1
work="$root/build/bench"
mkdir -p "$work"

# Our program, optimised like a Release build; build/native carries the
# sanitizers and would measure them instead.
echo "== building bspatch -O3 into $work"
g++ -std=c++20 -O3 -DNDEBUG -pthread -I"$root/tools/bspatch" "$root"/tools/bspatch/*.cpp \
    -o "$work/bspatch"
g++ -std=c++20 -O3 -DNDEBUG -pthread -I"$root/tools/bspatch" \
    $(ls "$root"/tools/bspatch/*.cpp | grep -v /main.cpp) "$root/bench/bspatch_progress.cpp" \
    -o "$work/bspatch_progress"
g++ -std=c++20 -O2 -I"$root/tests" -I"$root/tests/bspatch" "$root/tests/bspatch/Bzip2Streams.cpp" \
    "$root/tests/bspatch/TestFiles.cpp" "$root/bench/make_bench_patch.cpp" -lbz2 \
    -o "$work/make_bench_patch"

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
    bsdiff_files "$data" old.iso new.iso
}

# bsdiff_files DATA OLD NEW: bsdiff's patch DATA/patch between two files of DATA.
bsdiff_files() {
    echo "== bsdiff of $1/$2 (this takes a while)"
    /usr/bin/time -f "bsdiff: %e s wall, %M KB peak" bsdiff "$1/$2" "$1/$3" "$1/patch.tmp"
    mv "$1/patch.tmp" "$1/patch"
}

# make_packages DIR MB: package files of about MB megabytes, taken from apt's
# cache where it holds enough, else packed with dpkg-deb from the files of
# installed packages; each between 50 KB and 8 MB, in the order of names.
make_packages() {
    local dir=$1 budget=$(($2 * 1024 * 1024)) total=0 f s p stage
    mkdir -p "$dir/pool"
    if [ "$(du -sm /var/cache/apt/archives | cut -f1)" -gt $(($2 * 2)) ]; then
        while IFS= read -r f; do
            s=$(stat -c %s "$f")
            [ $s -lt 51200 ] || [ $s -gt 8388608 ] || [ $((total + s)) -gt $budget ] && continue
            cp "$f" "$dir/pool/"
            total=$((total + s))
            [ $total -gt $((budget - budget / 100)) ] && break
        done < <(find /var/cache/apt/archives -name '*.deb' | sort)
        return
    fi
    stage=$(mktemp -d)
    while IFS= read -r p; do
        rm -rf "$stage/pkg" && mkdir -p "$stage/pkg/DEBIAN"
        dpkg -L "$p" 2>/dev/null | while IFS= read -r f; do
            [ -f "$f" ] && [ ! -L "$f" ] && cp --parents "$f" "$stage/pkg/" 2>/dev/null
        done
        printf 'Package: %s\nVersion: 1.0\nArchitecture: all\nMaintainer: bench <b@example.org>\nDescription: %s\n' \
            "$p" "$p" >"$stage/pkg/DEBIAN/control"
        dpkg-deb -Zxz -b "$stage/pkg" "$dir/pool/${p}_1.0_all.deb" >/dev/null 2>&1 || continue
        s=$(stat -c %s "$dir/pool/${p}_1.0_all.deb")
        if [ $s -lt 51200 ] || [ $s -gt 8388608 ] || [ $((total + s)) -gt $budget ]; then
            rm -f "$dir/pool/${p}_1.0_all.deb"
            continue
        fi
        total=$((total + s))
        [ $total -gt $((budget - budget / 100)) ] && break
    done < <(dpkg-query -W -f '${Package}\n' | sort)
    rm -rf "$stage"
}

# point_release DIR: every 7th package replaced by a new version: three
# places of its largest file changed, its version raised, packed anew.
point_release() {
    local pool=$1/pool files i f stage big s k name
    mapfile -t files < <(find "$pool" -name '*.deb' | sort)
    stage=$(mktemp -d)
    for ((i = 3; i < ${#files[@]}; i += 7)); do
        f=${files[$i]}
        rm -rf "$stage/pkg"
        dpkg-deb -R "$f" "$stage/pkg"
        big=$(find "$stage/pkg" -path "$stage/pkg/DEBIAN" -prune -o -type f -printf '%s %p\n' |
            sort -n | tail -n 1 | cut -d' ' -f2-)
        if [ -n "$big" ]; then
            s=$(stat -c %s "$big")
            for k in 1 2 3; do
                printf 'point release %d' $k |
                    dd of="$big" bs=1 seek=$(((s * k) / 4)) conv=notrunc status=none
            done
        fi
        sed -i 's/^Version: \(.*\)$/Version: \1+u1/' "$stage/pkg/DEBIAN/control"
        name=$(basename "$f" .deb)
        rm -f "$f"
        dpkg-deb -Zxz -b "$stage/pkg" "$pool/${name%%_*}_new+u1.deb" >/dev/null
    done
    rm -rf "$stage"
}

# image_pair DATA DESCRIPTION MAKE EDIT: unless cached, DATA/treeA made by
# the command MAKE, DATA/treeB a copy of it changed by the command EDIT,
# their ISO images and bsdiff's patch.
image_pair() {
    local data=$1
    [ -f "$data/patch" ] && return
    mkdir -p "$data"
    echo "== $2"
    $3 "$data/treeA"
    cp -a "$data/treeA" "$data/treeB"
    $4 "$data/treeB"
    make_patch "$data"
}
whole_tree() { make_tree "$1" "$size_mb"; }
quarter_tree() { make_tree "$1" $((size_mb / 4)); }
update_tree() { edit_tree "$1" && add_files "$1" 400000 800000 1200000 1600000 2000000; }
grow_tree() { edit_tree "$1" && add_files "$1" 6000000 6000000 6000000 6000000; }
all_packages() { make_packages "$1" "$size_mb"; }

zero="$work/data-$size_mb"
image_pair "$zero" "zero-heavy: two trees of about $size_mb MB from /usr" whole_tree update_tree
extra="$work/extra-$size_mb"
image_pair "$extra" "extra-heavy: a tree of about $((size_mb / 4)) MB and one with 24 MB added" \
    quarter_tree grow_tree
iso="$work/iso-$size_mb"
image_pair "$iso" "ISO update: package files of about $size_mb MB, one in seven replaced" \
    all_packages point_release
shuffled="$work/shuffled"
if [ ! -f "$shuffled/patch" ]; then
    mkdir -p "$shuffled"
    echo "== shuffled: 8 MB of system files, its 4 KB pieces in another order"
    make_tree "$shuffled/tree" 9
    find "$shuffled/tree" -type f | sort | xargs cat >"$shuffled/all.bin"
    head -c 8388608 "$shuffled/all.bin" >"$shuffled/old.bin"
    rm -rf "$shuffled/tree" "$shuffled/all.bin"
    perl -e 'srand(11); local $/ = \4096; my @p = <STDIN>;
        for (my $i = @p - 1; $i > 0; $i--) { my $j = int(rand($i + 1)); @p[$i, $j] = @p[$j, $i] }
        print @p' <"$shuffled/old.bin" >"$shuffled/new.bin"
    bsdiff_files "$shuffled" old.bin new.bin
fi
jumps="$work/back-and-forth"
if [ ! -f "$jumps/patch" ]; then
    mkdir -p "$jumps"
    echo "== back and forth: 200 000 one-byte adds, jumping 2 MB each way"
    "$work/make_bench_patch" back-and-forth "$jumps/old.bin" "$jumps/patch"
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
    [ "$warm" = 1 ] && bash -c "$*" >/dev/null # warm-up, and the page cache
    for ((r = 0; r < runs; r++)); do
        # No dirty data of an earlier run for a flush of this one to wait for.
        rm -f "$out" && sync
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
# How much more the first takes than the second, in per cent.
more() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%+.1f %%", (a / b - 1) * 100}'; }
echo "== machine: $(nproc) processors, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')"
echo "== load before: $(cut -d' ' -f1-3 /proc/loadavg); $runs runs each"
for kind in zero-heavy extra-heavy iso-update shuffled back-and-forth; do
    case $kind in
        zero-heavy) data=$zero old=$data/old.iso new=$data/new.iso ;;
        extra-heavy) data=$extra old=$data/old.iso new=$data/new.iso ;;
        iso-update) data=$iso old=$data/old.iso new=$data/new.iso ;;
        shuffled) data=$shuffled old=$data/old.bin new=$data/new.bin ;;
        back-and-forth) data=$jumps old=$data/old.bin new=$data/new.bin ;;
    esac
    patch=$data/patch out=$data/out
    export old new patch out
    [ -f "$new" ] || /usr/bin/bspatch "$old" "$new" "$patch"
    split_streams "$data"
    echo "== $kind: $(stat -c %s "$old") -> $(stat -c %s "$new") bytes, patch $(stat -c %s "$patch")" \
        "(diff stream $(stat -c %s "$data/diff.bz2"), extra stream $(stat -c %s "$data/extra.bz2"))"
    measure "I/O floor (cat, cp)" 'cat "$old" >/dev/null && cp "$new" "$out"'
    floor=$last
    # Ours flushes NEW to the disk before it replaces the old one; so does this.
    measure "I/O floor with fsync" 'cat "$old" >/dev/null && cp "$new" "$out" && sync "$out"'
    durable=$last
    measure "bzip2 -dc diff stream" "bzip2 -dc '$data/diff.bz2'"
    measure "bzip2 -dc extra stream" "bzip2 -dc '$data/extra.bz2'"
    bzextra=$last
    measure "Debian bspatch" '/usr/bin/bspatch "$old" "$out" "$patch"'
    check "Debian bspatch"
    debian=$last
    if [ -n "${BASELINE:-}" ]; then
        saved=$runs
        [ $kind = back-and-forth ] && runs=1 warm=0
        measure "baseline $(basename "$BASELINE")" "'$BASELINE' \"\$old\" \"\$out\" \"\$patch\""
        runs=$saved warm=1
        check "the baseline"
    fi
    measure "ours, 1 worker" "BSPATCH_WORKERS=1 '$work/bspatch' \"\$old\" \"\$out\" \"\$patch\""
    check "ours, 1 worker"
    one=$last
    measure "ours, $(nproc) workers" "'$work/bspatch' \"\$old\" \"\$out\" \"\$patch\""
    check "ours, all workers"
    ours=$last
    measure "ours, reporting progress" "'$work/bspatch_progress' \"\$old\" \"\$out\" \"\$patch\""
    check "ours, reporting progress"
    reporting=$last
    echo "  reporting: $(BENCH_PROGRESS_STATS=1 "$work/bspatch_progress" "$old" "$out" "$patch" 2>&1)"
    echo "  ours / I/O floor $(ratio "$ours" "$floor") (with fsync $(ratio "$ours" "$durable")," \
        "ours / bzip2 -dc extra $(ratio "$ours" "$bzextra")," \
        "ours / Debian $(ratio "$ours" "$debian"), 1 worker / $(nproc) workers $(ratio "$one" "$ours")," \
        "reporting progress $(more "$reporting" "$ours")"
    rm -f "$out"
done

# Peak RSS in MB of one run: PROGRAM WORKERS OLD PATCH.
peak_mb() {
    BSPATCH_WORKERS=$2 /usr/bin/time -f %M -o "$work/time.txt" "$1" "$3" "$work/mem.out" "$4"
    awk -v k="$(tail -n 1 "$work/time.txt")" 'BEGIN {printf "%.1f", k / 1024}'
}
echo "== memory: peak RSS against the bound 18 MB + 18.1 MB x N"
for kind in false-blocks records; do
    [ -f "$work/$kind.patch" ] ||
        "$work/make_bench_patch" $kind "$work/$kind.old" "$work/$kind.patch"
    line="  $kind:"
    for n in 1 2 16; do
        line+=" N=$n $(peak_mb "$work/bspatch" $n "$work/$kind.old" "$work/$kind.patch") MB"
        [ -n "${BASELINE:-}" ] &&
            line+=" (baseline $(peak_mb "$BASELINE" $n "$work/$kind.old" "$work/$kind.patch"))"
        line+=" of $(awk -v n=$n 'BEGIN {printf "%.1f", 18 + 18.1 * n}');"
    done
    echo "$line"
done
echo "== load after: $(cut -d' ' -f1-3 /proc/loadavg)"
rm -f "$work/time.txt" "$work/mem.out"
