#!/usr/bin/env bash
# Builds the tool and starts it under Wine. With a display it simply runs;
# without one it shows the tool on a private Xvfb for a few seconds and saves
# a screenshot.
set -euo pipefail
export BRIVOK_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$BRIVOK_ROOT"

"$BRIVOK_ROOT/scripts/setup.sh"
"$BRIVOK_ROOT/scripts/build.sh" --product
. "$BRIVOK_ROOT/scripts/wine-env.sh"
exe="$BRIVOK_TEST_TREE/BrivokPatch.exe"
if [ "$BRIVOK_TEST_TREE" != "$BRIVOK_ROOT/build/win32" ]; then
    echo "Running the 64-bit build of the tool under wine64 ($BRIVOK_TEST_TREE_REASON)."
fi

if [ -n "${DISPLAY:-}" ]; then
    brivok_start_wine
    brivok_wine_managed Y
    exec "$BRIVOK_WINE" "$exe"
fi

brivok_start_display --private
trap brivok_stop_all EXIT
brivok_start_wine
# Wine's virtual desktop named "shell" has a task bar, which shows the
# tool's button with its title.
"$BRIVOK_WINE" explorer /desktop=shell,800x600 "$exe" >/dev/null 2>&1 &
sleep 6
mkdir -p build/screenshots
import -window root build/screenshots/run.png
echo "The tool ran on a private display; screenshot: build/screenshots/run.png"
