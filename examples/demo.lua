-- The wavefx demo for kroplay: every one of the plug-in's eleven functions
-- in about ten seconds (475 frames at 50 fps). Run it with
--   build/kroplay examples/demo.lua
-- It adapts to any screen size: try --size 640x400.

local W, H = HOW_WIDE(), HOW_HIGH()
local horizon = math.floor(H * 0.58)

-- Colours -------------------------------------------------------------------
-- 0 is the night floor, and also what the distortion uncovers at the edges.
-- 1..64 a dusk sky from deep violet to pale gold; 70..72 neon lines.
local SKY, FLOOR, GRID, COLUMN, GLOW = 1, 0, 70, 71, 72
local stops = {{10, 6, 40}, {52, 14, 96}, {150, 32, 138}, {238, 78, 112},
               {255, 158, 72}, {255, 232, 150}}
local function mix(a, b, t) return math.floor(a + (b - a) * t + 0.5) end
for i = 0, 63 do
  local t = i / 63 * (#stops - 1)
  local k = math.min(math.floor(t), #stops - 2)
  local a, b, f = stops[k + 1], stops[k + 2], t - k
  color(SKY + i, mix(a[1], b[1], f), mix(a[2], b[2], f), mix(a[3], b[3], f))
end
color(FLOOR, 16, 6, 34)
color(GRID, 255, 56, 196)
color(COLUMN, 64, 224, 255)
color(GLOW, 255, 246, 210)

-- Drawing -------------------------------------------------------------------
local function sky_row(r)
  -- A gradient with faint bands, cut near the horizon by dark stripes that
  -- thicken as they go down.
  local shade = SKY + math.floor(r * 63 / (horizon - 1))
  if r % 12 < 2 then shade = math.max(SKY, shade - 4) end
  local below = horizon - r
  if below < 40 and below % 8 < (40 - below) // 10 then shade = FLOOR end
  PUT_HLINE(r, shade)
end

local columns = {}
for x = W // 2 % 24, W - 1, 24 do columns[#columns + 1] = x end
-- From the middle outwards.
table.sort(columns, function(a, b) return math.abs(a - W / 2) < math.abs(b - W / 2) end)

local floor_lines = {}
for k = 1, 11 do
  floor_lines[k] = horizon + math.floor((H - horizon) * (k / 12) ^ 2)
end

-- Helpers -------------------------------------------------------------------
local function hold(n) frame(n) end
-- Calls step(t) with t running from 0 to 1 over n frames, one frame each.
local function over(n, step)
  for i = 1, n do
    step(i / n)
    frame()
  end
end

-- The scene: floor, columns, floor lines, then the sky from the horizon up,
-- covering the columns above it, and the glowing horizon. With `animated`,
-- a frame after each step.
local function build_scene(animated)
  local function step() if animated then frame() end end
  FILL(FLOOR)
  for i = 1, #columns, 2 do
    PUT_VLINE(columns[i], COLUMN)
    if columns[i + 1] then PUT_VLINE(columns[i + 1], COLUMN) end
    step()
  end
  for k = 1, #floor_lines do
    PUT_HLINE(floor_lines[k], GRID)
    step()
  end
  local r = horizon - 1
  while r >= 0 do
    for _ = 1, 4 do
      if r >= 0 then sky_row(r) end
      r = r - 1
    end
    step()
  end
  PUT_HLINE(horizon, GLOW)
end

-- 1. The scene, whole from the first frame (a thumbnail shows it). (0.4 s)
build_scene(false)
hold(20)

-- 2. Ripple: rows move up and down. Started gently, then tuned live:
--    amplitude up, frequency up, speed reversed; then stopped. (2.2 s)
START_RIPPLE(10, 8, 2)
over(40, function(t) CHANGE_RVAL(math.floor(2 + 8 * t), 2) end)
CHANGE_RVAL(18, 1)
hold(30)
CHANGE_RVAL(-16, 0)
hold(30)
STOP_RIPPLE()
hold(15)

-- 3. Distortion: rows slide sideways. Started, tuned, stopped. (2.3 s)
START_DISTORT(8, 5, 2)
over(40, function(t) CHANGE_DVAL(math.floor(2 + 22 * t), 2) end)
CHANGE_DVAL(12, 1)
hold(30)
CHANGE_DVAL(20, 0)
hold(30)
STOP_DISTORT()
hold(15)

-- 4. Both on at once: the ripple wins and the distortion waits; when the
--    ripple stops, the distortion goes on from where it was. (2.2 s)
START_DISTORT(10, 3, 18)
hold(25)
START_RIPPLE(8, 5, 10)
hold(50)
STOP_RIPPLE()
over(35, function(t) CHANGE_DVAL(math.floor(18 * (1 - t)), 2) end)
STOP_DISTORT()

-- 5. Dusk: the sky goes out row by row, then the scene is built again,
--    ending as the demo began, so that it loops. (2.4 s)
hold(25)
local r = 0
while r < horizon do
  for _ = 1, 3 do
    if r < horizon then PUT_HLINE(r, FLOOR) end
    r = r + 1
  end
  frame()
end
FILL(FLOOR)
hold(4)
build_scene(true)
