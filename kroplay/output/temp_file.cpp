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

// Creates the file from `name` as create_unique_file does. The first such
// file is created in place in `pending_path`, noted before it exists: a
// signal, on whichever thread it lands, then never finds it created but not
// yet noted.
int create_noted_file(std::vector<char> &name) {
  if (pending || name.size() > sizeof pending_path) return create_unique_file(name.data());
  std::memcpy(pending_path, name.data(), name.size());
  pending_fd = -1;
  pending = 1;
  const int fd = create_unique_file(pending_path);
  if (fd < 0) {
    pending = 0;
    return fd;
  }
  pending_fd = fd;
  std::memcpy(name.data(), pending_path, name.size());
  return fd;
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
  fd_ = create_noted_file(name);
  // A name within a byte or seven of the longest a folder allows has no
  // room for the suffix: the temporary name gives up that many bytes of
  // it, so that it is no longer than the target's.
  const size_t folder_end = target.find_last_of("/\\");
  const size_t name_start = folder_end == std::string::npos ? 0 : folder_end + 1;
  const size_t shorter = target.size() - std::min(target.size(), kSuffixBytes);
  if (fd_ < 0 && errno == ENAMETOOLONG && shorter > name_start) {
    name = temporary_name(target, shorter);
    fd_ = create_noted_file(name);
  }
  if (fd_ < 0) throw OutputError(failure(target, errno));
  path_ = name.data();
}

TempFile::~TempFile() {
  if (fd_ >= 0) close(fd_);
  if (committed_) return;
  // Removed before it is forgotten, so that a signal between the two finds
  // nothing left to remove rather than a file no longer noted.
  unlink(path_.c_str());
  if (pending && path_ == pending_path) pending = 0;
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
