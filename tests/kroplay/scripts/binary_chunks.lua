-- Lua runs bytecode without verifying it: no way of loading a chunk
-- accepts a binary one, whatever mode is asked for.
local chunk = string.dump(function() return 1 end)
local function refused(what, result, message)
  assert(result == nil, what .. " loaded a binary chunk")
  assert(tostring(message):find("attempt to load a binary chunk", 1, true), what .. ": " .. tostring(message))
end
refused("load b", load(chunk, "=x", "b"))
refused("load bt", load(chunk, "=x", "bt"))
refused("load", load(chunk))
local given = false
refused("load reader", load(function() if not given then given = true return chunk end end, "=x", "b"))

local file = io.open("chunk.luac", "wb")
file:write(chunk)
file:close()
refused("loadfile b", loadfile("chunk.luac", "b"))
refused("loadfile", loadfile("chunk.luac"))
local ok, message = pcall(dofile, "chunk.luac")
refused("dofile", ok and 1 or nil, message)
package.path = "./?.luac"
ok, message = pcall(require, "chunk")
refused("require", ok and 1 or nil, message)
os.remove("chunk.luac")

-- No C code either: no loadlib, no C searchers.
assert(package.loadlib == nil, "package.loadlib is there")
assert(package.cpath == "", "package.cpath is " .. tostring(package.cpath))
assert(#package.searchers == 2, #package.searchers .. " searchers")
-- Source text still loads, whatever mode is asked for.
assert(load("return 2", "=x", "bt")() == 2 and load("return 3", "=x", "b")() == 3)
frame()
