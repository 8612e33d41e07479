-- A picture as the background under a ripple that grows and fades.
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
