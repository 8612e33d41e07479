frame()
error("first line\nsecond line")
