# Where `cmake --install` and the Debian package put each file, below the
# prefix (/usr for the package): the usual Unix layout. kroplay finds its
# plug-in from its own folder through WAVEFX_PLUGIN_FROM_PROGRAM. The zip
# and the tarball lay the same files out flat instead (packaging.cmake).
set(WAVEFX_INSTALL_PROGRAM_DIR bin)
set(WAVEFX_INSTALL_PLUGIN_DIR lib/wavefx)
set(WAVEFX_INSTALL_DOC_DIR share/doc/wavefx)
set(WAVEFX_INSTALL_HEADER_DIR include/wavefx)
file(RELATIVE_PATH WAVEFX_PLUGIN_FROM_PROGRAM /${WAVEFX_INSTALL_PROGRAM_DIR}
     /${WAVEFX_INSTALL_PLUGIN_DIR})
