#!/bin/bash
# Installs the 32-bit Windows cross compiler and Wine, if missing, and
# fetches the Debian sources of kroplay.exe's libraries (once; see
# fetch-debian-sources.sh). Wine for 32-bit programs comes from Debian's
# i386 architecture, added first. Run as root on a Debian 12 machine; asks
# nothing.
set -euo pipefail

# dpkg-dev unpacks source packages; zlib is the one library Debian ships
# built for mingw; Xvfb and xwininfo serve the window test under Wine.
packages=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 googletest wine wine32:i386
          dpkg-dev libz-mingw-w64-dev xvfb xauth x11-utils)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "adding the i386 architecture"
  dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})) || [[ -n ${need_update:-} ]]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
fi
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

bash "$(dirname "$0")/fetch-debian-sources.sh"
