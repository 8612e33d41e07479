frame()
FILL(2 ^ 31)
