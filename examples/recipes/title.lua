-- A title that wobbles: the title is part of the background (title.gif,
-- made by title-art.lua), so the distortion waves it; "PRESS START",
-- drawn over the effect, blinks and stays still. The uncovered colour 0
-- is the picture's first colour, the top of the sky.
local W, H = HOW_WIDE(), HOW_HIGH()
load_background("title.gif")
color(200, 255, 255, 255)
-- Speed 20: a wave every 31.4 frames; the text blinks every 32.
START_DISTORT(20, 15, 3)
while true do
  for t = 0, 31 do
    if t < 16 then text(W // 2 - 32, H - 14, "PRESS START", 200) end
    frame()
  end
end
