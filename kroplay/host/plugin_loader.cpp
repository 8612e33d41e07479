#include "kroplay/host/plugin_loader.h"

#include "kroplay/host/dynamic_loading.h"

namespace kroplay {

PluginLibrary::PluginLibrary(const std::string &path) {
  std::string error;
  handle_ = open_library(path, error);
  if (handle_ == nullptr) throw PluginError("cannot load plug-in '" + path + "': " + error);
  const struct {
    const char *name;
    void **slot;
  } entries[] = {
      {"krolibrary", reinterpret_cast<void **>(&entry_points_.krolibrary)},
      {"kromain", reinterpret_cast<void **>(&entry_points_.kromain)},
      {"kroend", reinterpret_cast<void **>(&entry_points_.kroend)},
  };
  for (const auto &entry : entries) {
    *entry.slot = find_symbol(handle_, entry.name);
    if (*entry.slot == nullptr) {
      close_library(handle_);
      throw PluginError("plug-in '" + path + "' has no entry point " + entry.name);
    }
  }
}

PluginLibrary::~PluginLibrary() {
  close_library(handle_);
}

void *PluginLibrary::symbol(const char *name) const {
  return find_symbol(handle_, name);
}

}  // namespace kroplay
