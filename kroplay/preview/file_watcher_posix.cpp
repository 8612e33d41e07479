#include <sys/stat.h>

#include "kroplay/preview/file_watcher.h"

namespace kroplay {

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

}  // namespace kroplay
