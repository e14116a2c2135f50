#!/usr/bin/env bash
# The whole test run: native tests under the sanitizers, then the Windows
# tests under Wine on a private Xvfb display. Ends with ctest's summary line.
set -uo pipefail
export BRIVOK_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$BRIVOK_ROOT"

"$BRIVOK_ROOT/scripts/setup.sh" || exit 1
"$BRIVOK_ROOT/scripts/build.sh" || exit 1
. "$BRIVOK_ROOT/scripts/wine-env.sh"

status=0
echo "== native tests"
(cd build/native && ctest -j "$(nproc)" --output-on-failure) || status=1

brivok_start_display --private || exit 1
trap brivok_stop_all EXIT
brivok_start_wine
brivok_wine_managed N
# The resolution tests set the prefix's LogPixels for each start of the
# tool and put it back; one cut off in between would leave it for every
# test after it. The tests start at 96 dpi.
"$BRIVOK_WINE" reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true

# Wine's processes talk to wineserver in many short round trips, and on a
# virtual machine each wake of an idle processor is slow: with a request for
# no idle latency held while they run, the Windows tests take half the time
# (measured: 134 s against 71 s). Without the right to ask, nothing changes.
# The request lasts as long as the file stays open: a process of its own
# holds it until this script ends, however it ends, and nothing that the
# tests start inherits it.
if [ -w /dev/cpu_dma_latency ]; then
    (printf '\0\0\0\0' && exec tail --pid=$$ -f /dev/null) 2>/dev/null >/dev/cpu_dma_latency &
    latency_request=$!
    trap 'kill $latency_request 2>/dev/null; brivok_stop_all' EXIT
fi

echo "== Windows tests under Wine in $(basename "$BRIVOK_TEST_TREE") ($BRIVOK_TEST_TREE_REASON)"
# Serial: the GUI tests share one display and the keyboard focus.
(cd "$BRIVOK_TEST_TREE" && ctest --output-on-failure) || status=1
exit $status
