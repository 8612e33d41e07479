#!/bin/bash
# Fetches the Debian source packages of the libraries the cross builds
# compile (the versions this machine's Debian release ships) and unpacks
# each, with Debian's patches applied, into .cache/debian-sources/NAME/.
# Arguments: the packages (by default those kroplay.exe is built from; the
# WebAssembly build asks for its own). A package already unpacked is not
# fetched again.
#
# The source entries come from the machine's own apt sources, turned into
# deb-src entries in a private apt folder under the cache: the system's apt
# configuration is left as it is.
set -euo pipefail
cd "$(dirname "$0")/.."

cache=$PWD/.cache/debian-sources
packages=("$@")
((${#packages[@]})) || packages=(lua5.4 giflib libsdl2 libpng1.6)

missing=()
for p in "${packages[@]}"; do
  [[ -f $cache/$p/.unpacked ]] || missing+=("$p")
done
((${#missing[@]})) || exit 0

apt_dir=$cache/apt
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial"
system_sources=/etc/apt/sources.list.d/debian.sources
if [[ ! -r $system_sources ]]; then
  echo "fetch-debian-sources: $system_sources not found: no Debian source entries to derive" >&2
  exit 1
fi
sed 's/^Types: deb$/Types: deb-src/' "$system_sources" >"$apt_dir/sources.list.d/src.sources"
apt_options=(-o Dir::Etc::SourceList=/dev/null
             -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
             -o "Dir::State::Lists=$apt_dir/lists"
             -o Dir::Etc::Preferences=/dev/null
             -o Dir::Etc::PreferencesParts=/dev/null)
apt-get -q "${apt_options[@]}" update

for p in "${missing[@]}"; do
  echo "fetching the source of $p"
  download=$cache/download/$p
  rm -rf "$download" "${cache:?}/$p"
  mkdir -p "$download"
  # Newest first; an archive may list a version whose files it no longer
  # serves, so the next one is tried.
  fetched=
  for version in $(apt-cache "${apt_options[@]}" showsrc "$p" | sed -n 's/^Version: //p' |
                   sort -rV | uniq); do
    if (cd "$download" && apt-get -q "${apt_options[@]}" source --download-only "$p=$version"); then
      fetched=$version
      break
    fi
    rm -f "$download"/*
  done
  if [[ -z $fetched ]]; then
    echo "fetch-debian-sources: no version of the source package $p could be fetched" >&2
    exit 1
  fi
  dsc=$(ls "$download"/*.dsc)
  # Unpacks into a fresh folder, applying Debian's patches.
  (cd "$download" && dpkg-source --no-check -x "$dsc" "$cache/$p" >/dev/null)
  basename "$dsc" .dsc >"$cache/$p/.unpacked"
  rm -rf "$download"
done
rm -f "$cache"/*.orig.tar.*
rmdir "$cache/download" 2>/dev/null || true
