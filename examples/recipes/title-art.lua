-- The title picture for title.lua, drawn with kroplay's own font and
-- recorded at twice the size: scripts/gallery.sh makes title.gif with
--   kroplay title-art.lua --frames 0 --scale 2 -o title.gif
-- The title must lie in the background, where the effect moves it; text
-- drawn over the effect stays still.
screen(80, 50)
for i = 1, 10 do color(i, 20 + 4 * i, 10 + 3 * i, 60 + 8 * i) end -- night sky
color(11, 250, 200, 60) -- title
color(12, 180, 60, 40) -- its shadow
for y = 0, 49 do PUT_HLINE(y, 1 + y // 5) end
text(29, 13, "WAVE", 12)
text(28, 12, "WAVE", 11)
text(26, 25, "QUEST", 12)
text(25, 24, "QUEST", 11)
frame()
