#include "kroplay/cli/path_name.h"

namespace kroplay {

std::string file_name_of(const std::string &path) {
#ifdef _WIN32
  const char *separators = "/\\";
#else
  const char *separators = "/";
#endif
  return path.substr(path.find_last_of(separators) + 1);
}

}  // namespace kroplay
