#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "kroplay/picture/regular_file.h"

namespace kroplay {

int open_regular_file(const std::string &path, int64_t &size, std::string &refusal) {
  // Without blocking: a FIFO nobody writes to is refused at once, like
  // any other file that is not a regular one.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    refusal = std::strerror(errno);
    return -1;
  }
  struct stat info;
  if (fstat(fd, &info) != 0)
    refusal = std::strerror(errno);
  else if (!S_ISREG(info.st_mode))
    refusal = "not a regular file";
  if (!refusal.empty()) {
    close(fd);
    return -1;
  }
  size = static_cast<int64_t>(info.st_size);
  return fd;
}

std::string path_in_folder(const std::string &folder, const std::string &path) {
  return folder.empty() || path.empty() || path[0] == '/' ? path : folder + "/" + path;
}

std::string full_path(const std::string &path) {
  if (!path.empty() && path[0] == '/') return path;
  char folder[PATH_MAX];
  if (getcwd(folder, sizeof folder) == nullptr) return path;
  return std::string(folder) + (folder[1] == '\0' ? "" : "/") + path;
}

}  // namespace kroplay
