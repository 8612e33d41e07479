# Where `cmake --install` and the Debian package put each file, below the
# prefix (/usr for the package): the usual Unix layout. kroplay finds its
# plug-in from its own folder through WAVEFX_PLUGIN_FROM_PROGRAM. The zip
# and the tarball lay the same files out flat instead (packaging.cmake).
set(WAVEFX_INSTALL_PROGRAM_DIR bin)
# The plug-in in a folder of its own, two levels below lib/: the linker
# never searches it, so the Debian package needs (and CPack adds) no
# ldconfig call on install or removal.
set(WAVEFX_INSTALL_PLUGIN_DIR lib/wavefx/plugin)
set(WAVEFX_INSTALL_DOC_DIR share/doc/wavefx)
set(WAVEFX_INSTALL_HEADER_DIR include/wavefx)
set(WAVEFX_INSTALL_MAN_DIR share/man/man1)
file(RELATIVE_PATH WAVEFX_PLUGIN_FROM_PROGRAM /${WAVEFX_INSTALL_PROGRAM_DIR}
     /${WAVEFX_INSTALL_PLUGIN_DIR})
