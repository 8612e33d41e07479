-- Finalizers run when kroplay closes the Lua state, after the script ended:
-- the plug-in is still loaded, but the run is over, so kroplay's functions
-- refuse to work. What they answered goes to finalizer.txt.
FILL(3)
frame()
local answers = {}
local function record(name, f, ...)
  local ok, message = pcall(f, ...)
  answers[#answers + 1] = name .. ": " .. tostring(ok) .. " " .. tostring(message)
end
setmetatable({}, {__gc = function()
  record("STOP_RIPPLE", STOP_RIPPLE)
  record("frame", frame)
  record("color", color, 1, 2, 3, 4)
  local file = io.open("finalizer.txt", "w")
  file:write(table.concat(answers, "\n"), "\n")
  file:close()
end})
