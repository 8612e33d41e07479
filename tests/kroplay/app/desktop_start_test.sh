#!/bin/bash
# kroplay.exe started as Explorer starts it, under Wine on Xvfb: cmd's
# `start` opens it through the shell in a console of its own, as a
# double-click or a dropped file does.
#   - with no script it previews the built-in demo (here with --quit-after);
#   - a dropped script that fails shows in the window's title and in a
#     message box, while the preview goes on;
#   - an error before the window shows in a message box that kroplay waits
#     on, and ends it with the usual status once closed;
#   - from a console (a plain `wine kroplay.exe`) nothing changes:
#     --quit-after without --window is still a bad command line.
#   desktop_start_test.sh KROPLAY SCRIPTS_DIR RUNNER...
# Exits 77 (skipped) when Xvfb, xwininfo or xdotool is missing.
set -u
kroplay=$(realpath "$1") scripts=$(realpath "$2")
shift 2
runner=("$@")

for tool in xvfb-run Xvfb xauth xwininfo xdotool; do
  command -v "$tool" >/dev/null || {
    echo "SKIPPED: $tool is not installed"
    exit 77
  }
done

if [ "${INNER:-}" != 1 ]; then
  work=$(mktemp -d /tmp/kroplay-desktop-XXXXXX)
  trap 'rm -rf "$work"' EXIT
  cd "$work" || exit 1
  INNER=1 xvfb-run -a -n $((100 + $$ % 500)) -s "-screen 0 1024x768x24" \
    bash "$(realpath "$0")" "$kroplay" "$scripts" "${runner[@]}"
  exit $?
fi

failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}

# The Windows name of a Unix path, on Wine's drive Z:.
windows_path() {
  local path=$1
  echo "Z:${path//\//\\}"
}

# Starts kroplay.exe as Explorer would, with the arguments given, in the
# background, within a time limit; its status is then `wait $started`.
# The arguments must hold no spaces: Wine's start passes quotes on as
# characters. (`wine start` itself would not find the display when Wine's
# server was started without one, as the test command starts it.)
start_from_desktop() {
  local command="start \"\" /wait \"$(windows_path "$kroplay")\" $*"
  timeout 60 "${runner[@]}" cmd /v:on /c "$command & exit !errorlevel!" &
  started=$!
}

# The id of the first viewable window whose title matches the extended
# regular expression $1 (anchored), within 15 s; empty if none.
find_window() {
  local id
  for _ in $(seq 60); do
    for id in $(xwininfo -root -tree | sed -nE "s/^ *(0x[0-9a-f]+) \"($1)\":.*/\1/p"); do
      if xwininfo -id "$id" | grep -q "Map State: IsViewable"; then
        echo "$id"
        return
      fi
    done
    sleep 0.25
  done
}

# Double-click: the demo in the preview window.
start_from_desktop --quit-after 4
[ -n "$(find_window 'kroplay - demo - .*')" ] || fail "no preview of the demo showed"
wait "$started"
status=$?
[ "$status" = 0 ] || fail "the demo's preview exited with $status"

# A dropped script that fails: the error in the title and in a box, which
# leaves the preview running until --quit-after closes it.
start_from_desktop "$(windows_path "$scripts/syntax_error.lua")" --quit-after 6
[ -n "$(find_window 'kroplay - syntax_error.lua - .*error: .*unexpected symbol.*')" ] ||
  fail "the script's error did not show in the preview's title"
[ -n "$(find_window 'kroplay')" ] || fail "no message box showed the script's error"
wait "$started"
status=$?
[ "$status" = 0 ] || fail "the failing script's preview exited with $status"

# A script that is not there: a box, which kroplay waits on; closed with
# its OK button (centred at the bottom), kroplay exits with status 1.
start_from_desktop 'Z:\nowhere\missing.lua'
box=$(find_window 'kroplay')
if [ -z "$box" ]; then
  fail "no message box showed that the script is missing"
else
  sleep 1
  kill -0 "$started" 2>/dev/null || fail "kroplay did not wait for its message box to close"
  width=$(xwininfo -id "$box" | sed -n 's/^ *Width: //p')
  height=$(xwininfo -id "$box" | sed -n 's/^ *Height: //p')
  xdotool mousemove --window "$box" $((width / 2)) $((height - 20)) click 1
fi
wait "$started"
status=$?
[ "$status" = 1 ] || fail "kroplay exited with $status after the missing script's box, not 1"

# From a console, as before.
"${runner[@]}" "$kroplay" --quit-after 4 >/dev/null 2>console.err
status=$?
[ "$status" = 2 ] && grep -q -- "--quit-after needs --window" console.err ||
  fail "from a console, --quit-after alone gave status $status: $(cat console.err)"

[ "$failed" = 0 ] && echo "PASSED"
exit "$failed"
