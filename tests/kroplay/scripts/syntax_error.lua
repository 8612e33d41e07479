FILL(1)
frame(
