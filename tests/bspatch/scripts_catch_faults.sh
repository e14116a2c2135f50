#!/usr/bin/env bash
# The shell tests must be able to fail. Run with a stand-in that fails every
# patch (false) and one that claims success and writes nothing (true), each
# script must exit non-zero and print failures, and with false it must
# report false's real exit code, 1.
# Usage: scripts_catch_faults.sh WORKDIR SHIM (the shim of io_faults.sh)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$1
shim=$2
rm -rf "$work" && mkdir -p "$work" || exit 1
status=0
for script in round_trips damaged_patches sparse_4gib io_faults; do
    extra=()
    [ $script = io_faults ] && extra=("$shim")
    for stand_in in false true; do
        log=$work/$script-$stand_in.log
        code=0
        bash "$here/$script.sh" "$(command -v $stand_in)" "$work/$script-$stand_in" "${extra[@]}" \
            >"$log" 2>&1 || code=$?
        if [ $code -eq 77 ]; then
            echo "skipped: $script ($(tail -n 1 "$log"))"
        elif [ $code -eq 0 ] || ! grep -q '^FAIL ' "$log"; then
            echo "NOT CAUGHT: $script with $stand_in (exit code $code)"
            status=1
        elif [ $stand_in = false ] && ! grep -q 'exit code 1\b' "$log"; then
            echo "NOT CAUGHT: $script with false: no 'exit code 1' in its failures"
            status=1
        else
            echo "caught: $script with $stand_in ($(grep -c '^FAIL ' "$log") failures)"
        fi
    done
done
rm -rf "$work"/*/
exit $status
