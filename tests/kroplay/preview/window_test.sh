#!/bin/bash
# The preview window under Xvfb, checked from outside through screenshots of
# the X screen:
#   window_test.sh screenshot KROPLAY SCRIPTS_DIR
#     the window shows, scaled, exactly the frame a recording run writes
#     for the same frame number, and --hash agrees with the recording run;
#     after screen() changes the size, the window follows, scaled alike;
#   window_test.sh reload KROPLAY SCRIPTS_DIR
#     saving the script shows the new script's frames; a broken save leaves
#     the last good frame on screen and the window open;
#   window_test.sh quit KROPLAY SCRIPTS_DIR
#     --quit-after ends the preview within a second whatever the script
#     does: swallowing the quit, removing the hook, looping in a finalizer
#     (where Lua runs no hook), leaving no output file behind;
#   window_test.sh tune KROPLAY SCRIPTS_DIR
#     real key presses (xdotool) tune the ripple: the title shows the call
#     that reproduces it, C prints that call, H shows the keys, Q quits.
# Exits 77 (skipped) when Xvfb, ImageMagick, xdotool (tune) or the window
# build is missing.
set -u
mode=$1 kroplay=$2 scripts=$3

skip() {
  echo "SKIPPED: $*"
  exit 77
}
fail() {
  echo "FAILED: $*"
  [ -f win.err ] && sed 's/^/  stderr: /' win.err
  exit 1
}

# Waits up to 15 s until `file` has at least `count` lines matching
# `pattern`; fails if kroplay (pid $window) is gone before.
wait_for() {
  local pattern=$1 file=$2 count=$3
  for _ in $(seq 150); do
    found=$(grep -c -- "$pattern" "$file" 2>/dev/null)
    [ "${found:-0}" -ge "$count" ] && return 0
    kill -0 "$window" 2>/dev/null || fail "kroplay ended while waiting for '$pattern'"
    sleep 0.1
  done
  fail "no '$pattern' (x$count) on stderr after 15 s"
}

# The image of `gif` on screen while the script's frame `index` shows, at
# index x 2/100 s (kroplay's default 50 fps): a GIF holds one image for a
# run of equal frames.
image_at() {
  local gif=$1 index=$2 elapsed=0 image=0
  for delay in $(identify -format '%T\n' "$gif"); do
    elapsed=$((elapsed + delay))
    [ "$elapsed" -gt $((index * 2)) ] && break
    image=$((image + 1))
  done
  echo "$image"
}

# The window is found on the black X screen by trimming, so the frames
# checked here keep colour 0 and black palette entries off their borders.
# Checks that the window on the X screen shows the script's frame `index`
# as `gif` shows it, scaled by `scale`, pixel for pixel; returns 1 if it
# shows something else.
window_shows() {
  local gif=$1 index=$2 scale=$3
  import -window root shot.png || fail "cannot take a screenshot"
  local geometry image
  geometry=$(convert shot.png -trim -format '%wx%h%O' info:)
  convert "$gif" -coalesce "frame-%d.png"
  image=$(image_at "$gif" "$index")
  [ -f "frame-$image.png" ] || fail "$gif has no image for frame $index"
  convert "frame-$image.png" -sample "$((scale * 100))%" want.png
  local size
  size=$(convert want.png -format '%wx%h' info:)
  [ "${geometry%%+*}" = "$size" ] || fail "the window is ${geometry%%+*} on the screen, not $size"
  convert shot.png -crop "$geometry" +repage shown.png
  local differing
  differing=$(compare -metric AE shown.png want.png null: 2>&1)
  echo "window at $geometry: $differing pixels differ from frame $index of $gif"
  [ "$differing" = 0 ]
}

