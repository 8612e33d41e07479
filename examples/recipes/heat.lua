-- Heat haze: a fast, fine distortion of small amplitude makes every
-- upright line quiver. It moves rows by at most 2 pixels, uncovering
-- colour 0 at the sides: a border of that width, drawn over the effect,
-- hides it.
local W, H = HOW_WIDE(), HOW_HIGH()
for i = 1, 10 do color(i, 150 + 10 * i, 120 + 9 * i, 60 + 12 * i) end -- hazy sky
for i = 11, 20 do color(i, 235 - 3 * i, 170 - 3 * i, 90 - 2 * i) end -- sand
color(30, 60, 90, 40) -- cactus
color(31, 80, 50, 30) -- posts
color(0, 60, 40, 20) -- the border, and what the distortion uncovers
color(32, 255, 250, 220) -- text
for y = 0, H - 1 do PUT_HLINE(y, y < 50 and 1 + y // 5 or 11 + (y - 50) // 5) end
for _, x in ipairs({20, 21, 22, 23, 60, 61, 104, 105, 106, 107, 140, 141}) do
  PUT_VLINE(x, (x == 60 or x == 61 or x >= 140) and 31 or 30)
end

-- Speed 30, frequency 90 (rows a third of a wave apart), amplitude 3:
-- shifts of -2..2 pixels.
START_DISTORT(30, 90, 3)
while true do
  rect(0, 0, 3, H, 0) -- the border
  rect(W - 3, 0, 3, H, 0)
  rect(0, H - 12, W, 12, 0) -- a status bar, unmoved
  text(5, H - 10, "WATER 2  TEMP 48C", 32)
  frame()
end
