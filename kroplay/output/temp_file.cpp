#include "kroplay/output/temp_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <vector>

#include "kroplay/output/platform_files.h"

namespace kroplay {
namespace {

// The temporary file a signal handler must remove: a fixed buffer, since the
// handler may not allocate.
char pending_path[4096];
volatile std::sig_atomic_t pending = 0;

std::string failure(const std::string &target, int error) {
  return "cannot write '" + target + "': " + std::strerror(error);
}

}  // namespace

TempFile::TempFile(const std::string &target) : target_(target) {
  struct stat info;
  if (stat(target.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
    throw OutputError(failure(target, EISDIR));
  std::vector<char> name(target.begin(), target.end());
  const char suffix[] = ".XXXXXX";
  name.insert(name.end(), suffix, suffix + sizeof suffix);
  fd_ = create_unique_file(name.data());
  if (fd_ < 0) throw OutputError(failure(target, errno));
  path_ = name.data();
  if (!pending && path_.size() < sizeof pending_path) {
    std::memcpy(pending_path, path_.c_str(), path_.size() + 1);
    pending = 1;
  }
}

TempFile::~TempFile() {
  if (fd_ >= 0) close(fd_);
  if (committed_) return;
  if (pending && path_ == pending_path) pending = 0;
  unlink(path_.c_str());
}

int TempFile::take_descriptor() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void TempFile::commit() {
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
  }
  if (!replace_file(path_.c_str(), target_.c_str())) throw OutputError(failure(target_, errno));
  if (pending && path_ == pending_path) pending = 0;
  committed_ = true;
}

void remove_pending_temp_file() {
  if (pending) unlink(pending_path);
  pending = 0;
}

}  // namespace kroplay
