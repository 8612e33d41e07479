#!/bin/bash
# The test command: installs what is missing, builds, and runs every suite,
# first in an optimised build, then under AddressSanitizer and
# UndefinedBehaviorSanitizer. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)

echo "== release build and tests (build/)"
cmake --preset dev
cmake --build --preset dev -j "$jobs"
ctest --preset dev -j "$jobs"

echo "== sanitizer build and tests (build-asan/)"
cmake --preset asan
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"

echo "== browser playground: WebAssembly site, hashes in headless Chromium (build-web/)"
bash scripts/build-web.sh
bash tests/web/browser_test.sh build/kroplay build-web/site

echo "== fuzzer over host action sequences: regression inputs, then 60 s (build-fuzz/)"
bash scripts/fuzz.sh 60

echo "== 32-bit Windows DLL and test suites under Wine (build-win32/)"
bash scripts/test-windows.sh
