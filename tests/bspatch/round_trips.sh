#!/usr/bin/env bash
# Round trips of the program (bspatch.exe under Wine, the 32-bit build under
# qemu-i386-static, or the native one) against patches made here by Debian's
# bsdiff, and its failure classes on the platform's file layer.
# Usage: round_trips.sh EXE WORKDIR [RUNNER]
. "$(dirname "$0")/patch_helpers.sh"

# round_trip NAME OLD NEW: makes the patch with bsdiff (or by hand for an
# empty file, which bsdiff cannot map) and checks the output byte for byte.
round_trip() {
    local name=$1
    if ! cp "$2" old || ! cp "$3" new; then
        fail "$name" "cannot copy the inputs"
        return
    fi
    if [ ! -s old ] || [ ! -s new ]; then
        : >control && : >diff && cp new extra
        [ -s new ] && put_offset 0 "$(stat -c %s new)" 0 >control
        build_patch patch "$(stat -c %s new)" control diff extra
    else
        bsdiff old new patch
    fi || {
        fail "$name" "cannot make the patch"
        return
    }
    rm -f out
    patched "$name" old out patch new
}

# Inputs: random data with edits, text, executables, ISO images.
setup head -c 400000 /dev/urandom >random
setup cp random random.edited
printf 'inserted bytes' | setup dd of=random.edited bs=1 seek=1000 conv=notrunc status=none
head -c 5000 /dev/urandom >>random.edited
setup cat /usr/share/common-licenses/GPL-3 /usr/share/common-licenses/Apache-2.0 >text
setup sed -e 's/License/Licence/g' -e '50,60d' text >text.edited
mkdir -p treeA/docs treeB/docs
for i in 1 2 3 4; do
    head -c 60000 /dev/urandom >treeA/docs/blob$i
    cp treeA/docs/blob$i treeB/docs/blob$i
done
cp text treeA/docs/text && cp text.edited treeB/docs/text
head -c 20000 /dev/urandom >treeB/docs/added
setup xorriso -as mkisofs -quiet -o a.iso treeA
setup xorriso -as mkisofs -quiet -o b.iso treeB
head -c 300000 /dev/urandom >half1 && head -c 300000 /dev/urandom >half2
cat half1 half2 >halves && cat half2 half1 >swapped
printf A >byteA && printf B >byteB && : >empty

round_trip "random with edits" random random.edited
round_trip "text with edits" text text.edited
round_trip "executables" /usr/bin/ls /usr/bin/dir
round_trip "ISO images" a.iso b.iso
round_trip "large negative seeks" halves swapped
round_trip "one byte" byteA byteB
round_trip "empty old" empty text
round_trip "empty new" text empty

# NEW may name the patch itself: it is read completely before it is replaced.
setup bsdiff text text.edited selfpatch
patched "NEW is PATCH" text selfpatch selfpatch text.edited

# Failures: the class's exit code, one line naming the file, NEW untouched,
# no temporary file left beside it.
setup bsdiff text text.edited good
expect_failure() { # NAME CODE OLD NEW PATCH
    local status=0
    printf keep >existing
    run_bspatch "$3" "$4" "$5" || status=$?
    refused "$1" $status "$2" existing
}
setup head -c 100 good >truncated
setup head -c $(($(stat -c %s good) - 10)) good >truncated2
expect_failure "truncated header" 3 text existing truncated
expect_failure "truncated block" 3 text existing truncated2
expect_failure "missing old" 2 nothing existing good
expect_failure "NEW is OLD" 1 existing existing good
expect_failure "NEW in a missing folder" 2 text no/such/new good
summary
