#include "support/temp_dir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device seed;
  std::mt19937 random(seed());
  for (;;) {
    const fs::path dir = fs::temp_directory_path() / ("kroplay-test-" + std::to_string(random()));
    if (fs::create_directory(dir)) {
      path_ = dir.string();
      return;
    }
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void TempDir::write(const std::string &name, const std::string &text) const {
  std::ofstream(file(name)) << text;
}

std::vector<std::string> TempDir::entries() const {
  std::vector<std::string> names;
  for (const fs::directory_entry &e : fs::directory_iterator(path_))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}
