#include "kroplay/output/temp_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstddef>
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
// Its descriptor, closed before the removal: Windows removes no open file.
volatile std::sig_atomic_t pending_fd = -1;

constexpr char kSuffix[] = ".XXXXXX";
constexpr size_t kSuffixBytes = sizeof kSuffix - 1;

// The first `keep` bytes of `target` (fewer, so as not to cut a UTF-8
// character), the suffix and a terminating zero.
std::vector<char> temporary_name(const std::string &target, size_t keep) {
  while (keep > 0 && keep < target.size() &&
         (static_cast<unsigned char>(target[keep]) & 0xc0) == 0x80)
    --keep;
  std::vector<char> name(target.begin(), target.begin() + static_cast<std::ptrdiff_t>(keep));
  name.insert(name.end(), kSuffix, kSuffix + sizeof kSuffix);
  return name;
}

std::string failure(const std::string &target, int error) {
  return "cannot write '" + target + "': " + std::strerror(error);
}

}  // namespace

TempFile::TempFile(const std::string &target) : target_(target) {
  struct stat info;
  if (stat(target.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
    throw OutputError(failure(target, EISDIR));
  std::vector<char> name = temporary_name(target, target.size());
  fd_ = create_unique_file(name.data());
  // A name within a byte or seven of the longest a folder allows has no
  // room for the suffix: the temporary name gives up that many bytes of
  // it, so that it is no longer than the target's.
  const size_t folder_end = target.find_last_of("/\\");
  const size_t name_start = folder_end == std::string::npos ? 0 : folder_end + 1;
  const size_t shorter = target.size() - std::min(target.size(), kSuffixBytes);
  if (fd_ < 0 && errno == ENAMETOOLONG && shorter > name_start) {
    name = temporary_name(target, shorter);
    fd_ = create_unique_file(name.data());
  }
  if (fd_ < 0) throw OutputError(failure(target, errno));
  path_ = name.data();
  if (!pending && path_.size() < sizeof pending_path) {
    std::memcpy(pending_path, path_.c_str(), path_.size() + 1);
    pending_fd = fd_;
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
  if (pending) {
    if (pending_fd >= 0) close(pending_fd);
    unlink(pending_path);
  }
  pending = 0;
}

}  // namespace kroplay
