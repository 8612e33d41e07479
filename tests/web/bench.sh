#!/bin/bash
# The playground's speed against native kroplay: the same script's whole run
# (script, frame hook, GIF recording), frames per second in headless
# Chromium over frames per second of `kroplay --hash`; then the time from
# the playground's start to its first frame.
# Usage: tests/web/bench.sh KROPLAY SCRIPT_IN_SITE [SITE]   (e.g. examples/demo.lua)
# SIZE=WxH in the environment runs both at that screen size.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
kroplay=$(realpath "$1")
script=$2
site=$(realpath "${3:-$here/../../build-web/site}")
work=$(mktemp -d)
server=
trap '[[ -n $server ]] && kill $server; rm -rf "$work"' EXIT

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$site" >/dev/null 2>&1 &
server=$!
sleep 1

start=$(date +%s.%N)
frames=$("$kroplay" --hash ${SIZE:+--size "$SIZE"} -o "$work/native.gif" "$site/$script" 2>/dev/null |
         wc -l)
native=$(python3 -c "import sys; print($frames / ($(date +%s.%N) - $start))")
browser=$(node --experimental-websocket "$here/load_page.mjs" \
            "http://127.0.0.1:$port/index.html?script=$script&bench=1&size=${SIZE:-}" 120000 2>&1 >/dev/null |
          sed -n 's/.*, \([0-9.]*\) frames\/s$/\1/p')
python3 -c "print(f'$script ${SIZE:-320x200}: browser {$browser:.0f} frames/s, native {$native:.0f} frames/s, ratio {$browser / $native:.2f}')"
# The playground itself, a fresh browser profile: from the page's start to
# its first frame drawn (the built-in example, live).
node --experimental-websocket "$here/load_page.mjs" "http://127.0.0.1:$port/index.html?bench=1" 60000 \
  2>&1 >/dev/null | grep 'first frame after'
