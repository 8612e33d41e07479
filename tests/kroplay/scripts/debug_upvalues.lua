-- kroplay's functions hold nothing a script can swap through the debug
-- library for something kroplay would then trust.
assert(debug.setupvalue(frame, 1, io.stdout) == nil, "frame has an upvalue")
assert(debug.setupvalue(pixel, 1, 12345) == nil, "pixel has an upvalue")
assert(debug.setupvalue(FILL, 2, 100000) == nil, "FILL has a second upvalue")
local _, own = debug.getupvalue(FILL, 1)
for _, bad in ipairs({100000, 11, -1, 1.5, "1", io.stdout, FILL}) do
  debug.setupvalue(FILL, 1, bad)
  local ok, message = pcall(FILL, 1)
  assert(not ok and message:find("plug-in function's binding was changed", 1, true),
         tostring(bad) .. ": " .. tostring(message))
end
debug.setupvalue(FILL, 1, own)
assert(FILL(4) == 0 and background_pixel(0, 0) == 4)
-- The rest of the debug library is there.
assert(debug.traceback("here"):find("debug_upvalues.lua"))
assert(debug.getinfo(1, "S").short_src:find("debug_upvalues.lua"))
frame()
