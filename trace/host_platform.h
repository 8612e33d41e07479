// What the shim needs of the operating system: the real plug-in loaded,
// the trace file opened, host memory copied without risking a fault. One
// implementation each: host_platform_posix.cpp, host_platform_win32.cpp.
#ifndef WAVEFX_TRACE_HOST_PLATFORM_H
#define WAVEFX_TRACE_HOST_PLATFORM_H

#include <cstddef>
#include <cstdio>
#include <string>

#include "kro_abi.h"

namespace wavefx_trace {

struct RealPlugin {
  decltype(&::krolibrary) krolibrary = nullptr;
  decltype(&::kromain) kromain = nullptr;
  decltype(&::kroend) kroend = nullptr;
};

// The library named by WAVEFX_TRACE_PLUGIN, else kRealPluginName beside
// the shim, kept loaded for good. False with the reason in `why`.
bool load_real_plugin(RealPlugin &plugin, std::string &why);

// The file named by WAVEFX_TRACE_FILE, else `default_name` in the working
// folder, opened for writing; its name in `name`. Null if it cannot be.
std::FILE *open_trace_file(const std::string &default_name, std::string &name);

// Copies `count` bytes from host memory that may be unreadable (a host
// object the plug-in itself never reads). False, and nothing faulted, if
// the system refuses.
bool copy_host_memory(const void *from, void *to, size_t count);

}  // namespace wavefx_trace

#endif  // WAVEFX_TRACE_HOST_PLATFORM_H
