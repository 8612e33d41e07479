#!/bin/bash
# Cross-builds the benchmarks for 32-bit Windows into build-win32-bench/ and
# runs them under Wine: the frame hook against one memcpy of the screen and
# the plug-in's sine against mingw's sin, with the same plug-in code as
# wavefx.dll (SSE2, -O3). Arguments go to both benchmark programs. Google Benchmark has no
# mingw package: its Debian source package is fetched into the build folder
# with a private apt configuration and cross-built there once.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-windows-deps.sh

build=build-win32-bench
deps="$PWD/$build/deps"
prefix="$deps/prefix"
if [[ ! -f "$prefix/lib/libbenchmark.a" ]]; then
  apt="$deps/apt"
  mkdir -p "$apt/sources.list.d" "$apt/lists/partial"
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
    >"$apt/sources.list.d/src.sources"
  options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt/sources.list.d"
    -o "Dir::State::Lists=$apt/lists")
  apt-get "${options[@]}" update -q
  (cd "$deps" && apt-get "${options[@]}" source --download-only benchmark)
  tar -C "$deps" -xzf "$deps"/benchmark_*.orig.tar.gz
  source_dir=$(find "$deps" -maxdepth 1 -type d -name 'benchmark-*' | head -n 1)
  cmake -S "$source_dir" -B "$deps/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" -DBENCHMARK_ENABLE_TESTING=OFF \
    -DBENCHMARK_ENABLE_GTEST_TESTS=OFF -DBENCHMARK_ENABLE_WERROR=OFF \
    -DCMAKE_INSTALL_PREFIX="$prefix"
  cmake --build "$deps/build" -j "$(nproc)"
  cmake --install "$deps/build"
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWAVEFX_BUILD_TESTS=OFF -DWAVEFX_CROSS_BENCH=ON \
  -Dbenchmark_DIR="$prefix/lib/cmake/benchmark"
cmake --build "$build" -j "$(nproc)" --target compose_bench sine_bench

source scripts/wine-env.sh "$build"
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k </dev/null >/dev/null 2>&1 || true' EXIT
wine cmd /c exit </dev/null >/dev/null 2>&1
wine "$build/bench/compose_bench.exe" "$@" </dev/null
wine "$build/bench/sine_bench.exe" "$@" </dev/null
