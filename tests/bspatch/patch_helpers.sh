# Shared by the shell tests of bspatch: building patches by hand and
# running the program natively, under Wine or under qemu-i386-static.
# Sourced with the script's arguments, EXE WORKDIR [RUNNER] (RUNNER: the
# path of wine or qemu); the script then runs in a fresh WORKDIR.
set -uo pipefail
exe=$1
work=$2
runner=${3:-}
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1

# put_offset VALUE...: patch integers, 8 bytes little-endian each, sign and
# magnitude.
put_offset() {
    local value sign i byte
    for value; do
        sign=0
        [ "$value" -lt 0 ] && sign=128 && value=$((-value))
        for i in 0 1 2 3 4 5 6 7; do
            byte=$(((value >> (8 * i)) & 255))
            [ $i -eq 7 ] && byte=$((byte | sign))
            printf "\\x$(printf %02x $byte)"
        done
    done
}

# assemble_patch OUT NEWSIZE CONTROL.bz2 DIFF.bz2 EXTRA.bz2: the three blocks
# as they are.
assemble_patch() {
    {
        printf 'BSDIFF40'
        put_offset "$(stat -c %s "$3")"
        put_offset "$(stat -c %s "$4")"
        put_offset "$2"
        cat "$3" "$4" "$5"
    } >"$1"
}

# build_patch OUT NEWSIZE CONTROL DIFF EXTRA [LEVEL]: the three raw blocks
# are files; they are compressed with the bzip2 tool here, at level 9 (as
# bsdiff does: 900 000 symbols a block) or LEVEL.
build_patch() {
    local out=$1 newsize=$2 level=${6:-9}
    bzip2 -$level -c "$3" >"$out.c" && bzip2 -$level -c "$4" >"$out.d" &&
        bzip2 -$level -c "$5" >"$out.e" &&
        assemble_patch "$out" "$newsize" "$out.c" "$out.d" "$out.e"
    local status=$?
    rm -f "$out.c" "$out.d" "$out.e"
    return $status
}

# several_blocks_patch OUT ZEROS: the files old and want, and the patch OUT
# between them, made by hand (bsdiff is slow) and compressed at level 1
# (100 000 symbols a block): 300 KB of diff bytes, every 7th one not zero
# (three bzip2 blocks, as they are not runs), 450 KB of new bytes (five
# extra blocks) and ZEROS zero bytes, then 100 KB of the old file unchanged.
several_blocks_patch() {
    local out=$1 zeros=$2
    head -c 400000 /dev/urandom >old && head -c 450000 /dev/urandom >extra &&
        head -c "$zeros" /dev/zero >>extra || return 1
    perl -e 'srand(7); print pack("C", $_ % 7 ? 0 : 1 + int(rand(255))) for 0 .. 299999;
        print "\0" x 100000' >diff || return 1
    perl -e 'open(my $o, "<:raw", "old"); open(my $d, "<:raw", "diff"); binmode STDOUT;
        read($o, my $a, 300000); read($d, my $b, 300000);
        print pack("C*", map { (ord(substr($a, $_, 1)) + ord(substr($b, $_, 1))) & 255 } 0 .. 299999)' \
        >changed || return 1
    put_offset 300000 $((450000 + zeros)) 0 100000 0 0 >control
    {
        head -c 300000 changed
        cat extra
        tail -c 100000 old
    } >want
    build_patch "$out" $((850000 + zeros)) control diff extra 1
}

# The path that the program sees: Z: and backslashes under Wine.
program_path() {
    local p=$1
    if [[ ${runner##*/} == *wine* ]]; then
        [ "${p#/}" = "$p" ] && p=$PWD/$p
        p=Z:${p//\//\\}
    fi
    printf '%s' "$p"
}

# run_bspatch OLD NEW PATCH: runs the program; its stderr goes to ./stderr
# and its exit code is returned.
run_bspatch() {
    ${runner:+"$runner"} "$exe" "$(program_path "$1")" "$(program_path "$2")" \
        "$(program_path "$3")" 2>stderr >/dev/null
}

# patched NAME OLD NEW PATCH WANT: checks a run that must succeed: exit
# code 0 and NEW equal to WANT, byte for byte.
patched() {
    local name=$1 status=0
    run_bspatch "$2" "$3" "$4" || status=$?
    if [ $status -ne 0 ]; then
        fail "$name" "exit code $status: $(cat stderr)"
    elif ! cmp -s "$3" "$5"; then
        fail "$name" "output differs"
    else
        pass "$name"
    fi
}

# refused NAME STATUS CODE NEW [PATTERN]: checks a run that must fail: its
# exit code STATUS is CODE, one line on stderr names the problem (and
# matches PATTERN), NEW (which held "keep") is as it was and no temporary
# file is left.
refused() {
    local name=$1 status=$2 code=$3 new=$4 pattern=${5:-}
    if [ "$status" -ne "$code" ]; then
        fail "$name" "exit code $status, wanted $code: $(cat stderr)"
    elif [ "$(wc -l <stderr)" -ne 1 ] || ! grep -q "^bspatch: .*$pattern" stderr; then
        fail "$name" "message: $(cat stderr)"
    elif [ "$(cat "$new")" != keep ] || ls | grep -q '\.tmp$'; then
        fail "$name" "NEW changed or a temporary file left"
    else
        pass "$name ($(cut -c1-100 stderr))"
    fi
}

# setup COMMAND...: a step that the checks need; a failure ends the script.
# The message goes to stderr, as stdout may be redirected into a file.
setup() {
    "$@" || {
        echo "FAIL setup: $* (exit code $?)" >&2
        exit 1
    }
}

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "ok   $1"; }
fail() { failed=$((failed + 1)); echo "FAIL $1: $2"; }
summary() {
    echo "$passed passed, $failed failed"
    [ $failed -eq 0 ] && [ $passed -gt 0 ]
}
echo "program: $exe${runner:+ under $runner}"
