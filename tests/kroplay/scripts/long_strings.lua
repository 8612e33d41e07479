-- A long name is quoted shortened, with its length.
local long = ("x"):rep(10000000)
for _, f in ipairs({load_background, palette}) do
  local ok, message = pcall(f, long)
  assert(not ok and #message < 400 and message:find("xxx...' (10000000 bytes)", 1, true),
         message:sub(1, 300))
end
error(long)
