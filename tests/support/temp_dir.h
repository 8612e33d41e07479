// A fresh folder in the system's temporary folder for one test, removed with
// everything in it.
#ifndef WAVEFX_TESTS_PLAYER_TEMP_DIR_H
#define WAVEFX_TESTS_PLAYER_TEMP_DIR_H

#include <string>
#include <vector>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  const std::string &path() const { return path_; }
  std::string file(const std::string &name) const { return path_ + "/" + name; }
  void write(const std::string &name, const std::string &text) const;
  // Names in the folder, sorted.
  std::vector<std::string> entries() const;

 private:
  std::string path_;
};

#endif  // WAVEFX_TESTS_PLAYER_TEMP_DIR_H
