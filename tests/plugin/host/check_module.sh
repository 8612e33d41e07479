#!/bin/sh
# Checks a built wavefx module from the outside: it exports exactly the three
# entry points and needs nothing beyond the C runtime: its sine is its own, so
# neither the maths library nor any maths function is imported.
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
    libc.so.*|libasan.so.*|libubsan.so.*) ;;
    *) echo "unexpected dependency: $lib"; exit 1 ;;
  esac
done
maths=$(nm -D --undefined-only "$module" | awk '{print $2}' | sed 's/@.*//' |
  grep -E '^(sin|cos|tan|sincos|exp|log|pow|fmod|remainder)[fl]?$' | tr '\n' ' ' || true)
if [ -n "$maths" ]; then
  echo "maths functions imported: $maths"
  exit 1
fi
echo "exports: $exports; needs: $needed"
