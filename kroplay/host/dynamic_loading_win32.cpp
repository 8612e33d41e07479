#include <windows.h>

#include <vector>

#include "kroplay/host/dynamic_loading.h"

namespace kroplay {
namespace {

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

}  // namespace

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

}  // namespace kroplay
