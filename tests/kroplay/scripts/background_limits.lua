-- load_background opens only regular files of at most 64 MiB, and names
-- are taken with their length: a zero byte does not end them early.
local function fails(expected, f, ...)
  local ok, message = pcall(f, ...)
  assert(not ok, "accepted: " .. expected)
  assert(message:find(expected, 1, true), "got '" .. message .. "', wanted '" .. expected .. "'")
end
fails("load_background: cannot read 'fifo': not a regular file", load_background, "fifo")
fails("load_background: cannot read 'folder': not a regular file", load_background, "folder")
fails("load_background: cannot read '/dev/zero': not a regular file", load_background, "/dev/zero")
fails("load_background: cannot read 'big.gif': larger than 64 MiB", load_background, "big.gif")
fails("load_background: argument 1 contains a zero byte", load_background, "bg.gif\0/x")
fails("palette: argument 1 contains a zero byte", palette, "grey\0fire")
load_background("bg.gif")
frame()
