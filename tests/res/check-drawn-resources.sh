#!/bin/sh
# The committed pictures must be what scripts/draw-resources.py draws, so
# that a change of the drawing is never lost or left half done.
set -eu
root="$1"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
python3 "$root/scripts/draw-resources.py" "$out"
status=0
for file in BrivokPatch.ico JvFilenameEditGLYPH.bmp JvFilenameEditXPGLYPH.bmp; do
    cmp "$out/$file" "$root/src/res/$file" || status=1
done
exit $status
