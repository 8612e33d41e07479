#include "kroplay/output/output_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "kroplay/output/output_target.h"

namespace kroplay {
namespace {

[[noreturn]] void fail(const std::string &target, const std::string &reason) {
  throw OutputError("cannot write '" + target + "': " + reason);
}

}  // namespace

bool is_standard_output(const std::string &target) {
  return target == "-";
}

std::string output_name(const std::string &target) {
  return is_standard_output(target) ? "standard output" : target;
}

OutputFile::OutputFile(const std::string &target, OutputWriting writing) : target_(target) {
  if (is_standard_output(target)) {
    direct_fd_ = duplicate_standard_output();
    if (direct_fd_ < 0) fail("-", std::strerror(errno));
  } else {
    switch (target_kind(target)) {
      case TargetKind::kReplaceable:
        temp_ = std::make_unique<TempFile>(final_link_target(target));
        return;
      case TargetKind::kDirectory:
        fail(target, std::strerror(EISDIR));
      case TargetKind::kWritable:
        direct_fd_ = open_for_writing(target);
        if (direct_fd_ < 0) fail(target, std::strerror(errno));
        break;
      case TargetKind::kSocket:
        direct_fd_ = connect_socket(target);
        break;
      case TargetKind::kOther:
        fail(target, "not a file, character device, FIFO or socket");
    }
  }
  if (writing == OutputWriting::kWholeAtOnce) return;
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
  const int in = open_for_reading(temp_->path());
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
      const ssize_t put =
          ::write(direct_fd_, buffer.data() + done, static_cast<size_t>(got - done));
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

void OutputFile::write(const void *data, size_t size) {
  const int fd = temp_ ? temp_->descriptor() : direct_fd_;
  const char *bytes = static_cast<const char *>(data);
  while (size > 0) {
    const ssize_t put = ::write(fd, bytes, size);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) fail(written_path(), std::strerror(errno));
    bytes += put;
    size -= static_cast<size_t>(put);
  }
}

void OutputFile::write_at(int64_t offset, const void *data, size_t size) {
  if (lseek(temp_->descriptor(), static_cast<off_t>(offset), SEEK_SET) < 0)
    fail(written_path(), std::strerror(errno));
  write(data, size);
}

void OutputFile::move_down(int64_t from, int64_t to) {
  const int fd = temp_->descriptor();
  std::vector<char> chunk(1 << 16);
  for (;;) {
    if (lseek(fd, static_cast<off_t>(from), SEEK_SET) < 0)
      fail(written_path(), std::strerror(errno));
    const ssize_t got = read(fd, chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) fail(written_path(), std::strerror(errno));
    if (got == 0) break;
    write_at(to, chunk.data(), static_cast<size_t>(got));
    from += got;
    to += got;
  }
  if (ftruncate(fd, static_cast<off_t>(to)) != 0) fail(written_path(), std::strerror(errno));
}

void OutputFile::commit() {
  if (direct_fd_ < 0) {
    temp_->commit();
  } else if (temp_) {
    copy_to_destination();
  } else {
    const int closed = close(direct_fd_);
    direct_fd_ = -1;
    if (closed != 0 && errno != EINTR) fail(target_, std::strerror(errno));
  }
}

}  // namespace kroplay
