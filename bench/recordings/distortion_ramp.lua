-- A grid whose distortion's amplitude ramps up, then down.
palette("grey")
FILL(0)
for row = 0, HOW_HIGH() - 1, 10 do PUT_HLINE(row, 200) end
for col = 0, HOW_WIDE() - 1, 10 do PUT_VLINE(col, 128) end
frame(2)
START_DISTORT(10, 9, 0)
for amplitude = 0, 32 do
  CHANGE_DVAL(amplitude, 2)
  frame(2)
end
for amplitude = 32, 0, -1 do
  CHANGE_DVAL(amplitude, 2)
  frame(2)
end
STOP_DISTORT()
frame(64)
