#include "kroplay/preview/file_watcher.h"

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
