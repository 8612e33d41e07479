-- A ripple over bands, ten frames. The browser test presses 3 (tune the
-- amplitude) and Ctrl+Up (double it) while frame 3 is on screen; with
-- TUNED set, kroplay makes the call those keys make, at the same point.
for i = 1, 16 do color(i, 16 * i - 1, 8 * i, 256 - 16 * i) end
for y = 0, HOW_HIGH() - 1 do PUT_HLINE(y, 1 + y % 16) end
START_RIPPLE(20, 10, 6)
frame(4)
if os.getenv("TUNED") then CHANGE_RVAL(12, 2) end
frame(6)
