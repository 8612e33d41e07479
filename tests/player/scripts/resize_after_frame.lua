frame()
screen(64, 48)
