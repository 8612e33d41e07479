#!/bin/bash
# Installs the Debian packages the build and the tests need, if any is
# missing. Run as root on a Debian 12 machine.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config file binutils
  libgtest-dev libgmock-dev googletest libbenchmark-dev libmpfr-dev
  liblua5.4-dev libgif-dev gifsicle libpng-dev
  clang libclang-rt-14-dev
  libsdl2-dev xvfb xauth imagemagick xdotool
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
