#include "support/temp_dir.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

TempDir::TempDir() {
  char name[] = "/tmp/kroplay-test-XXXXXX";
  path_ = mkdtemp(name);
}

TempDir::~TempDir() {
  std::system(("rm -rf '" + path_ + "'").c_str());
}

void TempDir::write(const std::string &name, const std::string &text) const {
  std::ofstream(file(name)) << text;
}

std::vector<std::string> TempDir::entries() const {
  std::vector<std::string> names;
  if (DIR *dir = opendir(path_.c_str())) {
    while (dirent *e = readdir(dir))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
        names.push_back(e->d_name);
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}
