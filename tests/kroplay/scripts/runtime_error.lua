frame(3)
local settings = nil
print(settings.speed)
