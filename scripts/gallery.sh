#!/bin/bash
# The gallery: what each effect parameter does, over one test background.
# Runs examples/gallery.lua through kroplay once per picture (the picture's
# calls in GALLERY_CALL) and writes docs/gallery/NAME.gif and the page
# docs/gallery.md; then runs each recipe, examples/recipes/NAME.lua, into
# docs/recipes/NAME.gif (docs/recipes.md shows them), and the README's
# preview of the demo, docs/demo-preview.gif.
#   bash scripts/gallery.sh                  # builds kroplay into build/ if needed
#   bash scripts/gallery.sh --hash KROPLAY   # "NAME frame N HASH" and "NAME loop A..B"
#                                            # lines on stdout instead (the test keeps them)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Every second frame of the game's first 80 (it runs at 50 fps), played at
# 25 fps: as fast as in the game. --seamless ends each loop where it wraps
# like an ordinary step.
size=160x100
range=(--frames 0..79/2 --seamless --fps 25)

# The frames a --seamless run kept, "A..B", from its messages on stdin.
kept_loop() {
  sed -n 's/^kroplay: --seamless: frames \([0-9.]*\) of .*/\1/p'
}

# section|row|name|calls, three pictures a row.
pictures=(
  "Ripple|speed|ripple-speed-10|START_RIPPLE(10, 10, 4)"
  "Ripple|speed|ripple-speed-20|START_RIPPLE(20, 10, 4)"
  "Ripple|speed|ripple-speed-40|START_RIPPLE(40, 10, 4)"
  "Ripple|frequency|ripple-frequency-5|START_RIPPLE(20, 5, 4)"
  "Ripple|frequency|ripple-frequency-15|START_RIPPLE(20, 15, 4)"
  "Ripple|frequency|ripple-frequency-30|START_RIPPLE(20, 30, 4)"
  "Ripple|amplitude|ripple-amplitude-2|START_RIPPLE(20, 10, 2)"
  "Ripple|amplitude|ripple-amplitude-6|START_RIPPLE(20, 10, 6)"
  "Ripple|amplitude|ripple-amplitude-12|START_RIPPLE(20, 10, 12)"
  "Distortion|speed|distortion-speed-10|START_DISTORT(10, 10, 8)"
  "Distortion|speed|distortion-speed-20|START_DISTORT(20, 10, 8)"
  "Distortion|speed|distortion-speed-40|START_DISTORT(40, 10, 8)"
  "Distortion|frequency|distortion-frequency-5|START_DISTORT(20, 5, 8)"
  "Distortion|frequency|distortion-frequency-15|START_DISTORT(20, 15, 8)"
  "Distortion|frequency|distortion-frequency-30|START_DISTORT(20, 30, 8)"
  "Distortion|amplitude|distortion-amplitude-4|START_DISTORT(20, 10, 4)"
  "Distortion|amplitude|distortion-amplitude-12|START_DISTORT(20, 10, 12)"
  "Distortion|amplitude|distortion-amplitude-24|START_DISTORT(20, 10, 24)"
  "Negative values|ripple|ripple-negative-speed|START_RIPPLE(-20, 10, 4)"
  "Negative values|ripple|ripple-negative-frequency|START_RIPPLE(20, -10, 4)"
  "Negative values|ripple|ripple-negative-amplitude|START_RIPPLE(20, 10, -4)"
  "Negative values|distortion|distortion-negative-speed|START_DISTORT(-20, 10, 8)"
  "Negative values|distortion|distortion-negative-frequency|START_DISTORT(20, -10, 8)"
  "Negative values|distortion|distortion-negative-amplitude|START_DISTORT(20, 10, -8)"
  "Both effects|both|both|START_DISTORT(20, 10, 8) frame(12) START_RIPPLE(20, 10, 4) frame(12) STOP_RIPPLE()"
)

# Recipes: name|frames recorded (each a loop of one or two of the recipe's
# cycles).
recipes=(
  "water|0..79/2"
  "heat|0..79/2"
  "quake|0..79/2"
  "dream|0..89/2"
  "underwater|0..79/2"
  "title|0..79/2"
)
recipe_options=(--size $size --seamless --fps 25)

