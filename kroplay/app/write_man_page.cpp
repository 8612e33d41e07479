// Writes kroplay's manual page, built from the option and key tables, to
// the file named on the command line: the build runs it to make kroplay.1.
#include <cstdio>
#include <fstream>

#include "kroplay/cli/man_page.h"
#include "kroplay/tuning/preview_keys.h"

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fputs("usage: write_man_page OUTPUT\n", stderr);
    return 2;
  }
  std::vector<std::pair<std::string, std::string>> keys;
  for (const kroplay::KeyEntry &entry : kroplay::key_entries()) {
    std::string spelled;
    for (const std::string &key : entry.keys) spelled += (spelled.empty() ? "" : ", ") + key;
    keys.emplace_back(spelled, entry.label);
  }
  std::ofstream out(argv[1], std::ios::binary);
  out << kroplay::man_page(keys, KROPLAY_VERSION);
  out.close();
  if (!out) {
    std::fprintf(stderr, "write_man_page: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
