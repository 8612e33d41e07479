-- Leaves through os.exit in the middle of a recording.
frame(3)
os.exit(4)
