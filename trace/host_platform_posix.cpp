#include <dlfcn.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cstdlib>

#include "host_platform.h"

namespace wavefx_trace {

bool load_real_plugin(RealPlugin &plugin, std::string &why) {
  std::string path;
  if (const char *named = std::getenv("WAVEFX_TRACE_PLUGIN"); named != nullptr && *named != 0) {
    path = named;
  } else {
    Dl_info self{};
    if (dladdr(reinterpret_cast<void *>(&load_real_plugin), &self) == 0 ||
        self.dli_fname == nullptr) {
      why = "cannot find the shim's own folder";
      return false;
    }
    path = self.dli_fname;
    path.erase(path.find_last_of('/') + 1);
    path += "wavefx-real.so";
  }
  void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char *error = dlerror();
    why = error != nullptr ? error : "cannot load " + path;
    return false;
  }
  plugin.krolibrary = reinterpret_cast<decltype(plugin.krolibrary)>(dlsym(handle, "krolibrary"));
  plugin.kromain = reinterpret_cast<decltype(plugin.kromain)>(dlsym(handle, "kromain"));
  plugin.kroend = reinterpret_cast<decltype(plugin.kroend)>(dlsym(handle, "kroend"));
  if (plugin.krolibrary == nullptr || plugin.kromain == nullptr || plugin.kroend == nullptr) {
    why = path + " lacks an entry point";
    return false;
  }
  return true;
}

std::FILE *open_trace_file(const std::string &default_name, std::string &name) {
  const char *named = std::getenv("WAVEFX_TRACE_FILE");
  name = named != nullptr && *named != 0 ? named : default_name;
  return std::fopen(name.c_str(), "wb");
}

// The kernel copies, so an unmapped or protected page fails the call
// instead of faulting the game.
bool copy_host_memory(const void *from, void *to, size_t count) {
  iovec local{to, count};
  iovec remote{const_cast<void *>(from), count};
  return process_vm_readv(getpid(), &local, 1, &remote, 1, 0) == static_cast<ssize_t>(count);
}

}  // namespace wavefx_trace
