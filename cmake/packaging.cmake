# Release packages, made with `cpack` in a build folder, each with its
# SHA-256 file beside it (PACKAGE.sha256, as `sha256sum -c` reads it):
#   Windows cross build: wavefx-VERSION-win32.zip
#   Linux build:         wavefx-VERSION-linux-x86_64.tar.gz and
#                        wavefx_VERSION_amd64.deb
# The zip and the tarball hold one folder with the programs at its top
# (component "archive"); the Debian package, like `cmake --install`, uses
# the Unix layout of install_layout.cmake. Included after every target is
# defined.

# Installs everything a package holds into `component`, with the programs
# in PROGRAMS, the plug-in and the tracing shim in PLUGIN, the README, the licence (as
# LICENSE_NAME), docs/ and examples/ in DOCS and the ABI header in HEADER.
# The README's links into docs/ and the docs' into ../examples/ hold in
# both layouts.
function(wavefx_install_package component)
  cmake_parse_arguments(PARSE_ARGV 1 arg "EXCLUDE_FROM_ALL" "PROGRAMS;PLUGIN;DOCS;HEADER;LICENSE_NAME"
                        "")
  set(where COMPONENT ${component})
  if(arg_EXCLUDE_FROM_ALL)
    list(APPEND where EXCLUDE_FROM_ALL)
  endif()
  # The tracing shim goes beside the plug-in it stands in for.
  install(TARGETS wavefx wavefx_trace LIBRARY DESTINATION ${arg_PLUGIN} ${where}
          RUNTIME DESTINATION ${arg_PLUGIN} ${where})
  if(TARGET kroplay)
    install(TARGETS kroplay RUNTIME DESTINATION ${arg_PROGRAMS} ${where})
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${arg_DOCS} ${where})
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${arg_DOCS} RENAME ${arg_LICENSE_NAME}
          ${where})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${arg_DOCS}/docs ${where})
  # Shell scripts are of no use on Windows.
  if(WIN32)
    set(windows_skips PATTERN "*.sh" EXCLUDE)
  endif()
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${arg_DOCS}/examples ${where}
          ${windows_skips})
  install(FILES ${PROJECT_SOURCE_DIR}/plugin/host/kro_abi.h DESTINATION ${arg_HEADER} ${where})
endfunction()

if(WIN32)
  wavefx_install_package(archive PROGRAMS . PLUGIN . DOCS . HEADER include LICENSE_NAME LICENSE)
  # The Windows quick start, plain text with Windows line ends.
  configure_file(${PROJECT_SOURCE_DIR}/packaging/README.txt ${CMAKE_BINARY_DIR}/README.txt
                 @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION . COMPONENT archive)
  set(WAVEFX_PACKAGE_PLATFORM win32)
  set(CPACK_GENERATOR ZIP)
else()
  wavefx_install_package(archive EXCLUDE_FROM_ALL PROGRAMS . PLUGIN . DOCS . HEADER include
                         LICENSE_NAME LICENSE)
  # Debian wants the licence as the copyright file of the package's docs.
  wavefx_install_package(unix PROGRAMS ${WAVEFX_INSTALL_PROGRAM_DIR}
                         PLUGIN ${WAVEFX_INSTALL_PLUGIN_DIR} DOCS ${WAVEFX_INSTALL_DOC_DIR}
                         HEADER ${WAVEFX_INSTALL_HEADER_DIR} LICENSE_NAME copyright)
  # man kroplay, where man looks for it.
  if(TARGET kroplay_man_page)
    install(FILES ${CMAKE_BINARY_DIR}/kroplay.1 DESTINATION ${WAVEFX_INSTALL_MAN_DIR}
            COMPONENT unix)
  endif()
  string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" WAVEFX_PACKAGE_PLATFORM)
  set(CPACK_GENERATOR TGZ DEB)
endif()

set(CPACK_PACKAGE_NAME wavefx)
set(CPACK_PACKAGE_VENDOR "${WAVEFX_VENDOR}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}, and kroplay, its reference host")
set(CPACK_PACKAGE_FILE_NAME wavefx-${PROJECT_VERSION}-${WAVEFX_PACKAGE_PLATFORM})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")

# The zip and the tarball: the "archive" component alone, in one folder
# named after the package.
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL archive)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_ARCHIVE_FILE_NAME ${CPACK_PACKAGE_FILE_NAME})

# The Debian package: the whole installation below /usr, its library
# dependencies found by dpkg-shlibdeps.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_VENDOR}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# CPack puts the summary above this.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "wavefx gives a game's scripts a ripple and a distortion effect, drawing
into the background and screen-size queries. kroplay runs Lua scripts
against it, records GIFs and PNGs, previews them live and checks
plug-ins of the same interface.")

include(CPack)

# Builds the packages and checks what each holds, its checksum file, the
# links of its documents and, in the Linux build, the Debian package's
# kroplay unpacked elsewhere. Not in sanitizer builds, whose binaries are
# not for release.
if(WAVEFX_BUILD_TESTS AND NOT WAVEFX_SANITIZE)
  add_test(NAME release_package
           COMMAND bash ${PROJECT_SOURCE_DIR}/tests/packages/release_packages_test.sh
                   ${CMAKE_COMMAND} ${CMAKE_CPACK_COMMAND} ${CMAKE_BINARY_DIR}/CPackConfig.cmake ${CMAKE_BINARY_DIR}/packages
                   ${WAVEFX_PACKAGE_PLATFORM} ${PROJECT_VERSION}
                   $<IF:$<TARGET_EXISTS:kroplay>,kroplay,no-kroplay>)
endif()
