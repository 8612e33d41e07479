#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "kroplay/output/platform_files.h"

namespace kroplay {

int create_unique_file(char *name) {
  // Child processes of the script do not inherit it.
  const int fd = mkostemp(name, O_CLOEXEC);
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
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGXCPU,
                     SIGVTALRM, SIGPROF})
    std::signal(signal, handler);
}

void on_size_limit_signal(void (*handler)(int)) {
  std::signal(SIGXFSZ, handler);
}

void ignore_broken_pipes() {
  std::signal(SIGPIPE, SIG_IGN);
}

void fill_standard_descriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor: this one.
    const int null = open("/dev/null", O_RDONLY);
    if (null >= 0 && null != fd) {
      dup2(null, fd);
      close(null);
    }
  }
}

bool is_broken_pipe_signal(int signal) {
  return signal == SIGPIPE;
}

std::string reserved_device_name(const std::string &) {
  return "";
}

}  // namespace kroplay
