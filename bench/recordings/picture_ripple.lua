-- A picture as the background under a ripple that grows and fades.
-- picture.gif is a 200-colour plasma, made once with ImageMagick:
--   convert -seed 7 -size 320x200 plasma:fractal -blur 0x1 -colors 200 picture.gif
local here = debug.getinfo(1, "S").source:match("^@(.*/)") or "./"
load_background(here .. "picture.gif")
frame(10)
START_RIPPLE(8, 6, 1)
for amplitude = 1, 12 do
  CHANGE_RVAL(amplitude, 2)
  frame(5)
end
frame(40)
for amplitude = 12, 0, -1 do
  CHANGE_RVAL(amplitude, 2)
  frame(5)
end
STOP_RIPPLE()
frame(15)
