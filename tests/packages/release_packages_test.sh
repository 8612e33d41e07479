#!/bin/bash
# Makes the release packages with cpack and checks each: its SHA-256 file
# verifies, it holds exactly the files listed here (from the source tree's
# docs/ and examples/), every relative link of its Markdown documents
# leads to a file inside it, and
#   win32: README.txt has Windows line ends and the files it names exist,
#          both binaries carry the version resource of VERSION, and
#          kroplay.exe an icon;
#   linux: the Debian package has no maintainer scripts, installs the
#          manual page, and, unpacked elsewhere, runs kroplay --version
#          and kroplay --check without --plugin.
#   release_packages_test.sh CMAKE CPACK CPACK_CONFIG OUTPUT_DIR \
#                            win32|linux-x86_64 VERSION kroplay|no-kroplay
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cmake=$1 cpack=$2 config=$3 output=$4 platform=$5 version=$6 with_kroplay=$7

work=$(mktemp -d /tmp/wavefx-packages-XXXXXX)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}

# The files below a folder of the source tree, prefixed with `prefix`.
source_files() { # folder prefix
  (cd "$root/$1" && find . -type f | sed "s|^\./|$2|")
}

# Lists the expected files of a package, one per line.
expected_archive() {
  local suffix
  if [ "$platform" = win32 ]; then suffix=.exe; else suffix=; fi
  [ "$platform" = win32 ] && echo wavefx.dll && echo wavefx-trace.dll && echo README.txt
  [ "$platform" = win32 ] || printf '%s\n' wavefx.so wavefx-trace.so
  [ "$with_kroplay" = kroplay ] && echo "kroplay$suffix"
  printf '%s\n' README.md LICENSE include/kro_abi.h
  source_files docs docs/
  # Without the shell scripts on Windows.
  source_files examples examples/ | { [ "$platform" = win32 ] && grep -v '\.sh$' || cat; }
}
expected_deb() {
  local doc=usr/share/doc/wavefx/
  printf '%s\n' usr/lib/wavefx/plugin/wavefx.so usr/lib/wavefx/plugin/wavefx-trace.so \
    usr/include/wavefx/kro_abi.h "${doc}README.md" \
    "${doc}copyright"
  [ "$with_kroplay" = kroplay ] && echo usr/bin/kroplay usr/share/man/man1/kroplay.1 | tr ' ' '\n'
  source_files docs "${doc}docs/"
  source_files examples "${doc}examples/"
}

