frame(2)
START_RIPPLE(5, 2.5, 20)
