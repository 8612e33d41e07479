#include "kroplay/output/output_file.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace kroplay {
namespace {

constexpr int kMaxLinkHops = 40;  // as the kernel allows

[[noreturn]] void fail(const std::string &target, const std::string &reason) {
  throw OutputError("cannot write '" + target + "': " + reason);
}

// The path a chain of symbolic links ends at, which need not exist yet.
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

// Where a direct destination's output is built before it is copied.
std::string scratch_path() {
  const char *folder = std::getenv("TMPDIR");
  return std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/kroplay-output";
}

}  // namespace

bool is_standard_output(const std::string &target) {
  return target == "-";
}

std::string output_name(const std::string &target) {
  return is_standard_output(target) ? "standard output" : target;
}

bool same_file(const std::string &a, const std::string &b) {
  struct stat first, second;
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

OutputFile::OutputFile(const std::string &target) : target_(target) {
  struct stat info;
  if (is_standard_output(target)) {
    direct_fd_ = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (direct_fd_ < 0) fail("-", std::strerror(errno));
  } else if (stat(target.c_str(), &info) != 0 || S_ISREG(info.st_mode)) {
    temp_ = std::make_unique<TempFile>(final_link_target(target));
    return;
  } else if (S_ISDIR(info.st_mode)) {
    fail(target, std::strerror(EISDIR));
  } else if (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode)) {
    // A FIFO's open waits for a reader, as any writer's does.
    direct_fd_ = open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (direct_fd_ < 0) fail(target, std::strerror(errno));
  } else if (S_ISSOCK(info.st_mode)) {
    direct_fd_ = connect_socket(target);
  } else {
    fail(target, "not a file, character device, FIFO or socket");
  }
  try {
    temp_ = std::make_unique<TempFile>(scratch_path());
  } catch (...) {
    close(direct_fd_);
    throw;
  }
}

OutputFile::~OutputFile() {
  if (direct_fd_ >= 0) close(direct_fd_);
}

void OutputFile::copy_to_destination() {
  const int in = open(temp_->path().c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) fail(target_, std::strerror(errno));
  std::vector<char> buffer(1 << 16);
  int error = 0;
  for (;;) {
    const ssize_t got = read(in, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      if (got < 0) error = errno;
      break;
    }
    for (ssize_t done = 0; done < got && error == 0;) {
      const ssize_t put = write(direct_fd_, buffer.data() + done, static_cast<size_t>(got - done));
      if (put < 0 && errno != EINTR) error = errno;
      if (put > 0) done += put;
    }
    if (error != 0) break;
  }
  close(in);
  if (close(direct_fd_) != 0 && error == 0 && errno != EINTR) error = errno;
  direct_fd_ = -1;
  if (error != 0) fail(target_, std::strerror(error));
}

void OutputFile::commit() {
  if (direct_fd_ < 0) {
    temp_->commit();
    return;
  }
  copy_to_destination();
}

}  // namespace kroplay
