#!/bin/bash
# Cross-builds wavefx.dll and the test suites for 32-bit Windows into
# build-win32/ and runs them under Wine through CTest, in a Wine prefix of
# the build folder's own. Installs the cross compiler and Wine if missing.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-windows-deps.sh

jobs=$(nproc)
build=build-win32

cmake --preset win32

# The same settings as the tests' (cmake/wine.env), for the Wine server and
# the prefix set-up below.
source scripts/wine-env.sh "$build"
mkdir -p "$WINEPREFIX"
# Start Wine's server and helper processes here, detached from every output
# pipe: started inside CTest (or the build's test discovery) they would
# inherit its pipe and keep it open for ever.
# (One already running for this prefix, left by a run by hand, serves too.)
wineserver -p </dev/null >/dev/null 2>&1 || true
trap 'wineserver -k </dev/null >/dev/null 2>&1 || true' EXIT
wine cmd /c exit </dev/null >/dev/null 2>&1

cmake --build --preset win32 -j "$jobs"
# A test that outlives its time (a Wine process left waiting) fails instead
# of stalling the run.
ctest --preset win32 -j "$jobs"
