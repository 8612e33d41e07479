-- Every refused call is a Lua error naming the function and the argument.
local function fails(expected, f, ...)
  local ok, message = pcall(f, ...)
  assert(not ok, "accepted: " .. expected)
  assert(message:find(expected, 1, true), "got '" .. message .. "', wanted '" .. expected .. "'")
end

fails("START_RIPPLE: argument 2 must be an integer, got 2.5", START_RIPPLE, 1, 2.5, 3)
fails("START_RIPPLE: expected 3 arguments, got 2", START_RIPPLE, 1, 2)
fails("HOW_WIDE: expected 0 arguments, got 1", HOW_WIDE, 1)
fails("FILL: argument 1 must be an integer, got string", FILL, "3")
fails("FILL: argument 1 must be an integer, got nil", FILL, nil)
fails("FILL: argument 1 must be an integer, got boolean", FILL, true)
fails("FILL: argument 1 must be an integer, got inf", FILL, math.huge)
fails("FILL: argument 1 must be an integer from -2147483648 to 2147483647, got 2147483648",
      FILL, 2147483648)
fails("FILL: argument 1 must be an integer from -2147483648 to 2147483647, got -2147483649",
      FILL, -2147483649)
fails("PUT_HLINE: argument 2 must be an integer, got 1e+100", PUT_HLINE, 0, 1e100)
-- Floats with an exact integer value are integers; the 32-bit ends are fine.
assert(FILL(2.0) == 0 and background_pixel(0, 0) == 2)
assert(FILL(-2147483648) == 0 and FILL(2147483647) == 0)
assert(HOW_WIDE() / 2 == 160.0 and PUT_VLINE(HOW_WIDE() / 2, 3) == 0)
assert(background_pixel(160, 10) == 3)

fails("frame: argument 1 must be from 0 to 2147483647, got -1", frame, -1)
fails("frame: argument 1 must be an integer, got 0.5", frame, 0.5)
fails("screen: 0x5 is out of range", screen, 0, 5)
fails("screen: 20000x1 is out of range", screen, 20000, 1)
fails("screen: expected 2 arguments, got 1", screen, 5)
fails("color: argument 1 must be from 0 to 255, got 256", color, 256, 0, 0, 0)
fails("color: argument 4 must be from 0 to 255, got -1", color, 0, 0, 0, -1)
fails("palette: no built-in palette 'nope' (there are default grey fire ocean rainbow)",
      palette, "nope")
fails("palette: argument 1 must be a palette name, got number", palette, 3)
fails("load_background: cannot read 'missing.gif': No such file or directory",
      load_background, "missing.gif")
fails("pixel: (320, 0) is outside the 320x200 screen", pixel, 320, 0)
fails("background_pixel: (0, -1) is outside the 320x200 screen", background_pixel, 0, -1)
palette("grey")
frame(0)
frame()
