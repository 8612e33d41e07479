// Notices when a file is saved: polls its status (device, inode, size,
// modification time), so saving in place and editors that write a new file
// and rename it over the old one are both seen. A change is reported once
// the file has stayed the same for one polling interval, so a save written
// in several pieces is read whole.
#ifndef KROPLAY_FILE_WATCHER_H
#define KROPLAY_FILE_WATCHER_H

#include <chrono>
#include <cstdint>
#include <string>

namespace kroplay {

class FileWatcher {
 public:
  using Clock = std::chrono::steady_clock;

  // Takes the file's present state as seen; checks at most once per
  // `interval`.
  explicit FileWatcher(std::string path, Clock::duration interval = std::chrono::milliseconds(100));

  // True once per change: when the file (or its absence) differs from what
  // was last reported and has not changed since the previous check.
  bool changed(Clock::time_point now = Clock::now());

 private:
  struct State {
    bool exists = false;
    uint64_t device = 0, inode = 0;
    int64_t size = 0, seconds = 0, nanoseconds = 0;
    bool operator==(const State &other) const;
    bool operator!=(const State &other) const { return !(*this == other); }
  };
  State read() const;

  std::string path_;
  Clock::duration interval_;
  Clock::time_point last_check_{};
  State seen_;      // at the previous check
  State reported_;  // when the last change was reported (or at the start)
};

}  // namespace kroplay

#endif  // KROPLAY_FILE_WATCHER_H
