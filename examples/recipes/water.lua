-- Water under a horizon: the distortion makes a reflection shimmer. It
-- covers the whole screen, so the sky is drawn again over it every frame,
-- where nothing moves it.
local W, H = HOW_WIDE(), HOW_HIGH()
local horizon = 55
for i = 1, 11 do
  color(i, 70 + 12 * i, 110 + 9 * i, 200 + 5 * i) -- sky, lighter toward the horizon
  color(20 + i, 25 + 8 * i, 55 + 8 * i, 120 + 7 * i) -- its reflection, darker
end
color(0, 60, 100, 170) -- what the distortion uncovers: a water colour
color(40, 255, 230, 140) -- sun
color(41, 30, 45, 35) -- island
color(42, 255, 255, 255) -- text
local function band(y) return 1 + y * 11 // horizon end

-- The background: the mirrored sky in the water, the sun's and the
-- island's reflections as columns (the sky hides their upper part).
for y = 0, H - 1 do
  PUT_HLINE(y, y < horizon and band(y) or 20 + band(2 * horizon - 1 - y))
end
for x = 28, 52 do PUT_VLINE(x, 41) end
for x = 110, 118 do PUT_VLINE(x, 40) end

START_DISTORT(20, 70, 3)
while true do
  for y = 0, horizon - 1, 5 do rect(0, y, W, 5, band(y)) end -- the still sky
  rect(108, 14, 13, 13, 40) -- sun
  rect(28, 45, 25, 10, 41) -- island
  rect(34, 39, 12, 6, 41)
  text(4, 4, "HARBOUR", 42)
  frame()
end
