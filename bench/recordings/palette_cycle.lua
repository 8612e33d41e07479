-- Bands of colour under a slow ripple while the palette cycles: every frame
-- rewrites 64 entries, so most frames differ from the first frame's palette.
palette("rainbow")
for row = 0, HOW_HIGH() - 1 do PUT_HLINE(row, 64 + row % 64) end
for col = 0, HOW_WIDE() - 1, 20 do PUT_VLINE(col, 200) end
START_RIPPLE(4, 6, 4)
for t = 1, 150 do
  for i = 0, 63 do
    local k = (i + t) % 64
    color(64 + i, (k * 4) % 256, (255 - k * 3) % 256, (k * 7) % 256)
  end
  frame()
end
