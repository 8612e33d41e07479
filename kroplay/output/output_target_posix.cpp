#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "kroplay/output/output_file.h"
#include "kroplay/output/output_target.h"
#include "kroplay/output/temp_file.h"

namespace kroplay {
namespace {

constexpr int kMaxLinkHops = 40;  // as the kernel allows

[[noreturn]] void fail(const std::string &target, const std::string &reason) {
  throw OutputError("cannot write '" + target + "': " + reason);
}

}  // namespace

TargetKind target_kind(const std::string &target) {
  struct stat info;
  if (stat(target.c_str(), &info) != 0 || S_ISREG(info.st_mode)) return TargetKind::kReplaceable;
  if (S_ISDIR(info.st_mode)) return TargetKind::kDirectory;
  if (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode)) return TargetKind::kWritable;
  if (S_ISSOCK(info.st_mode)) return TargetKind::kSocket;
  return TargetKind::kOther;
}

std::string final_link_target(const std::string &target) {
  std::string path = target;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::vector<char> link(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1);
    const ssize_t length = readlink(path.c_str(), link.data(), link.size());
    if (length < 0 || static_cast<size_t>(length) >= link.size())
      fail(target, std::strerror(length < 0 ? errno : ENAMETOOLONG));
    const std::string next(link.data(), static_cast<size_t>(length));
    const size_t slash = path.find_last_of('/');
    path = next[0] == '/' || slash == std::string::npos ? next : path.substr(0, slash + 1) + next;
  }
  fail(target, std::strerror(ELOOP));
}

int duplicate_standard_output() {
  return fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
}

int open_for_writing(const std::string &target) {
  // A FIFO's open waits for a reader, as any writer's does.
  return open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
}

int connect_socket(const std::string &target) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (target.size() >= sizeof address.sun_path) fail(target, "socket path too long");
  std::memcpy(address.sun_path, target.c_str(), target.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) fail(target, std::strerror(errno));
  if (connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
    const int error = errno;
    close(fd);
    fail(target, std::strerror(error));
  }
  return fd;
}

int open_for_reading(const std::string &path) {
  return open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

std::string scratch_path() {
  const char *folder = std::getenv("TMPDIR");
  return std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/kroplay-output";
}

bool same_file(const std::string &a, const std::string &b) {
  struct stat first, second;
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool standard_output_is_terminal() {
  return isatty(STDOUT_FILENO) == 1;
}

}  // namespace kroplay
