# kroplay's libraries compiled from Debian's source packages (the versions
# this Debian release ships), for the cross builds that have no Debian
# binaries to link: Windows (cmake/windows_deps.cmake) and WebAssembly.
# scripts/fetch-debian-sources.sh unpacks them into .cache/debian-sources/.
# Each gives the same names a Linux find_package gives:
#   Lua 5.4   LUA_INCLUDE_DIR, LUA_LIBRARIES
#   giflib    GIF::GIF
#   libpng    PNG::PNG, on zlib: the Debian source package `zlib` where
#             WAVEFX_ZLIB_FROM_SOURCE is on, else the static libz.a found
# Everything is static.

set(WAVEFX_DEBIAN_SOURCES ${PROJECT_SOURCE_DIR}/.cache/debian-sources
    CACHE PATH "Unpacked Debian source packages (scripts/fetch-debian-sources.sh)")

function(wavefx_debian_source name out)
  set(dir ${WAVEFX_DEBIAN_SOURCES}/${name})
  if(NOT EXISTS ${dir}/.unpacked)
    message(FATAL_ERROR "The source of ${name} is not in ${WAVEFX_DEBIAN_SOURCES}: "
                        "run scripts/fetch-debian-sources.sh ${name} first")
  endif()
  file(READ ${dir}/.unpacked version)
  string(STRIP "${version}" version)
  message(STATUS "Cross-building ${version} from its Debian source")
  set(${out} ${dir} PARENT_SCOPE)
endfunction()

# Lua 5.4: the library (every source but the two programs), configured as
# Debian builds it, with the 5.3 compatibility functions. Debian's
# luaconf.h includes the multiarch header its packaging generates.
wavefx_debian_source(lua5.4 lua_dir)
file(GLOB lua_sources ${lua_dir}/src/*.c)
list(REMOVE_ITEM lua_sources ${lua_dir}/src/lua.c ${lua_dir}/src/luac.c)
add_library(wavefx_lua STATIC ${lua_sources})
target_compile_definitions(wavefx_lua PRIVATE LUA_COMPAT_5_3)
# WebAssembly: Lua compiled as C++, so that its errors are C++ exceptions
# rather than setjmp/longjmp, which Emscripten runs through JavaScript
# frames. Its API keeps C linkage (Debian's luaconf.h).
if(EMSCRIPTEN)
  set_source_files_properties(${lua_sources} PROPERTIES LANGUAGE CXX)
endif()
file(WRITE ${CMAKE_BINARY_DIR}/lua/lua5.4-deb-multiarch.h
     "#define DEB_HOST_MULTIARCH \"${CMAKE_SYSTEM_PROCESSOR}\"\n")
target_include_directories(wavefx_lua PUBLIC ${lua_dir}/src ${CMAKE_BINARY_DIR}/lua)
set(LUA_INCLUDE_DIR ${lua_dir}/src ${CMAKE_BINARY_DIR}/lua)
set(LUA_LIBRARIES wavefx_lua)

# giflib: its library sources, as its Makefile lists them.
wavefx_debian_source(giflib gif_dir)
add_library(wavefx_giflib STATIC
            ${gif_dir}/dgif_lib.c ${gif_dir}/egif_lib.c ${gif_dir}/gifalloc.c ${gif_dir}/gif_err.c
            ${gif_dir}/gif_font.c ${gif_dir}/gif_hash.c ${gif_dir}/openbsd-reallocarray.c
            ${gif_dir}/quantize.c)
target_include_directories(wavefx_giflib PUBLIC ${gif_dir})
add_library(GIF::GIF ALIAS wavefx_giflib)

# zlib, then libpng with its default configuration.
option(WAVEFX_ZLIB_FROM_SOURCE "Compile zlib from its Debian source package too" OFF)
if(WAVEFX_ZLIB_FROM_SOURCE)
  wavefx_debian_source(zlib zlib_dir)
  # The compression library alone: libpng uses no gz* file functions.
  set(zlib_sources adler32 compress crc32 deflate infback inffast inflate inftrees trees uncompr
                   zutil)
  list(TRANSFORM zlib_sources PREPEND ${zlib_dir}/)
  list(TRANSFORM zlib_sources APPEND .c)
  add_library(wavefx_zlib STATIC ${zlib_sources})
  target_include_directories(wavefx_zlib PUBLIC ${zlib_dir})
else()
  find_library(WAVEFX_ZLIB_STATIC NAMES libz.a REQUIRED)
  add_library(wavefx_zlib INTERFACE)
  target_link_libraries(wavefx_zlib INTERFACE ${WAVEFX_ZLIB_STATIC})
endif()
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
