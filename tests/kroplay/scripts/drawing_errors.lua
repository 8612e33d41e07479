-- Every refused drawing is a Lua error naming the function and the
-- argument, and draws nothing. Run beside ship.png (3x2, colour 41
-- transparent).
local function fails(expected, f, ...)
  local ok, message = pcall(f, ...)
  assert(not ok, "accepted: " .. expected)
  assert(message:find(expected, 1, true), "got '" .. message .. "', wanted '" .. expected .. "'")
end

local ship = load_picture("ship.png")
assert(tostring(ship) == "picture 3x2" and ship.depth == nil)
assert(getmetatable(ship) == "picture")
fails("sprite: argument 1 must be a picture from load_picture, got string", sprite, "ship", 0, 0)
fails("sprite: argument 1 must be a picture from load_picture, got userdata", sprite, io.stdout,
      0, 0)
fails("sprite: argument 2 must be an integer, got 0.5", sprite, ship, 0.5, 0)
fails("sprite: expected 3 arguments, got 1", sprite, ship)
fails("rect: argument 3 must be from 0 to 2147483647, got -1", rect, 0, 0, -1, 1, 1)
fails("rect: argument 5 must be from 0 to 255, got 256", rect, 0, 0, 1, 1, 256)
fails("text: argument 3 must be a string, got number", text, 0, 0, 12, 1)
fails("text: argument 3 has byte 195 at position 3, which the font lacks", text, 0, 0, "ab\195\169", 1)
fails("text: argument 4 must be from 0 to 255, got -1", text, 0, 0, "ab", -1)
fails("load_picture: cannot read 'gone.png': No such file or directory (looked for '", load_picture,
      "gone.png")
fails("load_picture: argument 1 must be a file name, got nil", load_picture, nil)

-- None of the refused calls queued anything.
FILL(5)
frame()
for x = 0, 15 do assert(pixel(x, 0) == 5, x) end
-- Drawings are for one frame() call: the next frame is the plug-in's alone.
sprite(ship, 0, 0)
frame(0)
frame()
assert(pixel(0, 0) == 5)

-- A picture a finalizer keeps past its own finalizer has no pixels left:
-- tostring says so at the script's line.
local resurrected
do
  local doomed = load_picture("ship.png")
  setmetatable({}, {__gc = function() resurrected = doomed end})
end
collectgarbage()
collectgarbage()
assert(resurrected, "not resurrected")
local ok, message = pcall(tostring, resurrected); local line = debug.getinfo(1, "l").currentline
assert(not ok and message == "refused.lua:" .. line .. ": tostring: the picture was collected already",
       message)
