#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "kroplay/output/platform_files.h"

namespace kroplay {

int create_unique_file(char *name) {
  const int fd = mkstemp(name);
  if (fd < 0) return fd;
  // mkstemp makes the file private; give it the mode any new file gets.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  return fd;
}

bool replace_file(const char *from, const char *to) {
  return std::rename(from, to) == 0;
}

void on_interrupt_signals(void (*handler)(int)) {
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) std::signal(signal, handler);
}

bool is_broken_pipe_signal(int signal) {
  return signal == SIGPIPE;
}

std::string reserved_device_name(const std::string &) {
  return "";
}

}  // namespace kroplay
