#!/usr/bin/env bash
# The program on a failing or unusual file system, through an LD_PRELOAD
# shim (io_shim.c): reads of the patch that fail or come up short anywhere
# in it, on 4 workers; a file system that refuses to extend a file over a
# run of zeros; the flush of the new file before it replaces NEW, and of the
# folder after; SIGTERM and SIGINT in the middle of a run; the permission
# bits of an existing NEW; a NEW name of 250 bytes. Native Linux only.
# Usage: io_faults.sh EXE WORKDIR SHIM
. "$(dirname "$0")/patch_helpers.sh" "$1" "$2"
shim=$3
# The shim comes before the sanitizer's run-time library.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0

# with_shim VAR=VALUE... -- OLD NEW PATCH: runs the program under the shim;
# stderr to ./stderr, the exit code returned (124 if it hangs).
with_shim() {
    local vars=()
    while [ "$1" != -- ]; do vars+=("$1"); shift; done
    shift
    env LD_PRELOAD="$shim" "${vars[@]}" timeout 60 "$exe" "$@" 2>stderr >/dev/null
}

# A dozen blocks, with a run of 300 KB of zeros in the extra block, which
# is extended over where the file system lets it.
setup several_blocks_patch patch 300000
size=$(stat -c %s patch)

export BSPATCH_WORKERS=4
for mode in eio short; do
    for at in 0 20 40 100 $((size / 9)) $((size / 4)) $((size / 3)) $((size / 2)) \
        $((size * 2 / 3)) $((size - 5000)) $((size - 1)); do
        printf keep >new
        status=0
        with_shim BSPATCH_SHIM_FILE=patch BSPATCH_SHIM_FAIL_AT=$at BSPATCH_SHIM_MODE=$mode \
            -- old new patch || status=$?
        refused "patch read fails ($mode) at $at of $size" $status 2 new \
            'patch: read failed: \(Input/output error\|unexpected end of file\)$'
    done
done
unset BSPATCH_WORKERS

rm -f log
with_shim BSPATCH_SHIM_NO_EXTEND=1 BSPATCH_SHIM_LOG=log -- old new patch
if [ $? -ne 0 ] || ! cmp -s new want; then
    fail "a file that refuses to grow" "exit code or output wrong: $(cat stderr)"
elif ! grep -q '^refused-ftruncate ' log; then
    fail "a file that refuses to grow" "the shim refused nothing"
else
    pass "a file that refuses to grow gets its zeros written"
fi

rm -f log new
with_shim BSPATCH_SHIM_LOG=log -- old new patch
if ! cmp -s new want; then
    fail "flush before rename" "output wrong: $(cat stderr)"
elif ! awk -v dir="$PWD" '
        $1 == "fsync" && $2 ~ /\/new\.[0-9]+-0\.tmp$/ && state == 0 { state = 1 }
        $1 == "rename" && $2 ~ /^new\.[0-9]+-0\.tmp$/ && $3 == "new" && state == 1 { state = 2 }
        $1 == "fsync" && $2 == dir && state == 2 { state = 3 }
        END { exit state == 3 ? 0 : 1 }' log; then
    fail "flush before rename" "calls: $(tr '\n' ';' <log)"
else
    pass "the file is flushed, renamed, then its folder flushed"
fi

# A run stopped by a signal while it reads the patch, the temporary file
# written; job control keeps SIGINT from being ignored in the background.
set -m
for signal in TERM INT; do
    printf keep >new
    rm -f patch.stalled
    LD_PRELOAD="$shim" BSPATCH_SHIM_FILE=patch BSPATCH_SHIM_FAIL_AT=$((size / 2)) \
        BSPATCH_SHIM_MODE=stall "$exe" old new patch 2>stderr &
    pid=$!
    for ((i = 0; i < 600; i++)); do
        [ -e patch.stalled ] || ! kill -0 $pid 2>/dev/null && break
        sleep 0.1
    done
    kill -$signal $pid 2>/dev/null
    status=0
    wait $pid || status=$?
    want_status=$((128 + $(kill -l $signal)))
    if [ $status -ne $want_status ]; then
        fail "SIG$signal" "exit status $status, wanted $want_status"
    elif [ "$(cat new)" != keep ] || ls | grep -q '\.tmp$'; then
        fail "SIG$signal" "NEW changed or a temporary file left"
    else
        pass "SIG$signal ends the run without a temporary file"
    fi
done
set +m

for mode in 755 600; do
    printf keep >new
    chmod $mode new
    patched "an existing NEW of mode $mode" old new patch want
    [ "$(stat -c %a new)" = $mode ] && pass "mode $mode kept" || fail "mode $mode" "now $(stat -c %a new)"
done

long=$(printf 'n%.0s' $(seq 250))
patched "a NEW name of 250 bytes" old "$long" patch want
ls | grep -q '\.tmp$' && fail "a NEW name of 250 bytes" "a temporary file left"
summary
