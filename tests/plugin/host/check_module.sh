#!/bin/sh
# Checks a built wavefx module from the outside: it exports exactly the three
# entry points and needs nothing beyond the C runtime: its sine is its own, so
# neither the maths library nor any maths function is imported, and it
# allocates nothing. A release module (second argument "release") also
# imports nothing that aborts: its debug assertions are compiled out.
# Usage: check_module.sh MODULE release|debug
set -eu
module=$1
build=$2
exports=$(nm -D --defined-only "$module" | awk '{print $3}' | LC_ALL=C sort | tr '\n' ' ')
if [ "$exports" != "kroend krolibrary kromain " ]; then
  echo "unexpected exports: $exports"
  exit 1
fi
needed=$(readelf -d "$module" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | LC_ALL=C sort | tr '\n' ' ')
for lib in $needed; do
  case $lib in
    libc.so.*|libasan.so.*|libubsan.so.*) ;;
    *) echo "unexpected dependency: $lib"; exit 1 ;;
  esac
done
. "$(dirname "$0")/forbidden_imports.sh"
imported=$(nm -D --undefined-only "$module" | awk '{print $2}' | sed 's/@.*//')
check_no_maths "$imported"
check_no_allocation_or_abort "$imported" "$build"
echo "exports: $exports; needs: $needed"
