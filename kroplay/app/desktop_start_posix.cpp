// POSIX systems start programs from a shell or with their output
// redirected: there is no console of kroplay's own to leave, and a message
// meant for a box goes to standard error.
#include <cstdio>

#include "kroplay/app/desktop_start.h"

namespace kroplay {

bool leave_desktop_console() {
  return false;
}

void show_error_box(const std::string &message) {
  std::fprintf(stderr, "kroplay: %s\n", message.c_str());
}

void show_error_box_later(const std::string &message) {
  show_error_box(message);
}

}  // namespace kroplay
