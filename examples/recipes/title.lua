-- A title that wobbles: the title is part of the background (title.gif,
-- made by title-art.lua), so the distortion waves it. The uncovered
-- colour 0 is the picture's first colour, the top of the sky.
load_background("title.gif")
-- Speed 20: a wave every 31.4 frames.
START_DISTORT(20, 15, 3)
while true do frame() end
