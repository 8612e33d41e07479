#!/bin/bash
# The playground in a real browser: serves the site (build-web/site) on the
# loopback address and loads its test mode in headless Chromium.
#  - every example and recipe script gives, frame for frame, the hash lines of
#    `kroplay --hash` on the same script, and no page asks another host
#    for anything;
#  - an endless loop is stopped by the time limit, with kroplay's message;
#  - a script error shows its line, also in a script named like an option;
#    a memory bomb ends in Lua's out-of-memory error instead of taking the
#    page down; a bad frames= value is an error;
#  - pictures given by files= lie beside the script: the recipe that loads
#    one gives kroplay's hashes;
#  - the playground itself, as page_checks.mjs lists.
# Usage: tests/web/browser_test.sh KROPLAY [SITE]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
kroplay=$(realpath "$1")
site=$(realpath "${2:-$here/../../build-web/site}")

root=$(mktemp -d)
server=
cleanup() {
  [[ -n $server ]] && kill "$server" 2>/dev/null
  rm -rf "$root"
}
trap cleanup EXIT
# The site, and this suite's scripts beside it.
ln -s "$site"/* "$root/"
cp -r "$here/scripts" "$root/test-scripts"

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$root" >/dev/null 2>&1 &
server=$!
for _ in $(seq 50); do
  python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/index.html')" \
    2>/dev/null && break
  sleep 0.1
done

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
# load QUERY: the page's #hashes into $root/hashes, #error into $root/error.
load() {
  node --experimental-websocket "$here/load_page.mjs" "http://127.0.0.1:$port/index.html?$1" 120000 \
    >"$root/hashes" 2>"$root/error" || fail "$1: $(cat "$root/error")"
}

# The gallery and the recipes loop for ever, as a game does: both sides stop
# after the same number of frames (kroplay then says it stopped the script).
frames=600
for script in "$site"/examples/*.lua "$site"/examples/recipes/*.lua; do
  name=examples/${script#"$site"/examples/}
  # The pictures beside the script, as files= gives them.
  files=$(cd "$site" && find "$(dirname "$name")" -maxdepth 1 \( -name '*.gif' -o -name '*.png' \) |
          sort | paste -sd,)
  load "script=$name&frames=$frames&files=$files"
  status=0
  (cd "$root" && "$kroplay" --hash --max-frames $frames -o "$root/native.gif" "$site/$name" \
    2>/dev/null) >"$root/native" || status=$?
  if ((status != 0)) && ! ((status == 1 && $(wc -l <"$root/native") == frames)); then
    fail "$name: kroplay failed"
  fi
  if ! cmp -s "$root/native" "$root/hashes"; then
    fail "$name: the browser's hashes differ from kroplay's"
    diff "$root/native" "$root/hashes" | head -5 >&2
  else
    echo "ok: $name, $(wc -l <"$root/hashes") frames as kroplay --hash"
  fi
done

# Tuning keys act after the frame on screen, as the same plug-in call made
# by the script there. Actions by their PreviewAction number: 7 tunes the
# amplitude, 13 doubles it.
load "script=test-scripts/tuned.lua&presses=3:7,3:13"
TUNED=1 "$kroplay" --hash -o "$root/tuned.gif" "$here/scripts/tuned.lua" 2>/dev/null >"$root/native" || fail "tuned.lua: kroplay failed"
"$kroplay" --hash -o "$root/plain.gif" "$here/scripts/tuned.lua" 2>/dev/null >"$root/plain" || fail "tuned.lua: kroplay failed"
if ! cmp -s "$root/native" "$root/hashes" || cmp -s "$root/plain" "$root/hashes"; then
  fail "tuning keys: the frames differ from the script making the same call"
fi

load "script=test-scripts/endless.lua&timeout=1"
grep -q "ran longer than 1 s and was stopped" "$root/error" ||
  fail "endless loop: no time-limit message: $(cat "$root/error")"

load "script=test-scripts/error.lua"
grep -q "error.lua:3:" "$root/error" || fail "script error: no line number: $(cat "$root/error")"

# A script whose name starts with '-' is run as a script, not read as an option.
cp "$here/scripts/error.lua" "$root/test-scripts/-error.lua"
load "script=test-scripts/-error.lua"
grep -q -- "-error.lua:3:" "$root/error" || fail "a script named -error.lua: $(cat "$root/error")"

load "script=test-scripts/memory_bomb.lua"
grep -q "not enough memory" "$root/error" ||
  fail "memory bomb: no out-of-memory message: $(cat "$root/error")"

load "script=test-scripts/tuned.lua&frames=ten"
grep -q "frames=ten: not a whole number" "$root/error" ||
  fail "frames=ten: no error: $(cat "$root/error")"

node --experimental-websocket "$here/page_checks.mjs" "http://127.0.0.1:$port/index.html" ||
  fail "the playground page"

if ((failures)); then
  echo "browser tests: $failures failed" >&2
  exit 1
fi
echo "browser tests: all passed"