if [ "$mode" = screenshot ] || [ "$mode" = reload ] || [ "$mode" = quit ] || [ "$mode" = tune ]; then
  tools=(Xvfb import convert compare identify)
  [ "$mode" = tune ] && tools+=(xdotool)
  for tool in "${tools[@]}"; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
  done
  if DISPLAY= SDL_VIDEODRIVER=dummy "$kroplay" --window --plugin /nonexistent/plugin.so 2>&1 |
    grep -q 'no preview window'; then
    skip "kroplay was built without the preview window (no SDL2)"
  fi
  self=$(realpath "$0") kroplay=$(realpath "$kroplay") scripts=$(realpath "$scripts")
  work=$(mktemp -d /tmp/kroplay-window-XXXXXX)
  trap 'rm -rf "$work"' EXIT
  cd "$work" || exit 1
  # Xvfb takes the first display number no other X server holds and says
  # which (-displayfd): no number chosen here can collide with a server
  # started meanwhile.
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>display.number 2>xvfb.err &
  server=$!
  trap 'kill "$server" 2>/dev/null; wait "$server"; rm -rf "$work"' EXIT
  for _ in $(seq 100); do
    grep -q '^[0-9][0-9]*$' display.number && break
    kill -0 "$server" 2>/dev/null || fail "Xvfb did not start: $(cat xvfb.err)"
    sleep 0.1
  done
  grep -q '^[0-9][0-9]*$' display.number || fail "Xvfb named no display within 10 s"
  DISPLAY=:$(cat display.number) bash "$self" "inner-$mode" "$kroplay" "$scripts"
  exit $?
fi

case $mode in
  inner-screenshot)
    "$kroplay" "$scripts/window_still.lua" --size 64x40 -o ref.gif --hash >ref.hash 2>ref.err ||
      fail "the recording run failed: $(cat ref.err)"
    "$kroplay" --window "$scripts/window_still.lua" --size 64x40 --scale 3 --quit-after 8 \
      --hash >win.hash 2>win.err &
    window=$!
    wait_for "window_still.lua ended after 12 frames" win.err 1
    window_shows ref.gif 11 3 || fail "the window does not show frame 11"
    if window_shows ref.gif 10 3; then fail "frames 10 and 11 cannot be told apart"; fi
    wait "$window"
    status=$?
    [ "$status" = 0 ] || fail "kroplay --window --quit-after exited with $status"
    diff ref.hash win.hash || fail "the window run's frame hashes differ from the recording run's"
    [ ! -e window_still.gif ] || fail "the window run wrote a GIF without -o"

    # Without a display: one line and status 1, not an invisible window.
    env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER \
      "$kroplay" --window "$scripts/window_still.lua" 2>nodisplay.err
    status=$?
    [ "$status" = 1 ] && [ "$(wc -l <nodisplay.err)" = 1 ] &&
      grep -q "^kroplay: cannot open a window: no display" nodisplay.err ||
      fail "without a display: status $status, $(cat nodisplay.err)"

    # screen() mid-run: the window takes the new size, scaled alike.
    cat >grow.lua <<'LUA'
FILL(40)
frame(2)
screen(48, 30)
FILL(90)
for y = 0, HOW_HIGH() - 1, 3 do PUT_HLINE(y, 20 + 4 * y) end
START_RIPPLE(20, 30, 3)
frame(3)
LUA
    "$kroplay" grow.lua --size 32x20 -o grow.gif 2>/dev/null || fail "cannot record grow.lua"
    "$kroplay" --window grow.lua --size 32x20 --scale 2 --quit-after 20 2>win.err &
    window=$!
    wait_for "grow.lua ended after 5 frames" win.err 1
    window_shows grow.gif 4 2 || fail "the resized window does not show the last frame"
    kill "$window"
    wait "$window"
    ;;

  inner-reload)
    cat >first.lua <<'LUA'
FILL(40)
for x = 0, HOW_WIDE() - 1, 3 do PUT_VLINE(x, 100 + x) end
frame(2)
LUA
    cat >second.lua <<'LUA'
FILL(200)
for y = 0, HOW_HIGH() - 1, 2 do PUT_HLINE(y, 20 + 5 * y) end
START_DISTORT(20, 30, 4)
frame(5)
LUA
    for name in first second; do
      "$kroplay" $name.lua --size 32x20 -o $name.gif 2>/dev/null || fail "cannot record $name.lua"
    done
    cp first.lua live.lua
    "$kroplay" --window live.lua --size 32x20 --scale 4 --quit-after 25 >/dev/null 2>win.err &
    window=$!
    wait_for "live.lua ended after 2 frames" win.err 1
    window_shows first.gif 1 4 || fail "the window does not show the first script's last frame"

    cat second.lua >live.lua  # saved in place
    wait_for "live.lua ended after 5 frames" win.err 1
    grep -q "live.lua changed; restarting" win.err || fail "no restart message"
    window_shows second.gif 4 4 || fail "the window does not show the saved script's last frame"

    printf 'FILL(9)\nframe(\n' >broken.lua
    mv broken.lua live.lua  # saved through a new file
    wait_for "kroplay: error: live.lua:" win.err 1
    sleep 0.5
    kill -0 "$window" 2>/dev/null || fail "the window closed on a script error"
    window_shows second.gif 4 4 || fail "the last good frame did not stay on screen"
    kill "$window"
    wait "$window"
    ;;

  inner-quit)
    cat >deaf.lua <<'LUA'
