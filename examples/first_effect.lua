-- A first effect, as a game's script would make it (docs/in-your-game.md).
-- frame(n) stands in for the game running n frames. Run it with
--   build/kroplay --window examples/first_effect.lua
FILL(40)                          -- the background: one colour
for row = 0, HOW_HIGH() - 1, 8 do -- and a line every 8 rows,
  PUT_HLINE(row, 220)             -- drawn once; the effect moves them
end
START_RIPPLE(5, 10, 20)           -- speed, frequency (1/100 rad), amplitude (rows)
frame(100)
CHANGE_RVAL(40, 2)                -- selector 2: amplitude 40, the wave runs on
frame(100)
STOP_RIPPLE()                     -- the background shows still again
frame(50)
