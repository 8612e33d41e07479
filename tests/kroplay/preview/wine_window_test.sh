#!/bin/bash
# kroplay.exe --window under Wine on Xvfb: the window appears on the X
# screen, titled with the script, shows the same frames as a recording run
# (by their --hash lines), and --quit-after closes it with status 0.
#   wine_window_test.sh KROPLAY SCRIPTS_DIR RUNNER...
# Exits 77 (skipped) when Xvfb or xwininfo is missing.
set -u
kroplay=$(realpath "$1") scripts=$(realpath "$2")
shift 2
runner=("$@")

for tool in xvfb-run Xvfb xauth xwininfo; do
  command -v "$tool" >/dev/null || {
    echo "SKIPPED: $tool is not installed"
    exit 77
  }
done

if [ "${INNER:-}" != 1 ]; then
  work=$(mktemp -d /tmp/kroplay-wine-window-XXXXXX)
  trap 'rm -rf "$work"' EXIT
  cd "$work" || exit 1
  INNER=1 xvfb-run -a -n $((100 + $$ % 500)) -s "-screen 0 1024x768x24" \
    bash "$(realpath "$0")" "$kroplay" "$scripts" "${runner[@]}"
  exit $?
fi

fail() {
  echo "FAILED: $*"
  sed 's/^/  stderr: /' win.err 2>/dev/null
  exit 1
}

"${runner[@]}" "$kroplay" "$scripts/window_still.lua" --size 64x40 -o ref.gif --hash 2>ref.err |
  tr -d '\r' >ref.hash
[ -s ref.hash ] || fail "the recording run failed: $(cat ref.err)"

"${runner[@]}" "$kroplay" --window "$scripts/window_still.lua" --size 64x40 --scale 3 \
  --quit-after 4 --hash 2>win.err | tr -d '\r' >win.hash &
window=$!
seen=
for _ in $(seq 100); do
  id=$(xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "kroplay - window_still.lua.*/\1/p')
  if [ -n "$id" ] && xwininfo -id "$id" | grep -q "Map State: IsViewable"; then
    seen=1
    break
  fi
  sleep 0.1
done
wait "${window}"
status=$?
[ -n "$seen" ] || fail "no kroplay window showed on the X screen within 10 s"
[ "$status" = 0 ] || fail "kroplay --window --quit-after exited with $status"
grep -q "window_still.lua ended after 12 frames" win.err || fail "the script did not run to its end"
diff ref.hash win.hash || fail "the window run's frame hashes differ from the recording run's"
echo "PASSED"
