-- 3,000 frames: scenes of lines, each under a ripple or a distortion, with
-- holds between them.
palette("default")
local w, h = HOW_WIDE(), HOW_HIGH()
for scene = 0, 11 do
  FILL(16 + scene * 17)
  for row = scene % 5, h - 1, 5 + scene % 4 do PUT_HLINE(row, 100 + (row * 3) % 120) end
  for col = scene % 7, w - 1, 16 + scene do PUT_VLINE(col, 230) end
  frame(50)
  if scene % 2 == 0 then START_RIPPLE(5 + scene, 6 + scene, 2 + scene) else START_DISTORT(5 + scene, 4 + scene, 3 + scene) end
  frame(150)
  STOP_RIPPLE()
  STOP_DISTORT()
  frame(50)
end
