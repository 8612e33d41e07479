# Makes the release package with cpack and compares the files it holds with
# EXPECTED (paths below the package folder). Any missing or extra file fails.
# Usage: cmake -DCONFIG=CPackConfig.cmake -DOUTPUT_DIR=dir -DPACKAGE=name
#              -DEXTENSION=zip|tar.gz "-DEXPECTED=a;b;c" -P check_package.cmake
get_filename_component(cpack ${CMAKE_COMMAND} DIRECTORY)
set(cpack ${cpack}/cpack)
set(archive ${OUTPUT_DIR}/${PACKAGE}.${EXTENSION})
file(REMOVE ${archive})
execute_process(COMMAND ${cpack} --config ${CONFIG} -B ${OUTPUT_DIR}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT EXISTS ${archive})
  message(FATAL_ERROR "cpack did not make ${archive}:\n${output}")
endif()

# The listing of a zip or a tarball; directories end in a slash and are
# left out.
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${archive}
                RESULT_VARIABLE result OUTPUT_VARIABLE listing ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cannot list ${archive}: ${errors}")
endif()
string(REPLACE "\n" ";" entries "${listing}")
set(actual "")
foreach(entry IN LISTS entries)
  if(entry STREQUAL "" OR entry MATCHES "/$")
    continue()
  endif()
  string(REGEX REPLACE "^${PACKAGE}/" "" relative "${entry}")
  if(relative STREQUAL entry)
    message(FATAL_ERROR "${entry} lies outside the folder ${PACKAGE}/")
  endif()
  list(APPEND actual ${relative})
endforeach()

list(SORT actual)
set(expected ${EXPECTED})
list(SORT expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "${archive} holds\n  ${actual}\nexpected\n  ${expected}")
endif()
message(STATUS "${archive}: ${actual}")
