# Writes OUTPUT, a C++ file defining kroplay::demo_script() as the bytes of
# INPUT, so the demo has one source: examples/demo.lua.
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n"
       bytes "${bytes}")
file(WRITE "${OUTPUT}"
     "// Generated from ${INPUT} at build time; do not edit.\n"
     "#include \"kroplay/script/demo_script.h\"\n\n"
     "namespace kroplay {\n"
     "namespace {\n"
     "const unsigned char kBytes[] = {\n${bytes}0};\n"
     "}  // namespace\n\n"
     "std::string_view demo_script() {\n"
     "  return {reinterpret_cast<const char *>(kBytes), sizeof kBytes - 1};\n"
     "}\n\n"
     "}  // namespace kroplay\n")
