# kroplay's layers, checked against what each folder includes:
#   cmake -DSOURCE_DIR=<the repository> -P layers_test.cmake
# Fails, naming the file, when a folder includes a folder of its own layer
# or of a higher one, includes a folder no layer holds, or when a folder of
# kroplay/ stands in no layer.

cmake_minimum_required(VERSION 3.25)

# Lowest first. A folder includes its own headers and those of the folders
# on lower lines. web is the page's module, beside app.
set(layers
    "base"
    "host tuning output scale overlay"
    "gif png"
    "picture"
    "script"
    "record replay"
    "preview check"
    "cli"
    "app web")
# What a folder never includes although its layer would allow it: the page
# shares the tuning with the preview window, not the window's code.
set(never "web:preview")

set(level 0)
set(known "")
foreach(line IN LISTS layers)
  string(REPLACE " " ";" folders "${line}")
  foreach(folder IN LISTS folders)
    set(level_${folder} ${level})
    list(APPEND known ${folder})
  endforeach()
  math(EXPR level "${level} + 1")
endforeach()

set(failures "")
file(GLOB present LIST_DIRECTORIES true RELATIVE ${SOURCE_DIR}/kroplay ${SOURCE_DIR}/kroplay/*)
foreach(folder IN LISTS present)
  if(IS_DIRECTORY ${SOURCE_DIR}/kroplay/${folder} AND NOT folder IN_LIST known)
    list(APPEND failures "kroplay/${folder}/ stands in no layer")
  endif()
endforeach()

foreach(folder IN LISTS known)
  if(folder STREQUAL "web")
    file(GLOB sources ${SOURCE_DIR}/web/*.h ${SOURCE_DIR}/web/*.cpp)
  else()
    file(GLOB_RECURSE sources ${SOURCE_DIR}/kroplay/${folder}/*.h ${SOURCE_DIR}/kroplay/${folder}/*.cpp)
  endif()
  if(NOT sources)
    list(APPEND failures "${folder} has no sources")
  endif()
  foreach(source IN LISTS sources)
    file(STRINGS ${source} includes REGEX "^#include \"kroplay/[a-z_]+/")
    foreach(include IN LISTS includes)
      string(REGEX MATCH "kroplay/([a-z_]+)/" ignored "${include}")
      set(target ${CMAKE_MATCH_1})
      file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
      if(target STREQUAL folder)
        continue()
      elseif(NOT DEFINED level_${target})
        list(APPEND failures "${name} includes kroplay/${target}/, which stands in no layer")
      elseif(NOT level_${target} LESS level_${folder})
        list(APPEND failures "${name} (${folder}) includes kroplay/${target}/, not a lower layer")
      elseif("${folder}:${target}" IN_LIST never)
        list(APPEND failures "${name} (${folder}) includes kroplay/${target}/, which it never may")
      endif()
    endforeach()
  endforeach()
endforeach()

if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "${text}")
endif()
list(LENGTH known count)
message(STATUS "${count} folders keep to their layers")
