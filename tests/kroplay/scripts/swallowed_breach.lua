-- A script cannot catch a contract breach and go on.
frame()
local ok = pcall(ADD, 1, 2)
assert(not ok)
frame(2)
