# Cross build for 32-bit x86 Windows with Debian's mingw-w64 compilers.
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
# The posix thread-model compilers: the win32 model has no std::thread or
# std::mutex, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(WAVEFX_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${WAVEFX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${WAVEFX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${WAVEFX_MINGW_PREFIX}-windres)
set(CMAKE_OBJDUMP ${WAVEFX_MINGW_PREFIX}-objdump CACHE FILEPATH "objdump for the target")

set(CMAKE_FIND_ROOT_PATH /usr/${WAVEFX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Double arithmetic in SSE2 registers, rounded to 64 bits after every
# operation, for all code including the tests' reference model: the default
# x87 unit keeps 80-bit intermediates, so results would depend on register
# spills instead of matching the double-precision algorithm.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

# Every program carries its runtime (no libgcc, libstdc++ or winpthread DLLs).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Test programs (and GoogleTest's test discovery at build time) run under
# Wine with the settings of wine.env.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/wine.env wavefx_wine_settings REGEX "^[A-Z]")
set(CMAKE_CROSSCOMPILING_EMULATOR env)
foreach(setting IN LISTS wavefx_wine_settings)
  string(REGEX REPLACE "^WINEPREFIX=" "WINEPREFIX=${CMAKE_BINARY_DIR}/" setting "${setting}")
  list(APPEND CMAKE_CROSSCOMPILING_EMULATOR ${setting})
endforeach()
list(APPEND CMAKE_CROSSCOMPILING_EMULATOR wine)
