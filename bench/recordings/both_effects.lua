-- Stripes and a grid, the distortion, then the ripple on top of it, then
-- the distortion alone again.
palette("fire")
FILL(30)
for row = 0, HOW_HIGH() - 1, 6 do PUT_HLINE(row, 90 + row % 120) end
for col = 0, HOW_WIDE() - 1, 24 do PUT_VLINE(col, 250) end
START_DISTORT(7, 4, 10)
frame(50)
START_RIPPLE(9, 7, 8)
frame(60)
STOP_RIPPLE()
frame(50)
