-- The README's example script.
palette("ocean")
FILL(40)
for row = 0, HOW_HIGH() - 1, 8 do PUT_HLINE(row, 220) end
for col = 0, HOW_WIDE() - 1, 32 do PUT_VLINE(col, 120) end
frame(10)
START_RIPPLE(10, 8, 2)
for amplitude = 2, 20 do
  CHANGE_RVAL(amplitude, 2)
  frame(5)
end
STOP_RIPPLE()
frame(25)
