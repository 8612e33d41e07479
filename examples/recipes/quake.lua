-- An earthquake: a ripple of frequency 0 moves every row by the same
-- amount, so the whole picture shakes up and down, the edge rows
-- repeated, nothing uncovered. The shake dies down by lowering the
-- amplitude; the player, drawn over the effect, shakes with it by the
-- same offset, worked out in Lua, while the HUD stays still.
local W, H = HOW_WIDE(), HOW_HIGH()
color(1, 70, 60, 80) -- wall
color(2, 40, 30, 45) -- mortar
color(3, 110, 90, 60) -- floor
color(4, 240, 200, 60) -- player
color(5, 255, 255, 255) -- text
for y = 0, H - 1 do
  PUT_HLINE(y, y >= 80 and 3 or (y % 10 == 9 and 2 or 1))
end
for x = 15, W - 1, 30 do PUT_VLINE(x, 2) end

local speed = 250 -- hundredths of a radian per frame: a fast shake
while true do
  -- 20 calm frames, then a shake of 40 that dies down.
  for _ = 1, 20 do
    rect(70, 64, 10, 16, 4)
    text(2, 2, "MINE LEVEL 3", 5)
    frame()
  end
  START_RIPPLE(speed, 0, 8)
  for t = 0, 39 do
    local amplitude = 8 - t // 5
    CHANGE_RVAL(amplitude, 2)
    -- Each row shows the background from amplitude * sin(phase) lower,
    -- rounded down: the picture moves up by that much.
    rect(70, 64 - math.floor(amplitude * math.sin(t * speed / 100)), 10, 16, 4)
    text(2, 2, "MINE LEVEL 3", 5)
    frame()
  end
  STOP_RIPPLE()
end
