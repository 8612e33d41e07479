#!/bin/bash
# The sample host runs against the plug-in in an empty folder and writes
# its four frames there, each a 64x48 PGM, the ripple moving from one frame
# to the next.
#   sample_host_test.sh HOST PLUGIN [RUNNER...]
set -u
host=$(realpath "$1") plugin=$(realpath "$2")
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
if ! "$@" "$host" "$plugin"; then
  echo "FAILED: the sample host failed"
  exit 1
fi
header=$'P5 64 48 255\n'
for frame in 0 1 2 3; do
  size=$(stat -c %s "frame-$frame.pgm" 2>/dev/null) || {
    echo "FAILED: frame-$frame.pgm not written"
    exit 1
  }
  if [ "$size" -ne $((${#header} + 64 * 48)) ] || [ "$(head -c ${#header} "frame-$frame.pgm")" != "${header%$'\n'}" ]; then
    echo "FAILED: frame-$frame.pgm is not a 64x48 PGM"
    exit 1
  fi
done
if cmp -s frame-0.pgm frame-1.pgm; then
  echo "FAILED: the ripple did not move between frames 0 and 1"
  exit 1
fi
echo "PASSED: four frames"
