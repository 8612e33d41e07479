// Builds without SDL2 have no preview window.
#include "kroplay/preview/window_mode.h"

namespace kroplay {

bool window_available() {
  return false;
}

void run_window(const PreviewSetup &, const std::function<void(const std::string &)> &) {}

}  // namespace kroplay
