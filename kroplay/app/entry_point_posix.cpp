#include "kroplay/app/entry_point.h"

int main(int argc, char **argv) {
  return run_kroplay(std::vector<std::string>(argv + 1, argv + argc));
}
