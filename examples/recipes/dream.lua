-- A dream or flashback: the scene melts in a growing distortion, changes
-- to grey at its height and settles again, then goes back the same way.
-- Amplitudes start at 2: a distortion of amplitude 1 never moves a pixel.
local W, H = HOW_WIDE(), HOW_HIGH()
local function scene()
  for y = 0, H - 1 do PUT_HLINE(y, y < 60 and 17 + y // 12 or 34) end
  for x = 10, W - 1, 24 do PUT_VLINE(x, 88) end
  for x = 11, W - 1, 24 do PUT_VLINE(x, 88) end
end
local function show(caption, n)
  for _ = 1, n do
    if caption then text(4, H - 12, caption, 15) end
    frame()
  end
end
-- Melt from amplitude 2 to 20 and back, changing the palette at the height.
local function melt(then_palette)
  START_DISTORT(25, 12, 2)
  for a = 2, 20, 2 do CHANGE_DVAL(a, 2) show(nil, 1) end
  palette(then_palette)
  color(0, 0, 0, 0)
  for a = 20, 2, -2 do CHANGE_DVAL(a, 2) show(nil, 1) end
  STOP_DISTORT()
end

scene()
while true do
  show("TODAY", 12)
  melt("grey")
  show("TEN YEARS EARLIER", 16)
  melt("default")
end
