-- Asks for memory until there is none.
local hoard = {}
while true do hoard[#hoard + 1] = string.rep("x", 1 << 20) .. #hoard end
