# kroplay's libraries for the Windows cross build: Lua, giflib and libpng
# from Debian's source packages (cmake/debian_sources.cmake) on zlib from
# Debian's libz-mingw-w64-dev, and SDL2 (SDL2::SDL2, static, only the
# subsystems the preview uses) from its Debian source package too.
# Everything is static and linked into kroplay.exe: no DLL but the
# plug-in has to lie beside it.
include(${CMAKE_CURRENT_LIST_DIR}/debian_sources.cmake)

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
