frame()
START_RIPPLE(5, 10)
