# Shared by the shell tests of bspatch: building patches by hand and
# running the program natively or under Wine.

# One patch integer: 8 bytes little-endian, sign and magnitude.
put_offset() {
    local value=$1 sign=0 i byte
    if [ "$value" -lt 0 ]; then
        sign=128
        value=$((-value))
    fi
    for i in 0 1 2 3 4 5 6 7; do
        byte=$(((value >> (8 * i)) & 255))
        [ $i -eq 7 ] && byte=$((byte | sign))
        printf "\\x$(printf %02x $byte)"
    done
}

# build_patch OUT NEWSIZE CONTROL DIFF EXTRA: the three raw blocks are
# files; they are compressed with the bzip2 tool here.
build_patch() {
    local out=$1 newsize=$2
    bzip2 -9 -c "$3" >"$out.c"
    bzip2 -9 -c "$4" >"$out.d"
    bzip2 -9 -c "$5" >"$out.e"
    {
        printf 'BSDIFF40'
        put_offset "$(stat -c %s "$out.c")"
        put_offset "$(stat -c %s "$out.d")"
        put_offset "$newsize"
        cat "$out.c" "$out.d" "$out.e"
    } >"$out"
    rm -f "$out.c" "$out.d" "$out.e"
}

# The path that the program sees: Z: and backslashes under Wine.
program_path() {
    if [ -n "$wine" ]; then
        local p=$1
        [ "${p#/}" = "$p" ] && p=$PWD/$p
        p=${p//\//\\}
        printf 'Z:%s' "$p"
    else
        printf '%s' "$1"
    fi
}

# run_bspatch OLD NEW PATCH: runs the program; its stderr goes to ./stderr.
run_bspatch() {
    local status=0
    if [ -n "$wine" ]; then
        "$wine" "$exe" "$(program_path "$1")" "$(program_path "$2")" "$(program_path "$3")" \
            2>stderr >/dev/null || status=$?
    else
        "$exe" "$1" "$2" "$3" 2>stderr >/dev/null || status=$?
    fi
    return $status
}

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "ok   $1"; }
fail() { failed=$((failed + 1)); echo "FAIL $1: $2"; }
summary() {
    echo "$passed passed, $failed failed"
    [ $failed -eq 0 ]
}
