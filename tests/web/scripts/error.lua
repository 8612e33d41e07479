-- Fails on its third line.
local screen = 1
local broken = screen.width + nil