if [ "${1:-}" = --hash ]; then
  kroplay=$2
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  for picture in "${pictures[@]}"; do
    IFS='|' read -r _ _ name calls <<<"$picture"
    GALLERY_CALL=$calls "$kroplay" "$root/examples/gallery.lua" --size $size "${range[@]}" \
      --hash -o "$scratch/$name.gif" 2>"$scratch/err" | sed "s/^/$name /" ||
      { cat "$scratch/err" >&2; exit 1; }
    echo "$name loop $(kept_loop <"$scratch/err")"
  done
  for recipe in "${recipes[@]}"; do
    IFS='|' read -r name frames <<<"$recipe"
    "$kroplay" "$root/examples/recipes/$name.lua" "${recipe_options[@]}" --frames "$frames" \
      --hash -o "$scratch/$name.gif" 2>"$scratch/err" | sed "s/^/recipe-$name /" ||
      { cat "$scratch/err" >&2; exit 1; }
    echo "recipe-$name loop $(kept_loop <"$scratch/err")"
  done
  exit 0
fi

kroplay=$root/build/kroplay
if [ ! -x "$kroplay" ]; then
  cmake --preset dev -S "$root" >/dev/null
  cmake --build "$root/build" -j2 --target kroplay wavefx
fi
mkdir -p "$root/docs/gallery"
page=$root/docs/gallery.md
{
  cat <<'TEXT'
# Gallery

What each parameter of the two effects does, over one test background, 160x100. Each
picture starts with the calls shown and loops over every second frame the game
composes, so it plays at 25 fps where the game runs at 50: as fast as in the game.
Each loop ends where its wrap looks like an ordinary step (`kroplay --seamless`; the
frames it kept are under the picture). Regenerate every picture and this page with

```sh
bash scripts/gallery.sh
```

It runs [`examples/gallery.lua`](../examples/gallery.lua) through kroplay once per
picture, with the calls in `GALLERY_CALL`. Speeds and frequencies are in hundredths of
a radian (per frame and per row), amplitudes in rows (ripple) or pixels (distortion).
Colour 0, black, is what the distortion uncovers at the edges.
TEXT
  section= row=
  for picture in "${pictures[@]}"; do
    IFS='|' read -r this_section this_row name calls <<<"$picture"
    if [ "$this_section" != "$section" ]; then
      [ -n "$row" ] && printf '|\n'
      section=$this_section row=
      printf '\n## %s\n\n|  |  |  |  |\n|---|---|---|---|\n' "$section"
    fi
    if [ "$this_row" != "$row" ]; then
      [ -n "$row" ] && printf '|\n'
      row=$this_row
      printf '| %s ' "$row"
    fi
    loop=$(GALLERY_CALL=$calls "$kroplay" "$root/examples/gallery.lua" --size $size \
      "${range[@]}" -o "$root/docs/gallery/$name.gif" 2>&1 | kept_loop)
    printf '| ![%s](gallery/%s.gif)<br>`%s`<br>frames %s ' "$name" "$name" "$calls" "$loop"
  done
  printf '|\n'
  cat <<'TEXT'

When both effects are on, the ripple wins: the distortion's phase waits while the
ripple runs and goes on from there once it stops.
TEXT
} >"$page"
echo "wrote $page and $(ls "$root/docs/gallery" | wc -l) pictures ($(du -sh "$root/docs/gallery" | cut -f1))"

# The title recipe's picture, drawn with kroplay's font.
(cd "$root/examples/recipes" && "$kroplay" title-art.lua --frames 0 --scale 2 -o title.gif 2>/dev/null) ||
  echo "kept examples/recipes/title.gif: kroplay could not draw it again"
mkdir -p "$root/docs/recipes"
for recipe in "${recipes[@]}"; do
  IFS='|' read -r name frames <<<"$recipe"
  "$kroplay" "$root/examples/recipes/$name.lua" "${recipe_options[@]}" --frames "$frames" \
    -o "$root/docs/recipes/$name.gif" 2>&1 | grep seamless
done
echo "wrote $(ls "$root/docs/recipes" | wc -l) recipes ($(du -sh "$root/docs/recipes" | cut -f1))"

# The README's preview of the built-in demo: every fifth frame at 10 fps,
# as fast as the game plays it.
"$kroplay" --frames 0..474/5 --fps 10 -o "$root/docs/demo-preview.gif" 2>&1 | grep wrote
