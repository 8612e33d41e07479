#!/bin/bash
# The gallery's scenes (scripts/gallery.sh over examples/gallery.lua) make
# the frames they made when the pictures were kept: every frame's hash, and
# the frames each seamless loop kept, against tests/examples/gallery.hash. After a deliberate change of the
# effects or of the gallery, render both again:
#   bash scripts/gallery.sh
#   bash scripts/gallery.sh --hash build/kroplay >tests/examples/gallery.hash
set -uo pipefail
kroplay=$1
here=$(cd "$(dirname "$0")" && pwd)
made=$(bash "$here/../../scripts/gallery.sh" --hash "$kroplay") || {
  echo "FAILED: scripts/gallery.sh --hash failed"
  exit 1
}
if ! diff <(echo "$made") "$here/gallery.hash"; then
  echo "FAILED: the gallery's frames differ from the kept hashes (lines < made, > kept)"
  exit 1
fi
echo "PASSED: $(grep -c " frame " "$here/gallery.hash") frames"
