#!/bin/bash
# Builds the browser playground into build-web/site/: the WebAssembly module
# (the `wasm` preset), the page and its scripts, and the examples. Installs
# Debian's Emscripten (and Chromium, for the browser tests) where they are
# missing, and fetches the Debian source packages the module's libraries
# are compiled from.
# Serve it with: python3 -m http.server -d build-web/site 8000 --bind 127.0.0.1
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
command -v emcc >/dev/null || missing+=(emscripten)
command -v npm >/dev/null || missing+=(npm)
command -v chromium >/dev/null || missing+=(chromium)
if ((${#missing[@]})); then
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi
bash scripts/fetch-debian-sources.sh lua5.4 giflib libpng1.6 zlib

# Debian's emcc runs on the system's node, which must find Debian's modules.
export NODE_PATH=/usr/share/nodejs
cmake --preset wasm >/dev/null
cmake --build --preset wasm -j2

site=build-web/site
rm -rf "$site"
mkdir -p "$site/examples/recipes"
# The editor from the npm registry, at the versions web/package-lock.json
# pins, bundled into one file.
(cd web && npm ci --no-audit --no-fund --silent && OUT="../$site/editor.js" npm run -s bundle)
cp web/src/index.html web/src/style.css "$site/"
cp build-wasm/web/wavefx.wasm "$site/"
# The page's scripts and the module's loader, minified by the same esbuild.
for script in web/src/page.js web/src/worker.js build-wasm/web/wavefx.js; do
  web/node_modules/.bin/esbuild --minify --log-level=warning "$script" --outfile="$site/${script##*/}"
done
cp examples/*.lua "$site/examples/"
# The recipes too, but those that load a picture: the page has no files to
# give them.
for recipe in examples/recipes/*.lua; do
  grep -q 'load_picture\|load_background' "$recipe" || cp "$recipe" "$site/examples/recipes/"
done
# The examples the page offers.
(cd "$site/examples" && ls -- *.lua recipes/*.lua) | python3 -c 'import json, sys; print(json.dumps(sys.stdin.read().split()))' \
  >"$site/examples/index.json"

# The site must stay small enough to load at once: every file, gzipped as
# a server would send it.
limit=400000
size=0
while IFS= read -r -d '' file; do
  size=$((size + $(gzip -9 -c "$file" | wc -c)))
done < <(find "$site" -type f -print0)
if ((size > limit)); then
  echo "build-web: the site is $size bytes gzipped, over the $limit-byte limit" >&2
  exit 1
fi
echo "build-web: wrote $site ($size bytes gzipped)"
