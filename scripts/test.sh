#!/bin/bash
# The test command: installs what is missing, builds, and runs every suite,
# first in an optimised build, then under AddressSanitizer and
# UndefinedBehaviorSanitizer. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)

echo "== release build and tests (build/)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build -j "$jobs" --output-on-failure

echo "== sanitizer build and tests (build-asan/)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DWAVEFX_SANITIZE=ON \
  -DWAVEFX_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan -j "$jobs" --output-on-failure

echo "== fuzzer over host action sequences: regression inputs, then 60 s (build-fuzz/)"
bash scripts/fuzz.sh 60

echo "== 32-bit Windows DLL and test suites under Wine (build-win32/)"
bash scripts/test-windows.sh
