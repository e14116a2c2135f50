# Sourced by the build, run and test scripts: which Windows build runs here,
# one X display, one Wine prefix under build/ and one persistent wineserver.
: "${BRIVOK_ROOT:?}"
export WINEPREFIX="$BRIVOK_ROOT/build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono/Gecko prompts in a fresh prefix

# Wine turns non-ASCII Windows names into Unix file names through the
# locale's character set, and the C locale has none: a name with an "\xE9"
# would then not be found. C.UTF-8 is part of every Debian system, so the
# same locale holds whatever the calling environment sets (or leaves unset).
export LC_ALL=C.UTF-8

# The product is 32-bit and its tests run on it where 32-bit Wine works. Some
# kernels (virtual machines without 32-bit compatibility mode) cannot execute
# 32-bit code at all; there the tests run on a 64-bit build of the same
# sources under wine64, and the 32-bit tree is only compiled, tests included.
# BRIVOK_WINDOWS_TREE=win64 forces the 64-bit branch (to check it on a
# machine that could run either); win32 insists on the product.
brivok_wine32_works() {
    /usr/lib/wine/wine --version >/dev/null 2>&1
}
case "${BRIVOK_WINDOWS_TREE:-}" in
    win64)
        BRIVOK_TEST_TREE="$BRIVOK_ROOT/build/win64"
        BRIVOK_TEST_TREE_REASON="win64 forced by BRIVOK_WINDOWS_TREE"
        ;;
    win32 | "")
        if brivok_wine32_works; then
            BRIVOK_TEST_TREE="$BRIVOK_ROOT/build/win32"
            BRIVOK_TEST_TREE_REASON="32-bit Wine runs here: the tests run on the i686 product"
        elif [ -n "${BRIVOK_WINDOWS_TREE:-}" ]; then
            echo "BRIVOK_WINDOWS_TREE=win32, but 32-bit Wine does not start on this machine" >&2
            return 1 2>/dev/null || exit 1
        else
            BRIVOK_TEST_TREE="$BRIVOK_ROOT/build/win64"
            BRIVOK_TEST_TREE_REASON="32-bit code cannot run on this kernel: the tests run on the x86_64 build; the i686 tree and its tests are only compiled"
        fi
        ;;
    *)
        echo "BRIVOK_WINDOWS_TREE is win32, win64 or unset, not '$BRIVOK_WINDOWS_TREE'" >&2
        return 1 2>/dev/null || exit 1
        ;;
esac
if [ "$BRIVOK_TEST_TREE" = "$BRIVOK_ROOT/build/win32" ]; then
    BRIVOK_WINE=/usr/lib/wine/wine
else
    BRIVOK_WINE=/usr/lib/wine/wine64
    export WINELOADER=$BRIVOK_WINE
fi
export BRIVOK_TEST_TREE BRIVOK_TEST_TREE_REASON BRIVOK_WINE

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
    # Wine draws the caption buttons of its frames with the Marlett font
    # (package fonts-wine) but looks for it only in the prefix's own Fonts
    # folder; without it the buttons read "0 1 r".
    if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
        ln -sfn /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf"
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

# Whether Wine hands its top-level windows to a window manager. The tests'
# bare Xvfb has none, and a managed window that goes away makes Wine's X11
# driver wait up to 2 s for a confirmation that never comes: every test
# program would end 2 s late. Unmanaged windows skip the wait; `make run`
# with a display of its own keeps them managed, so a real window manager
# frames them (a Wine desktop draws its own frames either way).
brivok_wine_managed() {  # Y or N
    "$BRIVOK_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$1" /f >/dev/null 2>&1
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
