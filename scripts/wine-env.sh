# Sourced by the build, run and test scripts: which Windows build runs here,
# one X display, one Wine prefix under build/ and one persistent wineserver.
: "${BRIVOK_ROOT:?}"
export WINEPREFIX="$BRIVOK_ROOT/build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono/Gecko prompts in a fresh prefix

# The product is 32-bit. Some kernels (virtual machines without 32-bit
# compatibility mode) cannot execute 32-bit code at all, and then 32-bit Wine
# cannot start; there the tests run on a 64-bit build of the same sources
# under wine64.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    BRIVOK_TEST_TREE="$BRIVOK_ROOT/build/win32"
    BRIVOK_WINE=/usr/lib/wine/wine
else
    BRIVOK_TEST_TREE="$BRIVOK_ROOT/build/win64"
    BRIVOK_WINE=/usr/lib/wine/wine64
    export WINELOADER=$BRIVOK_WINE
fi
export BRIVOK_TEST_TREE BRIVOK_WINE

brivok_started_xvfb=""
brivok_started_wineserver=""
brivok_start_display() {
    if [ -n "${DISPLAY:-}" ] && [ "${1:-}" != "--private" ]; then
        return 0
    fi
    local n=91
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    brivok_started_xvfb=$!
    export DISPLAY=":$n"
    for _ in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.1
    done
    echo "Xvfb did not start on :$n" >&2
    return 1
}

brivok_start_wine() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        "$BRIVOK_WINE" wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
    # Drive D: for the tests that need a second drive.
    mkdir -p "$BRIVOK_ROOT/build/drive-d/dl"
    ln -sfn "$BRIVOK_ROOT/build/drive-d" "$WINEPREFIX/dosdevices/d:"
    # A server already running for this prefix (another run of ours) is
    # shared, and left running at the end.
    if wineserver -p 2>/dev/null; then
        brivok_started_wineserver=1
    fi
    "$BRIVOK_WINE" cmd /c exit >/dev/null 2>&1 || true
}

brivok_stop_all() {
    if [ -n "$brivok_started_wineserver" ]; then
        wineserver -k >/dev/null 2>&1 || true
    fi
    if [ -n "$brivok_started_xvfb" ]; then
        kill "$brivok_started_xvfb" 2>/dev/null || true
        wait "$brivok_started_xvfb" 2>/dev/null || true
    fi
}
