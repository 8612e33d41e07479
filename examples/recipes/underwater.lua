-- An underwater level: a slow, wide distortion sways the whole scene.
-- It uncovers colour 0 at the sides, so colour 0 is made a deep-water
-- blue that passes for more sea. Bubbles and the air gauge are drawn over
-- the effect and do not sway.
local W, H = HOW_WIDE(), HOW_HIGH()
for i = 1, 12 do color(i, 10 + 4 * i, 60 + 9 * i, 110 + 10 * i) end -- water, lighter above
color(0, 20, 80, 140) -- what the distortion uncovers: water
color(20, 40, 130, 70) -- weed
color(21, 200, 180, 120) -- sand
color(22, 220, 240, 255) -- bubbles and text
color(23, 240, 80, 60) -- air gauge
for y = 0, H - 1 do PUT_HLINE(y, y >= 88 and 21 or 12 - y * 12 // 88) end
for _, x in ipairs({18, 19, 47, 48, 49, 90, 91, 131, 132}) do PUT_VLINE(x, 20) end

-- Speed 10 (a sway of 63 frames), frequency 6 (a wave taller than the
-- screen), amplitude 4.
START_DISTORT(10, 6, 4)
local t = 0
while true do
  for i = 0, 5 do -- bubbles rising, each in its own column, once in 63 frames
    local y = (H - 1) - (t * H // 63 + i * 37) % H
    rect(30 + i * 21, y, 2, 2, 22)
  end
  text(4, 3, "AIR", 22)
  rect(24, 4, 30, 5, 23)
  frame()
  t = (t + 1) % 63
end
