#!/bin/bash
# Every Lua block of the README and of the pages in docs/ runs as written:
# each is saved as a script beside copies of the pictures in examples/ (as
# the README has its reader save it there) and recorded by kroplay, which
# must succeed. A block that is not meant to run needs another language tag.
#   bash tests/examples/doc_blocks_test.sh KROPLAY
set -uo pipefail
kroplay=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
blocks=0 failed=0
for page in "$root/README.md" "$root"/docs/*.md; do
  name=${page#"$root/"}
  # block-N.lua holds the page's N-th Lua block.
  rm -rf "$scratch/page" && mkdir "$scratch/page"
  awk -v out="$scratch/page/block-" '
    /^```lua$/ { n++; inside = 1; next }
    /^```/ { inside = 0 }
    inside { print > (out n ".lua") }' "$page"
  for block in "$scratch/page"/block-*.lua; do
    [ -e "$block" ] || continue
    blocks=$((blocks + 1))
    run=$scratch/run && rm -rf "$run" && mkdir "$run"
    cp "$block" "$run/" && cp "$root"/examples/*.png "$run/"
    if ! (cd "$run" && "$kroplay" --timeout 60 "$(basename "$block")" >/dev/null 2>"$run/err"); then
      echo "FAILED: $name, Lua $(basename "$block" .lua): $(cat "$run/err")"
      failed=$((failed + 1))
    fi
  done
done
if [ "$blocks" -eq 0 ]; then
  echo "FAILED: no Lua block found in the README or docs/"
  exit 1
fi
[ "$failed" -eq 0 ] || exit 1
echo "PASSED: $blocks Lua blocks"
