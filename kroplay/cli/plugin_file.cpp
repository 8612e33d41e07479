#include "kroplay/cli/plugin_file.h"

#include <cstdio>
#include <cstring>

#include "kroplay/base/path_name.h"
#include "kroplay/host/dynamic_loading.h"

namespace kroplay {

namespace {

// `relative` in `folder`, each leading "../" of it taking one folder off
// `folder` while there is one to take.
std::string path_from(std::string folder, std::string relative) {
  while (relative.compare(0, 3, "../") == 0 &&
         folder.find_last_of(kPathSeparators) != std::string::npos) {
    folder = folder_of(folder);
    relative.erase(0, 3);
  }
  if (std::strchr(kPathSeparators, folder.back()) == nullptr) folder += '/';
  return folder + relative;
}

// Whether `path` opens for reading. (C stdio rather than a stream: the
// playground's module then carries no stream and locale code.)
bool opens(const std::string &path) {
  std::FILE *file = std::fopen(path.c_str(), "rb");
  if (file != nullptr) std::fclose(file);
  return file != nullptr;
}

}  // namespace

std::string default_plugin_path() {
  const std::string folder = folder_of(executable_path());
  const std::string beside = path_from(folder, WAVEFX_PLUGIN_FILE);
  if (opens(beside)) return beside;
  // Installed (the Debian package, or unpacked from it anywhere), the
  // plug-in lies in its own library folder next to the program's.
  const std::string installed =
      path_from(folder, KROPLAY_PLUGIN_FROM_PROGRAM "/" WAVEFX_PLUGIN_FILE);
  return opens(installed) ? installed : beside;
}

}  // namespace kroplay
