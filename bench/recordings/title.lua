-- A title card: a plain backdrop, lines drawn one by one, a long hold, then
-- a gentle ripple through the lines.
palette("default")
FILL(17)
frame(10)
for row = 40, 160, 8 do
  PUT_HLINE(row, 231)
  frame(3)
end
for col = 60, 260, 40 do
  PUT_VLINE(col, 196)
  frame(2)
end
frame(40)
START_RIPPLE(6, 12, 3)
frame(39)
STOP_RIPPLE()
frame(8)
