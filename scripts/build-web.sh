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
# The page whose table of script functions the page's reference shows.
function_table_doc=docs/script-api.md
rm -rf "$site"
mkdir -p "$site/examples/recipes"
# The editor from the npm registry, at the versions web/package-lock.json
# pins, bundled into one file.
(cd web && npm ci --no-audit --no-fund --silent && OUT="../$site/editor.js" npm run -s bundle)
cp web/src/style.css "$site/"
# The page's function reference: the docs' table, taken at build time.
python3 scripts/function-table.py "$function_table_doc" <web/src/index.html >"$site/index.html"
cp build-wasm/web/wavefx.wasm "$site/"
# The page (page.js and the modules it imports, bundled into one file), the
# worker and the module's loader, minified by the same esbuild.
web/node_modules/.bin/esbuild --bundle --format=esm --minify --log-level=warning web/src/page.js \
  --outfile="$site/page.js"
for script in web/src/worker.js build-wasm/web/wavefx.js; do
  web/node_modules/.bin/esbuild --minify --log-level=warning "$script" --outfile="$site/${script##*/}"
done
cp examples/*.lua "$site/examples/"
cp examples/recipes/*.lua examples/recipes/*.gif "$site/examples/recipes/"
# The examples the page offers, and the pictures beside them by folder.
(cd "$site/examples" && python3 -c '
import glob, json, os
pictures = {}
for p in sorted(glob.glob("**/*.gif", recursive=True) + glob.glob("**/*.png", recursive=True)):
    pictures.setdefault(os.path.dirname(p), []).append(p)
print(json.dumps({"scripts": sorted(glob.glob("*.lua")) + sorted(glob.glob("recipes/*.lua")),
                  "pictures": pictures}))') >"$site/examples/index.json"

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
