#!/bin/sh
# Checks a built wavefx module from the outside: it exports exactly the three
# entry points and needs nothing beyond the C runtime and its maths library.
set -eu
module=$1
exports=$(nm -D --defined-only "$module" | awk '{print $3}' | LC_ALL=C sort | tr '\n' ' ')
if [ "$exports" != "kroend krolibrary kromain " ]; then
  echo "unexpected exports: $exports"
  exit 1
fi
needed=$(readelf -d "$module" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | LC_ALL=C sort | tr '\n' ' ')
for lib in $needed; do
  case $lib in
    libc.so.*|libm.so.*|libasan.so.*|libubsan.so.*) ;;
    *) echo "unexpected dependency: $lib"; exit 1 ;;
  esac
done
echo "exports: $exports; needs: $needed"
