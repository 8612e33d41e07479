#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "kroplay/gif/regular_file.h"

namespace kroplay {

int open_regular_file(const std::string &path, int64_t &size, std::string &refusal) {
  const int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  if (fd < 0) {
    refusal = std::strerror(errno);
    return -1;
  }
  struct _stati64 info;
  if (_fstati64(fd, &info) != 0)
    refusal = std::strerror(errno);
  else if ((info.st_mode & _S_IFMT) != _S_IFREG)
    refusal = "not a regular file";  // a device such as NUL or a console
  if (!refusal.empty()) {
    _close(fd);
    return -1;
  }
  size = static_cast<int64_t>(info.st_size);
  return fd;
}

}  // namespace kroplay
