#!/usr/bin/env bash
# Damaged patches through the program: truncations at many points and
# random byte changes of a patch whose diff and extra blocks hold several
# bzip2 blocks each, decoded on 1 to 3 workers; first the undamaged patch.
# Each run must fail as a corrupt patch (exit code 3, one line naming the
# patch) with NEW as it was and no temporary file beside it, or apply to
# the right new file.
# Usage: damaged_patches.sh EXE WORKDIR [RUNNER]
. "$(dirname "$0")/patch_helpers.sh"

setup several_blocks_patch good 0
size=$(stat -c %s good)
RANDOM=42

# try NAME: applies ./patch with BSPATCH_WORKERS cycling through 1..3.
run=0
try() {
    local name=$1 status=0
    export BSPATCH_WORKERS=$((run % 3 + 1))
    run=$((run + 1))
    printf keep >new
    run_bspatch old new patch || status=$?
    if [ $status -ne 0 ]; then
        refused "$name, $BSPATCH_WORKERS workers" $status 3 new 'patch: '
    elif cmp -s new want; then
        pass "$name (changed nothing)"
    else
        fail "$name" "applied to a wrong new file"
    fi
}

patched "the whole patch" old new good want
for length in 0 32 100 $((size / 7)) $((size / 2)) $((size - 200)) $((size - 1)); do
    setup head -c "$length" good >patch
    try "cut to $length bytes"
done
for round in $(seq 16); do
    setup cp good patch
    for change in 1 2; do
        at=$(((RANDOM * 32768 + RANDOM) % size))
        printf "\\x$(printf %02x $((RANDOM % 256)))" |
            dd of=patch bs=1 seek=$at conv=notrunc status=none
    done
    try "changed bytes, round $round"
done
unset BSPATCH_WORKERS
summary
