#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <initializer_list>

#include "kroplay/output/platform_files.h"

namespace kroplay {

int create_unique_file(char *name) {
  const int fd = mkstemp(name);
  if (fd >= 0) _setmode(fd, _O_BINARY);  // bytes as written, no CR added
  return fd;
}

bool replace_file(const char *from, const char *to) {
  // rename() on Windows refuses to replace an existing file.
  if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0) return true;
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      errno = ENOENT;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      errno = EACCES;
      break;
    default:
      errno = EIO;
  }
  return false;
}

void on_interrupt_signals(void (*handler)(int)) {
  for (int signal : {SIGINT, SIGTERM}) std::signal(signal, handler);
}

bool is_broken_pipe_signal(int signal) {
  (void)signal;
  return false;
}

}  // namespace kroplay
