-- A dream or flashback: the scene melts in a growing distortion, turns
-- sepia at its height and settles again, then goes back the same way.
-- Amplitudes start at 2: a distortion of amplitude 1 never moves a pixel.
local W, H = HOW_WIDE(), HOW_HIGH()
local colours = { -- index, red, green, blue
  {1, 40, 50, 120}, {2, 60, 80, 150}, {3, 90, 110, 180}, {4, 130, 150, 200},
  {5, 170, 190, 220}, {6, 60, 120, 50}, {7, 120, 70, 40}, {8, 255, 255, 255},
}
-- Today in colour; the past in sepia, from each colour's brightness.
local function tint(sepia)
  for _, c in ipairs(colours) do
    local i, r, g, b = table.unpack(c)
    if sepia then
      local l = (3 * r + 6 * g + b) // 10
      r, g, b = math.min(255, l + 50), math.min(255, l + 25), l
    end
    color(i, r, g, b)
  end
end

for y = 0, H - 1 do PUT_HLINE(y, y < 60 and 1 + y // 12 or 6) end
for x = 10, W - 1, 24 do PUT_VLINE(x, 7) PUT_VLINE(x + 1, 7) end

local function show(caption, n)
  for _ = 1, n do
    text(4, H - 12, caption, 8)
    frame()
  end
end
-- Melt from amplitude 2 to 20 and back, changing the colours at the height.
local function melt(sepia)
  START_DISTORT(25, 12, 2)
  for a = 2, 20, 2 do CHANGE_DVAL(a, 2) frame() end
  tint(sepia)
  for a = 20, 2, -2 do CHANGE_DVAL(a, 2) frame() end
  STOP_DISTORT()
end

tint(false)
while true do
  show("TODAY", 12)
  melt(true)
  show("TEN YEARS EARLIER", 16)
  melt(false)
end
