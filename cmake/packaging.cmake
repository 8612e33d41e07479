# Release packages, made with `cpack` in a build folder:
#   Windows cross build: wavefx-VERSION-win32.zip (wavefx.dll, kroplay.exe,
#                        examples, README, docs, licence)
#   Linux build:         wavefx-VERSION-linux-x86_64.tar.gz (wavefx.so,
#                        kroplay, examples, README, docs, licence)
# Everything lies flat at the top of the package folder, examples in
# examples/, the pages the README links in docs/. Included after every
# target is defined.

install(TARGETS wavefx LIBRARY DESTINATION . RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION docs)
if(TARGET kroplay)
  install(TARGETS kroplay RUNTIME DESTINATION .)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION examples)

if(WIN32)
  set(WAVEFX_PACKAGE_PLATFORM win32)
  set(CPACK_GENERATOR ZIP)
else()
  string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" WAVEFX_PACKAGE_PLATFORM)
  set(CPACK_GENERATOR TGZ)
endif()
set(CPACK_PACKAGE_NAME wavefx)
set(CPACK_PACKAGE_VENDOR "wavefx developers")
set(WAVEFX_PACKAGE_NAME wavefx-${PROJECT_VERSION}-${WAVEFX_PACKAGE_PLATFORM})
set(CPACK_PACKAGE_FILE_NAME ${WAVEFX_PACKAGE_NAME})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)

# Builds the package and fails unless it holds exactly the expected files.
# Not in sanitizer builds, whose binaries are not for release.
if(WAVEFX_BUILD_TESTS AND NOT WAVEFX_SANITIZE)
  file(GLOB_RECURSE WAVEFX_DOCS RELATIVE ${PROJECT_SOURCE_DIR} CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/docs/*)
  if(WIN32)
    set(WAVEFX_PACKAGE_FILES wavefx.dll README.md LICENSE)
  else()
    set(WAVEFX_PACKAGE_FILES wavefx.so README.md LICENSE)
  endif()
  if(TARGET kroplay)
    list(APPEND WAVEFX_PACKAGE_FILES kroplay${CMAKE_EXECUTABLE_SUFFIX})
  endif()
  file(GLOB_RECURSE WAVEFX_EXAMPLES RELATIVE ${PROJECT_SOURCE_DIR}
       CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/*)
  list(APPEND WAVEFX_PACKAGE_FILES ${WAVEFX_EXAMPLES})
  list(APPEND WAVEFX_PACKAGE_FILES ${WAVEFX_DOCS})
  add_test(NAME release_package
           COMMAND ${CMAKE_COMMAND} -DCONFIG=${CMAKE_BINARY_DIR}/CPackConfig.cmake
                   -DOUTPUT_DIR=${CMAKE_BINARY_DIR}/packages
                   -DPACKAGE=${WAVEFX_PACKAGE_NAME}
                   -DEXTENSION=$<IF:$<BOOL:${WIN32}>,zip,tar.gz>
                   "-DEXPECTED=${WAVEFX_PACKAGE_FILES}"
                   -P ${CMAKE_CURRENT_LIST_DIR}/check_package.cmake)
endif()
