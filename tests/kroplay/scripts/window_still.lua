-- Twelve frames of a ripple over stripes, then the script ends and the
-- preview window keeps the last one on screen.
local w, h = HOW_WIDE(), HOW_HIGH()
FILL(20)
for y = 0, h - 1, 2 do PUT_HLINE(y, 17 + (y * 7) % 200) end
for x = 0, w - 1, 9 do PUT_VLINE(x, 232 + x % 24) end
START_RIPPLE(9, 17, 6)
frame(12)
