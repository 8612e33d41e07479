#include "kroplay/preview/file_watcher.h"

#include <sys/stat.h>

#include <utility>

namespace kroplay {

bool FileWatcher::State::operator==(const State &other) const {
  return exists == other.exists && device == other.device && inode == other.inode &&
         size == other.size && seconds == other.seconds && nanoseconds == other.nanoseconds;
}

FileWatcher::FileWatcher(std::string path, Clock::duration interval)
    : path_(std::move(path)), interval_(interval) {
  seen_ = reported_ = read();
}

FileWatcher::State FileWatcher::read() const {
  State state;
  struct stat status;
  if (stat(path_.c_str(), &status) != 0) return state;
  state.exists = true;
  state.device = static_cast<uint64_t>(status.st_dev);
  state.inode = static_cast<uint64_t>(status.st_ino);
  state.size = static_cast<int64_t>(status.st_size);
  state.seconds = static_cast<int64_t>(status.st_mtim.tv_sec);
  state.nanoseconds = static_cast<int64_t>(status.st_mtim.tv_nsec);
  return state;
}

bool FileWatcher::changed(Clock::time_point now) {
  if (now - last_check_ < interval_) return false;
  last_check_ = now;
  const State state = read();
  if (state != seen_) {
    seen_ = state;  // still being written, perhaps: wait for it to settle
    return false;
  }
  if (state == reported_) return false;
  reported_ = state;
  return true;
}

}  // namespace kroplay
