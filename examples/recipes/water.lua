-- Water under a horizon: the distortion makes a reflection shimmer. It
-- covers the whole screen, so the sky is made of what it cannot change:
-- rows of one colour each (the game draws its sun and island over it).
local H = HOW_HIGH()
local horizon = 55
for i = 1, 11 do
  color(i, 70 + 12 * i, 110 + 9 * i, 200 + 5 * i) -- sky, lighter toward the horizon
  color(20 + i, 25 + 8 * i, 55 + 8 * i, 120 + 7 * i) -- its reflection, darker
end
color(0, 60, 100, 170) -- what the distortion uncovers: a water colour
color(40, 255, 230, 140) -- sun
color(41, 30, 45, 35) -- island
local function band(y) return 1 + y * 11 // horizon end

-- The background: the mirrored sky in the water, the island's and the
-- sun's reflections as columns, then the sky's bands over their upper part.
for y = horizon, H - 1 do PUT_HLINE(y, 20 + band(2 * horizon - 1 - y)) end
for x = 28, 52 do PUT_VLINE(x, 41) end
for x = 110, 118 do PUT_VLINE(x, 40) end
for y = 0, horizon - 1 do PUT_HLINE(y, band(y)) end

START_DISTORT(20, 70, 3)
while true do frame() end
