#include "kroplay/base/path_name.h"

namespace kroplay {

std::string file_name_of(const std::string &path) {
  return path.substr(path.find_last_of(kPathSeparators) + 1);
}

std::string folder_of(const std::string &path) {
  const size_t separator = path.find_last_of(kPathSeparators);
  if (separator == std::string::npos) return ".";
  return path.substr(0, separator == 0 ? 1 : separator);
}

}  // namespace kroplay
