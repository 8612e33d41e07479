#include "kroplay/cli/path_name.h"

#include <cstring>

#include "kroplay/host/dynamic_loading.h"

namespace kroplay {

std::string file_name_of(const std::string &path) {
  return path.substr(path.find_last_of(kPathSeparators) + 1);
}

std::string folder_of(const std::string &path) {
  const size_t separator = path.find_last_of(kPathSeparators);
  if (separator == std::string::npos) return ".";
  return path.substr(0, separator == 0 ? 1 : separator);
}

std::string default_plugin_path() {
  std::string folder = folder_of(executable_path());
  if (std::strchr(kPathSeparators, folder.back()) == nullptr) folder += '/';
  return folder + WAVEFX_PLUGIN_FILE;
}

}  // namespace kroplay
