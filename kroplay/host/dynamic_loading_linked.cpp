// WebAssembly loads no libraries: the plug-in is linked into the module, and
// "loading" it finds its three entry points there, whatever the path.
#include <cstring>

#include "kro_abi.h"
#include "kroplay/host/dynamic_loading.h"

namespace kroplay {
namespace {
int linked_plugin;  // what every handle points at
}  // namespace

void *open_library(const std::string &, std::string &) {
  return &linked_plugin;
}

void *find_symbol(void *, const char *name) {
  if (std::strcmp(name, "krolibrary") == 0) return reinterpret_cast<void *>(&::krolibrary);
  if (std::strcmp(name, "kromain") == 0) return reinterpret_cast<void *>(&::kromain);
  if (std::strcmp(name, "kroend") == 0) return reinterpret_cast<void *>(&::kroend);
  return nullptr;
}

void close_library(void *) {}

std::string executable_path() {
  return "/kroplay";
}

}  // namespace kroplay
