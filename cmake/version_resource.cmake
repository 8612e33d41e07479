# Windows version resources for wavefx.dll, wavefx-trace.dll and kroplay.exe: file and product
# version from the project's one version, a description, and the copyright
# line of LICENSE; kroplay.exe's icon. Included after both targets are
# defined.
enable_language(RC)
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE WAVEFX_RC_COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1)

# Adds to `target` (whose file is `file_name`) a version resource with
# `description`.
function(wavefx_version_resource target file_name description)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(WAVEFX_RC_FILE_TYPE VFT_APP)
  else()
    set(WAVEFX_RC_FILE_TYPE VFT_DLL)
  endif()
  set(WAVEFX_RC_FILE_NAME ${file_name})
  set(WAVEFX_RC_INTERNAL_NAME ${target})
  set(WAVEFX_RC_DESCRIPTION ${description})
  set(WAVEFX_RC_COMPANY ${WAVEFX_VENDOR})
  set(rc ${CMAKE_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

wavefx_version_resource(wavefx wavefx${CMAKE_SHARED_MODULE_SUFFIX} "${PROJECT_DESCRIPTION}")
wavefx_version_resource(wavefx_trace wavefx-trace${CMAKE_SHARED_MODULE_SUFFIX}
                        "wavefx-trace: records a game's use of wavefx for kroplay --replay")
if(TARGET kroplay)
  wavefx_version_resource(kroplay kroplay${CMAKE_EXECUTABLE_SUFFIX}
                          "kroplay, the reference host: runs Lua scripts against wavefx")
endif()

# kroplay.exe's icon, which Explorer shows: our own, drawn by
# packaging/make_icon.py.
if(TARGET kroplay)
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/kroplay_icon.rc
       CONTENT "1 ICON \"${PROJECT_SOURCE_DIR}/packaging/kroplay.ico\"\n")
  target_sources(kroplay PRIVATE ${CMAKE_BINARY_DIR}/kroplay_icon.rc)
endif()
