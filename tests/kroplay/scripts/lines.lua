-- Hand-checked frames on a 6x4 screen. Background:
--   row 0: 1 1 1 7 1 1      row 2: 5 5 5 7 5 5
--   row 1: 1 1 1 7 1 1      row 3: 9 9 9 7 9 9
screen(6, 4)
color(9, 10, 20, 30)
assert(FILL(1) == 0)
PUT_HLINE(2, 5)
PUT_HLINE(3, 9)
PUT_VLINE(3, 7)
frame()
assert(pixel(3, 0) == 7 and pixel(0, 2) == 5 and background_pixel(5, 3) == 9)

-- Frequency 1.57 rad/row, amplitude 1000, speed 0: the sines of rows 0..3
-- are about 0, 1, 0.0016, -1. Shifts: 0, 5 (clamped), 1, -5 (clamped).
assert(START_DISTORT(0, 157, 1000) == 0)
frame()
assert(pixel(5, 1) == 1 and pixel(4, 1) == 0 and pixel(0, 3) == 9)

-- The ripple wins. Source rows: 0, 3 (clamped), trunc(3.59) = 3, 0 (clamped).
assert(START_RIPPLE(0, 157, 1000) == 1)
frame()
assert(pixel(0, 1) == 9 and pixel(0, 3) == 1)

-- Ripple off: the distortion is back.
assert(STOP_RIPPLE() == 0)
frame()

-- A new colour for index 1 shows from the next frame on.
color(1, 200, 100, 50)
frame()
