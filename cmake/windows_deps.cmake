# kroplay's libraries for the Windows cross build, compiled from Debian's
# source packages (the versions this Debian release ships), which
# scripts/fetch-windows-sources.sh unpacks into .cache/debian-sources/.
# Each gives the same names a Linux find_package gives:
#   Lua 5.4   LUA_INCLUDE_DIR, LUA_LIBRARIES
#   giflib    GIF::GIF
#   SDL2      SDL2::SDL2 (static, only the subsystems the preview uses)
#   libpng    PNG::PNG, on zlib from Debian's libz-mingw-w64-dev
# Everything is static and linked into kroplay.exe: no DLL but the
# plug-in has to lie beside it.

set(WAVEFX_DEBIAN_SOURCES ${PROJECT_SOURCE_DIR}/.cache/debian-sources
    CACHE PATH "Unpacked Debian source packages (scripts/fetch-windows-sources.sh)")

function(wavefx_debian_source name out)
  set(dir ${WAVEFX_DEBIAN_SOURCES}/${name})
  if(NOT EXISTS ${dir}/.unpacked)
    message(FATAL_ERROR "The source of ${name} is not in ${WAVEFX_DEBIAN_SOURCES}: "
                        "run scripts/fetch-windows-sources.sh first")
  endif()
  file(READ ${dir}/.unpacked version)
  string(STRIP "${version}" version)
  message(STATUS "Cross-building ${version} from its Debian source")
  set(${out} ${dir} PARENT_SCOPE)
endfunction()

# Lua 5.4: the library (every source but the two programs), configured as
# Debian builds it, with the 5.3 compatibility functions.
wavefx_debian_source(lua5.4 lua_dir)
file(GLOB lua_sources ${lua_dir}/src/*.c)
list(REMOVE_ITEM lua_sources ${lua_dir}/src/lua.c ${lua_dir}/src/luac.c)
add_library(wavefx_lua STATIC ${lua_sources})
target_compile_definitions(wavefx_lua PRIVATE LUA_COMPAT_5_3)
target_include_directories(wavefx_lua PUBLIC ${lua_dir}/src)
set(LUA_INCLUDE_DIR ${lua_dir}/src)
set(LUA_LIBRARIES wavefx_lua)

# giflib: its library sources, as its Makefile lists them.
wavefx_debian_source(giflib gif_dir)
add_library(wavefx_giflib STATIC
            ${gif_dir}/dgif_lib.c ${gif_dir}/egif_lib.c ${gif_dir}/gifalloc.c ${gif_dir}/gif_err.c
            ${gif_dir}/gif_font.c ${gif_dir}/gif_hash.c ${gif_dir}/openbsd-reallocarray.c
            ${gif_dir}/quantize.c)
target_include_directories(wavefx_giflib PUBLIC ${gif_dir})
add_library(GIF::GIF ALIAS wavefx_giflib)

# zlib (binary package) and libpng, with libpng's default configuration.
find_library(WAVEFX_ZLIB_STATIC NAMES libz.a REQUIRED)
add_library(wavefx_zlib INTERFACE)
target_link_libraries(wavefx_zlib INTERFACE ${WAVEFX_ZLIB_STATIC})
wavefx_debian_source(libpng1.6 png_dir)
configure_file(${png_dir}/scripts/pnglibconf.h.prebuilt
               ${CMAKE_BINARY_DIR}/libpng/pnglibconf.h COPYONLY)
set(png_sources png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset
                pngtrans pngwio pngwrite pngwtran pngwutil)
list(TRANSFORM png_sources PREPEND ${png_dir}/)
list(TRANSFORM png_sources APPEND .c)
add_library(wavefx_libpng STATIC EXCLUDE_FROM_ALL ${png_sources})
target_include_directories(wavefx_libpng PUBLIC ${png_dir} ${CMAKE_BINARY_DIR}/libpng)
target_link_libraries(wavefx_libpng PUBLIC wavefx_zlib)
add_library(PNG::PNG ALIAS wavefx_libpng)

# SDL2 through its own CMake build, static, with only what a window that
# shows frames and reads the keyboard needs: video, render, events, timers
# and threads. No audio, joystick, haptic, sensor, HID, power or OpenGL.
wavefx_debian_source(libsdl2 sdl_dir)
set(sdl_settings
    SDL_SHARED=OFF SDL_STATIC=ON SDL_TEST=OFF SDL2_DISABLE_SDL2MAIN=ON SDL2_DISABLE_INSTALL=ON
    SDL2_DISABLE_UNINSTALL=ON SDL_AUDIO=OFF SDL_JOYSTICK=OFF SDL_HAPTIC=OFF SDL_HIDAPI=OFF
    SDL_SENSOR=OFF SDL_POWER=OFF SDL_LOCALE=OFF SDL_FILESYSTEM=OFF SDL_MISC=OFF
    SDL_OPENGL=OFF SDL_OPENGLES=OFF SDL_VULKAN=OFF SDL_RENDER_D3D=ON SDL_DIRECTX=ON
    SDL_XINPUT=OFF SDL_WASAPI=OFF SDL_CCACHE=OFF)
foreach(setting ${sdl_settings})
  string(REPLACE "=" ";" pair ${setting})
  list(GET pair 0 key)
  list(GET pair 1 value)
  set(${key} ${value} CACHE BOOL "" FORCE)
endforeach()
add_subdirectory(${sdl_dir} ${CMAKE_BINARY_DIR}/sdl2 EXCLUDE_FROM_ALL)
set(SDL2_FOUND ON)  # SDL's build names its static library SDL2::SDL2 too
