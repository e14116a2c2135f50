#!/usr/bin/env bash
# Benchmark of our bspatch against Debian's on one patch between two ISO
# images of about SIZE_MB megabytes (default 200) built with xorriso from two
# trees of system files that differ as an update does: a few files edited in
# places, one replaced, some added, some removed. The patch is made with
# Debian's bsdiff (slow: it needs about 17 times the old size in memory).
#
# Prints, for each program, the median wall time of RUNS runs (default 5)
# and the peak resident memory from /usr/bin/time -v, then the time ratio.
# Not a test: run it by hand, e.g. `bench/bspatch_bench.sh 200`.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
size_mb=${1:-200}
runs=${RUNS:-5}
work="$root/build/bench"
data="$work/data-$size_mb"
mkdir -p "$work" "$data"

# Our program, optimised like a Release build; build/native carries the
# sanitizers and would measure them instead.
echo "== building bspatch -O3 into $work"
g++ -std=c++20 -O3 -DNDEBUG -pthread -I"$root/tools/bspatch" "$root"/tools/bspatch/{Bzip2Decoder,PatchStream,BsPatch,FileIo,main}.cpp -o "$work/bspatch"

if [ ! -f "$data/patch" ]; then
    echo "== making two trees of about $size_mb MB from /usr"
    rm -rf "$data/treeA" "$data/treeB"
    mkdir -p "$data/treeA"
    budget=$((size_mb * 1024 * 1024))
    total=0
    n=0
    # Regular files of 4 KB..8 MB in a fixed order, until the size is reached.
    while IFS= read -r f; do
        s=$(stat -c %s "$f")
        [ $((total + s)) -gt $budget ] && continue
        n=$((n + 1))
        mkdir -p "$data/treeA/d$((n / 200))"
        cp "$f" "$data/treeA/d$((n / 200))/$n-$(basename "$f")"
        total=$((total + s))
        [ $total -gt $((budget - budget / 100)) ] && break
    done < <(find /usr/lib /usr/share /usr/bin -type f -size +4k -size -8M 2>/dev/null | sort)
    cp -a "$data/treeA" "$data/treeB"

    mapfile -t files < <(find "$data/treeB" -type f | sort)
    count=${#files[@]}
    # Edits: every 97th file gets a few scattered blocks rewritten.
    for ((i = 0; i < count; i += 97)); do
        f=${files[$i]}
        s=$(stat -c %s "$f")
        for k in 1 2 3; do
            dd if=/dev/urandom of="$f" bs=1 count=$((16 + k * 40)) seek=$(((s * k) / 4)) \
                conv=notrunc status=none
        done
    done
    # One file replaced by a longer one, some removed, some added.
    head -c 300000 /dev/urandom >>"${files[$((count / 2))]}"
    for ((i = 13; i < count; i += 401)); do rm -f "${files[$i]}"; done
    mkdir -p "$data/treeB/new"
    for k in 1 2 3 4 5; do head -c $((k * 400000)) /dev/urandom >"$data/treeB/new/added$k"; done

    echo "== making the ISO images"
    xorriso -as mkisofs -quiet -R -o "$data/old.iso" "$data/treeA" 2>/dev/null
    xorriso -as mkisofs -quiet -R -o "$data/new.iso" "$data/treeB" 2>/dev/null
    rm -rf "$data/treeA" "$data/treeB"
    echo "== bsdiff (this takes a while)"
    /usr/bin/time -f "bsdiff: %e s wall, %M KB peak" bsdiff "$data/old.iso" "$data/new.iso" "$data/patch.tmp"
    mv "$data/patch.tmp" "$data/patch"
fi
ls -l "$data/old.iso" "$data/new.iso" "$data/patch" | awk '{print $5, $9}'

# measure NAME PROGRAM: median wall seconds and peak RSS (KB) of $runs runs.
measure() {
    local name=$1 program=$2 times=() peak=0
    "$program" "$data/old.iso" "$data/out" "$data/patch"  # warm the page cache
    cmp -s "$data/out" "$data/new.iso" || { echo "$name: wrong output" >&2; exit 1; }
    for ((r = 0; r < runs; r++)); do
        rm -f "$data/out"
        /usr/bin/time -v -o "$data/time.txt" "$program" "$data/old.iso" "$data/out" "$data/patch"
        times+=("$(awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, p, ":"); s = 0;
                   for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s}' "$data/time.txt")")
        local rss
        rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$data/time.txt")
        [ "$rss" -gt "$peak" ] && peak=$rss
    done
    cmp -s "$data/out" "$data/new.iso" || { echo "$name: wrong output" >&2; exit 1; }
    local median
    median=$(printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}')
    printf '%-16s median %6.2f s of %d runs (%s), peak RSS %7.1f MB\n' "$name" "$median" "$runs" \
        "${times[*]}" "$(awk -v k="$peak" 'BEGIN {print k / 1024}')"
    eval "${3}=$median"
}

echo "== bspatch, $runs runs each"
measure "Debian bspatch" /usr/bin/bspatch classic
measure "our bspatch" "$work/bspatch" ours
printf 'ratio ours / Debian: %.2f\n' "$(awk -v a="$ours" -v b="$classic" 'BEGIN {print a / b}')"
rm -f "$data/out" "$data/time.txt"
