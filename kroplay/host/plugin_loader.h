// Loads a plug-in library and finds its three entry points. The only file
// that knows how the platform loads libraries (dlopen here, LoadLibrary on
// Windows).
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

// The folder holding the running executable, without a trailing separator.
std::string executable_directory();

// The plug-in beside the running executable; if there is none there but
// there is one in the installed layout's library folder (bin/kroplay,
// lib/wavefx/wavefx.so), that one.
std::string default_plugin_path();

}  // namespace kroplay

#endif  // KROPLAY_PLUGIN_LOADER_H
