#!/bin/bash
# kroplay gives the same results on every platform: for each script below,
# its --hash lines, the frames of the GIF it writes (read back by
# gif_frames, also when written to standard output), its PNG sheet and its
# messages, and for each faulty script or command line its exit status and
# message, must equal the expected files in tests/kroplay/expected/, which
# the Linux kroplay wrote. Run in the Linux build and, with Wine as the
# runner, in the Windows cross build, so both are tied to one file.
#   same_results_test.sh KROPLAY GIF_FRAMES [RUNNER...]    compare
#   same_results_test.sh --update KROPLAY GIF_FRAMES       rewrite the files
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
update=
if [ "${1:-}" = --update ]; then
  update=1
  shift
fi
[ $# -ge 2 ] || {
  echo "usage: $0 [--update] KROPLAY GIF_FRAMES [RUNNER...]" >&2
  exit 2
}
kroplay=$(realpath "$1") gif_frames=$(realpath "$2")
shift 2
runner=("$@")
expected=$here/expected

# Scripts with ordinary parameters: the built-in demo's 500 frames and the
# hand-checked lines.
scripts=("$root/examples/demo.lua" "$root/tests/kroplay/scripts/lines.lua")

work=$(mktemp -d /tmp/kroplay-same-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

failed=0
for script in "${scripts[@]}"; do
  name=$(basename "$script" .lua)
  # An older output is replaced (on Windows rename() would refuse). Windows
  # programs end their lines with CR LF.
  echo "an older output" >"$name.gif"
  if ! "${runner[@]}" "$kroplay" --hash -o "$name.gif" "$script" 2>"$name.err" |
    tr -d '\r' >"$name.hashes"; then
    echo "FAILED: kroplay $name.lua: $(cat "$name.err")"
    failed=1
    continue
  fi
  # What it says on stderr, not a terminal: no progress line.
  tr -d '\r' <"$name.err" >"$name.stderr"
  "${runner[@]}" "$gif_frames" "$name.gif" | tr -d '\r' >"$name.gif-frames"
  # The same GIF through standard output (binary, not text mode), and the
  # PNG sheet byte for byte.
  "${runner[@]}" "$kroplay" -o - "$script" >"$name.stdout.gif" 2>/dev/null
  "${runner[@]}" "$gif_frames" "$name.stdout.gif" | tr -d '\r' >"$name.stdout-gif-frames"
  cmp -s "$name.gif-frames" "$name.stdout-gif-frames" || {
    echo "FAILED: $name.lua: the GIF on standard output differs from the file"
    failed=1
  }
  "${runner[@]}" "$kroplay" -o "$name.png" "$script" 2>/dev/null
  cksum <"$name.png" >"$name.png-cksum"
  for kind in hashes gif-frames stderr png-cksum; do
    if [ -n "$update" ]; then
      cp "$name.$kind" "$expected/$name.$kind"
    elif ! diff -q "$expected/$name.$kind" "$name.$kind" >/dev/null; then
      echo "FAILED: $name.lua: $kind differ from the expected ones:"
      diff "$expected/$name.$kind" "$name.$kind" | head -5
      failed=1
    elif [ ! -s "$name.$kind" ]; then
      echo "FAILED: $name.lua: no $kind"
      failed=1
    else
      echo "ok: $name.lua: $(wc -l <"$name.$kind") $kind lines as expected"
    fi
  done
done
# Faulty scripts and command lines: "status N: message", run beside the
# scripts so that messages name them as given.
errors=(syntax_error.lua runtime_error.lua bad_argument.lua wrong_count.lua out_of_range.lua
        two_line_error.lua uses_add.lua missing.lua "--fps 0" "--size 10" --bogus
        "--check extra.lua" "--quit-after 5 lines.lua")
for arguments in "${errors[@]}"; do
  # shellcheck disable=SC2086 # each entry is a list of words
  message=$(cd "$root/tests/kroplay/scripts" &&
    "${runner[@]}" "$kroplay" -o "$work/error.gif" $arguments 2>&1 >/dev/null)
  echo "kroplay $arguments: status $?: $message" | tr -d '\r'
done >messages
if [ -n "$update" ]; then
  cp messages "$expected/messages"
elif ! diff "$expected/messages" messages; then
  echo "FAILED: the exit statuses or messages differ from the expected ones"
  failed=1
else
  echo "ok: $(wc -l <messages) exit statuses and messages as expected"
fi
exit $failed
