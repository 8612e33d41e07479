#!/bin/bash
# Draws docs/palette-NAME.png for each built-in palette with kroplay's own
# PNG output: a 16x16 grid of 16-pixel swatches, index 16 * row + column.
# Run from the repository root after a build.
set -euo pipefail
cd "$(dirname "$0")/.."
for name in default grey fire ocean rainbow; do
  PALETTE=$name build/kroplay examples/palettes.lua --columns 1 --scale 16 \
    -o "docs/palette-$name.png"
done
