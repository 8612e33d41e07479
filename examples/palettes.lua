-- Swatches of one built-in palette, for the pictures in docs/: sixteen
-- frames of 16x1, frame r holding indices 16r .. 16r + 15, which a PNG
-- sheet of one column lays out as a 16x16 grid (index 16 * row + column).
-- The palette is named by the environment variable PALETTE (default: the
-- palette a run starts with). examples/palettes.sh makes every picture.
palette(os.getenv("PALETTE") or "default")
screen(16, 1)
for row = 0, 15 do
  for column = 0, 15 do PUT_VLINE(column, 16 * row + column) end
  frame()
end
