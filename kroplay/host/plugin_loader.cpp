#include "kroplay/host/plugin_loader.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

#include <fstream>
#include <vector>

namespace kroplay {
namespace {

// The platform's four operations: open, look up, close, own path.
#ifdef _WIN32

constexpr const char *kPluginFile = "wavefx.dll";

// The system's own text for an error code, e.g. "The specified module could
// not be found. (error 126)".
std::string system_error_text(DWORD code) {
  char text[512];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, text, sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == ' ')) --n;
  const std::string number = "error " + std::to_string(code);
  return n == 0 ? "Windows " + number : std::string(text, n) + " (" + number + ")";
}

void *open_library(const std::string &path, std::string &error) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) error = system_error_text(GetLastError());
  return reinterpret_cast<void *>(module);
}

void *find_symbol(void *handle, const char *name) {
  return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void close_library(void *handle) {
  FreeLibrary(static_cast<HMODULE>(handle));
}

std::string executable_path() {
  std::vector<char> name(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0) return {};
    if (n < name.size()) return std::string(name.data(), n);
    name.resize(name.size() * 2);
  }
}

#else

constexpr const char *kPluginFile = "wavefx.so";

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

#endif

// `folder` (ending in a separator) joined with `relative`, whose leading
// "../" steps each take one folder off `folder`.
std::string join_relative(std::string folder, std::string relative) {
  while (relative.compare(0, 3, "../") == 0) {
    const size_t end = folder.find_last_not_of("/\\");
    const size_t slash = end == std::string::npos ? end : folder.find_last_of("/\\", end);
    if (slash == std::string::npos) break;
    folder.erase(slash + 1);
    relative.erase(0, 3);
  }
  return folder + relative;
}

}  // namespace

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

std::string executable_directory() {
  const std::string path = executable_path();
  const size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return ".";
  return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::string default_plugin_path() {
  std::string dir = executable_directory();
  if (dir.back() != '/' && dir.back() != '\\') dir += '/';
  const std::string beside = dir + kPluginFile;
  if (std::ifstream(beside)) return beside;
  // Installed (the Debian package, or unpacked from it anywhere), the
  // plug-in lies in its own library folder next to the program's.
  const std::string installed =
      join_relative(dir, std::string(KROPLAY_PLUGIN_FROM_PROGRAM) + "/" + kPluginFile);
  return std::ifstream(installed) ? installed : beside;
}

}  // namespace kroplay
