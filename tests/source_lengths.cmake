# Fails naming every source file of the plug-in, kroplay and the playground
# longer than 500 lines (the generated sine constants aside): small files
# with one job each.
#   cmake -DROOT=<source folder> -P source_lengths.cmake
set(limit 500)
file(GLOB_RECURSE sources LIST_DIRECTORIES false
     ${ROOT}/plugin/*.c ${ROOT}/plugin/*.cpp ${ROOT}/plugin/*.h
     ${ROOT}/kroplay/*.cpp ${ROOT}/kroplay/*.h
     ${ROOT}/web/*.cpp ${ROOT}/web/*.h ${ROOT}/web/src/*.js ${ROOT}/web/src/*.html
     ${ROOT}/web/src/*.css)
list(FILTER sources EXCLUDE REGEX "/node_modules/|/sine_constants\\.h$")
set(long "")
foreach(source IN LISTS sources)
  # file(STRINGS) drops empty lines: count the line ends instead.
  file(READ ${source} text)
  string(REGEX MATCHALL "\n" ends "${text}")
  list(LENGTH ends count)
  if(count GREATER limit)
    file(RELATIVE_PATH name ${ROOT} ${source})
    string(APPEND long "\n  ${name}: ${count} lines")
  endif()
endforeach()
if(long)
  message(FATAL_ERROR "source files over ${limit} lines:${long}")
endif()
list(LENGTH sources checked)
message(STATUS "${checked} source files, none over ${limit} lines")
