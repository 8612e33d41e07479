#!/bin/bash
# Renders the built-in wavefx demo: installs whatever is missing, builds the
# plug-in and kroplay into build/, and writes demo.gif in the repository
# root. Run as root on a Debian 12 machine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake --preset dev
cmake --build --preset dev -j "$(nproc)" --target kroplay

build/kroplay -o demo.gif
echo
echo "The demo is at $(pwd)/demo.gif (open it in a web browser or an image viewer)."
