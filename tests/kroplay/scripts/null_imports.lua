assert(NULL_IMPORTS() == 20, "expected 20 null imports, got " .. NULL_IMPORTS())
frame()
