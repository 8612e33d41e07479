// The system calls a plug-in is loaded with: open a shared library, look up
// a symbol, close it, and the running executable's own path (to find the
// plug-in beside it). One implementation each: dynamic_loading_posix.cpp
// (dlopen), dynamic_loading_win32.cpp (LoadLibrary),
// dynamic_loading_linked.cpp (WebAssembly, the plug-in linked in).
#ifndef KROPLAY_DYNAMIC_LOADING_H
#define KROPLAY_DYNAMIC_LOADING_H

#include <string>

namespace kroplay {

// The library at `path` (a bare file name means the working folder's), or
// null with the system's reason in `error`.
void *open_library(const std::string &path, std::string &error);

// The exported symbol `name`; null if there is none.
void *find_symbol(void *handle, const char *name);

void close_library(void *handle);

// The running executable's full path; empty if the system cannot say.
std::string executable_path();

}  // namespace kroplay

#endif  // KROPLAY_DYNAMIC_LOADING_H
