#include <dlfcn.h>
#include <unistd.h>

#include <vector>

#include "kroplay/host/dynamic_loading.h"

namespace kroplay {

void *open_library(const std::string &path, std::string &error) {
  // A bare file name would make dlopen search the library path instead of
  // the working folder.
  const std::string name = path.find('/') == std::string::npos ? "./" + path : path;
  void *handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char *reason = dlerror();
    error = reason != nullptr ? reason : "unknown error";
  }
  return handle;
}

void *find_symbol(void *handle, const char *name) {
  return dlsym(handle, name);
}

void close_library(void *handle) {
  dlclose(handle);
}

std::string executable_path() {
  std::vector<char> name(4096);
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", name.data(), name.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < name.size())
      return std::string(name.data(), static_cast<size_t>(n));
    name.resize(name.size() * 2);
  }
}

}  // namespace kroplay
