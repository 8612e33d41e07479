-- For the test plug-ins: one call of ADD between frames.
frame(2)
assert(ADD(2, 3) == 5)
frame()
