-- Ten minutes of a game at 50 frames per second (30000 frames, 320x200),
-- for the size of its trace (docs/trace-format.md): every second the
-- script tunes an effect, every 10 s it switches effects and redraws lines,
-- every 30 s the host loads a new picture and fades the palette.
--   WAVEFX_TRACE_FILE=ten.krotrace kroplay --plugin wavefx-trace.so \
--     --frames 29999 -o last.png bench/trace_session.lua
local here = debug.getinfo(1, "S").source:match("^@(.*/)") or "./"
local pictures = {"../examples/recipes/title.gif", "../docs/palette-fire.png"}
for second = 0, 599 do
  if second % 30 == 0 then
    load_background(here .. pictures[second // 30 % 2 + 1])
    palette(second // 30 % 2 == 0 and "fire" or "ocean")
  end
  if second % 10 == 0 then
    if second // 10 % 2 == 0 then
      STOP_DISTORT()
      START_RIPPLE(5, 10, 8)
    else
      STOP_RIPPLE()
      START_DISTORT(7, 12, 6)
    end
    PUT_HLINE(second % 200, second % 256)
    PUT_VLINE(HOW_WIDE() // 2, 15)
  end
  CHANGE_RVAL(4 + second % 12, 2)
  CHANGE_DVAL(3 + second % 9, 2)
  for _ = 1, 50 do frame() end
end