FILL(40)
frame()
pcall(debug.sethook)
while true do pcall(function() while true do end end) end
LUA
    cat >finalizer.lua <<'LUA'
setmetatable({}, {__gc = function() while true do end end})
FILL(40)
frame(3)
LUA
    printf 'FILL(40)\nframe()\n' >calm.lua
    # Each must end soon after a calm script's preview ends (which also
    # counts kroplay's start-up): kroplay gives a stuck script half a second;
    # the check allows two seconds, so a loaded machine does not fail it,
    # while a quit that waits for the script (for ever) still does.
    for script in calm deaf finalizer; do
      start=$(date +%s%N)
      timeout 20 "$kroplay" --window $script.lua --size 32x20 --quit-after 1 -o $script.gif \
        2>win.err
      status=$?
      elapsed=$((($(date +%s%N) - start) / 1000000))
      echo "$script.lua: exit status $status after $elapsed ms"
      [ "$status" = 0 ] || fail "$script.lua: --quit-after 1 ended with status $status"
      [ "$script" = calm ] && calm=$elapsed
      [ "$elapsed" -lt $((calm + 2000)) ] ||
        fail "$script.lua: --quit-after 1 took $elapsed ms, $calm ms for calm.lua"
    done
    # The finalizer never lets the run end: its output is not written.
    grep -q "the script does not stop; quitting without it" win.err || fail "no note on stderr"
    [ -z "$(ls finalizer.gif* 2>/dev/null)" ] || fail "finalizer.lua left $(ls finalizer.gif*)"
    [ -f deaf.gif ] || fail "the quit run of deaf.lua wrote no GIF"
    ;;

  inner-tune)
    cat >tune.lua <<'LUA'
for y = 0, HOW_HIGH() - 1 do PUT_HLINE(y, 16 + 4 * y) end
START_RIPPLE(5, 10, 20)
while true do frame() end
LUA
    "$kroplay" --window tune.lua --size 64x40 --scale 2 --quit-after 30 >win.out 2>win.err &
    window=$!
    id=
    for _ in $(seq 100); do
      id=$(xdotool search --name "^kroplay - tune.lua" 2>/dev/null | head -n 1)
      [ -n "$id" ] && break
      kill -0 "$window" 2>/dev/null || fail "kroplay ended before its window showed"
      sleep 0.1
    done
    [ -n "$id" ] || fail "no window titled 'kroplay - tune.lua'"
    xdotool windowfocus --sync "$id" || fail "cannot focus the window"
    # Waits up to 10 s until the window's title contains `text`.
    title_has() {
      for _ in $(seq 100); do
        title=$(xdotool getwindowname "$id")
        case $title in *"$1"*) return 0 ;; esac
        sleep 0.1
      done
      fail "the title never showed '$1'; it is: $title"
    }
    title_has "START_RIPPLE(5, 10, 20), phase"
    # Amplitude, +10 (Shift), halved (Ctrl), +1: 20, 30, 15, 16. One key at
    # a time, each seen in the title before the next, so a loaded machine
    # cannot merge or reorder them.
    xdotool key 3
    title_has " - tuning amplitude - "
    xdotool key shift+Up
    title_has "START_RIPPLE(5, 10, 30), phase"
    xdotool key ctrl+Down
    title_has "START_RIPPLE(5, 10, 15), phase"
    xdotool key Up
    title_has "START_RIPPLE(5, 10, 16), phase"
    xdotool key c
    wait_for "^START_RIPPLE(5, 10, 16)$" win.out 1
    xdotool key h
    title_has "keys: Space pause or go on; Right step"
    echo "title: $title"
    xdotool key q
    wait "$window"
    status=$?
    [ "$status" = 0 ] || fail "kroplay --window exited with $status after Q"
    ;;

  *)
    echo "usage: $0 screenshot|reload|quit|tune KROPLAY SCRIPTS_DIR" >&2
    exit 2
    ;;
esac
echo "PASSED"
