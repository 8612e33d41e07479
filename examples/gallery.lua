-- One picture of the gallery (docs/gallery.md): the test background, then
-- the Lua in the environment variable GALLERY_CALL (the effect calls, and
-- any frames between them), then frames for ever, as a game's main loop.
-- scripts/gallery.sh runs it once per picture and ends it with --frames;
-- by hand:
--   GALLERY_CALL='START_RIPPLE(20, 10, 4)' build/kroplay examples/gallery.lua --size 160x100 \
--     --frames 0..79/2 --seamless --fps 25
local W, H = HOW_WIDE(), HOW_HIGH()

-- Background: a sky gradient of horizontal bands, with a grid of dark
-- vertical lines, so the ripple (rows up and down) and the distortion (rows
-- sideways) both show. Colour 0 stays black: what the distortion uncovers.
for i = 1, 32 do color(i, 20 + 6 * i, 40 + 5 * i, 120 + 4 * i) end
color(40, 250, 210, 80)
color(41, 30, 20, 60)
for y = 0, H - 1 do PUT_HLINE(y, 1 + math.floor(y * 32 / H)) end
for y = 6, H - 1, 12 do PUT_HLINE(y, 40) end
for x = 8, W - 1, 16 do PUT_VLINE(x, 41) end

assert(load(os.getenv("GALLERY_CALL") or "START_RIPPLE(20, 10, 4)", "GALLERY_CALL"))()
while true do frame() end