# Every relative link target of the Markdown files below `tree` exists and
# lies inside `tree`.
check_links() { # tree package
  local doc target file
  while IFS= read -r doc; do
    while IFS= read -r target; do
      file=$(realpath -m "$(dirname "$doc")/${target%%#*}")
      case "$file" in
      "$1"/*) [ -e "$file" ] || fail "$2: ${doc#$1/} links to $target, which it does not hold" ;;
      *) fail "$2: ${doc#$1/} links to $target, outside the package" ;;
      esac
    done < <(grep -oE '\]\([^)]+\)' "$doc" | sed -E 's/^\]\(//; s/\)$//' |
      grep -vE '^([a-z]+:|#)')
  done < <(find "$1" -name '*.md')
}

compare() { # package expected actual
  if ! diff <(sort "$2") <(sort "$3") >"$work/diff"; then
    fail "$1 holds other files than expected (< missing, > extra):"
    sed 's/^/  /' "$work/diff"
  fi
}

rm -rf "$output"
if ! "$cpack" --config "$config" -B "$output" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  fail "cpack failed"
  exit 1
fi

# Archive: one folder named after the package, holding everything.
name=wavefx-$version-$platform
if [ "$platform" = win32 ]; then archive=$name.zip; else archive=$name.tar.gz; fi
packages=("$archive")
[ "$platform" = win32 ] || packages+=("wavefx_${version}_amd64.deb")

for package in "${packages[@]}"; do
  if [ ! -f "$output/$package" ]; then
    fail "cpack did not make $package"
    continue
  fi
  (cd "$output" && sha256sum --quiet -c "$package.sha256") ||
    fail "$package.sha256 does not verify $package"
done

unpacked=$work/archive
mkdir "$unpacked"
"$cmake" -E chdir "$unpacked" "$cmake" -E tar xf "$output/$archive" || fail "cannot unpack $archive"
top=$unpacked/$name
(cd "$unpacked" && find . -type f ! -path "./$name/*") >"$work/outside"
[ -s "$work/outside" ] && fail "$archive holds files outside $name/: $(cat "$work/outside")"
expected_archive >"$work/expected"
(cd "$top" && find . -type f | sed 's|^\./||') >"$work/actual"
compare "$archive" "$work/expected" "$work/actual"
check_links "$top" "$archive"

if [ "$platform" = win32 ]; then
  readme=$top/README.txt
  if grep -q $'[^\r]$\|^$' "$readme"; then
    fail "README.txt has lines without Windows line ends"
  fi
  # The files and folders it names, such as docs\script-api.md.
  for named in $(tr -d '\r' <"$readme" | grep -oE '\b(docs|examples|include)\\[A-Za-z0-9_.-]+'); do
    [ -e "$top/${named//\\//}" ] || fail "README.txt names $named, which the zip does not hold"
  done
  # The version resources, decompiled.
  for binary in wavefx.dll wavefx-trace.dll kroplay.exe; do
    [ -f "$top/$binary" ] || continue
    i686-w64-mingw32-windres -J coff -O rc -i "$top/$binary" -o "$work/$binary.rc" 2>/dev/null
    numbers="${version//./, }, 0"
    grep -q "FILEVERSION $numbers" "$work/$binary.rc" &&
      grep -q "PRODUCTVERSION $numbers" "$work/$binary.rc" &&
      grep -q "VALUE \"ProductVersion\", \"$version\"" "$work/$binary.rc" &&
      grep -q "VALUE \"OriginalFilename\", \"$binary\"" "$work/$binary.rc" &&
      grep -q "VALUE \"LegalCopyright\", \"Copyright" "$work/$binary.rc" ||
      fail "$binary has no version resource of $version: $(cat "$work/$binary.rc")"
  done
  # Explorer shows kroplay.exe with our icon.
  if [ -f "$top/kroplay.exe" ] && ! grep -q "RT_GROUP_ICON" "$work/kroplay.exe.rc"; then
    fail "kroplay.exe has no icon"
  fi
else
  deb=$output/wavefx_${version}_amd64.deb
  dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' >"$work/actual"
  expected_deb >"$work/expected"
  compare "${deb##*/}" "$work/expected" "$work/actual"
  dpkg-deb -f "$deb" Depends | grep -q "liblua5.4" || fail "the Debian package declares no Lua"
  # The plug-in's folder is private: nothing for ldconfig to do.
  dpkg-deb -I "$deb" | grep -qE '^ +[0-9]+ bytes, +[0-9]+ lines +\*? *(postinst|postrm) ' &&
    fail "the Debian package has maintainer scripts: $(dpkg-deb -I "$deb" | grep -E 'post(inst|rm)')"
  mkdir "$work/deb"
  dpkg-deb -x "$deb" "$work/deb"
  check_links "$work/deb/usr/share/doc/wavefx" "${deb##*/}"
  if [ "$with_kroplay" = kroplay ]; then
    kroplay=$work/deb/usr/bin/kroplay
    "$kroplay" --version | grep -q "^kroplay $version " ||
      fail "kroplay --version does not print $version: $("$kroplay" --version 2>&1)"
    if ! "$kroplay" --check >"$work/check" 2>&1; then
      fail "the unpacked kroplay --check fails: $(tail -n 3 "$work/check")"
    elif ! grep -q "^ok - $work/deb/usr/lib/wavefx/plugin/wavefx.so loads" "$work/check"; then
      fail "the unpacked kroplay --check did not load its own plug-in: $(head -n 1 "$work/check")"
    fi
  fi
fi

[ "$failed" = 0 ] && echo "PASSED: ${packages[*]}"
exit "$failed"
