// Loads a plug-in library and finds its three entry points, through the
// platform's calls in dynamic_loading.h.
#ifndef KROPLAY_PLUGIN_LOADER_H
#define KROPLAY_PLUGIN_LOADER_H

#include <stdexcept>
#include <string>

#include "kro_abi.h"

namespace kroplay {

// A plug-in that cannot be loaded or lacks an entry point.
class PluginError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct PluginEntryPoints {
  decltype(&::krolibrary) krolibrary = nullptr;
  decltype(&::kromain) kromain = nullptr;
  decltype(&::kroend) kroend = nullptr;
};

// A loaded library, unloaded when destroyed.
class PluginLibrary {
 public:
  // Throws PluginError naming `path` and the reason.
  explicit PluginLibrary(const std::string &path);
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary &) = delete;
  PluginLibrary &operator=(const PluginLibrary &) = delete;

  const PluginEntryPoints &entry_points() const { return entry_points_; }
  // Any exported symbol by name; null if there is none.
  void *symbol(const char *name) const;

 private:
  void *handle_ = nullptr;
  PluginEntryPoints entry_points_;
};

}  // namespace kroplay

#endif  // KROPLAY_PLUGIN_LOADER_H
