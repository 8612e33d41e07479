#include <windows.h>

#include "kroplay/preview/file_watcher.h"

namespace kroplay {

// The volume and file index stand for device and inode: a file renamed
// over the watched one has another index.
FileWatcher::State FileWatcher::read() const {
  State state;
  const HANDLE file =
      CreateFileA(path_.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return state;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  if (!known) return state;
  const auto join = [](DWORD high, DWORD low) { return static_cast<uint64_t>(high) << 32 | low; };
  const uint64_t written = join(info.ftLastWriteTime.dwHighDateTime,
                                info.ftLastWriteTime.dwLowDateTime);  // 100 ns steps
  state.exists = true;
  state.device = info.dwVolumeSerialNumber;
  state.inode = join(info.nFileIndexHigh, info.nFileIndexLow);
  state.size = static_cast<int64_t>(join(info.nFileSizeHigh, info.nFileSizeLow));
  state.seconds = static_cast<int64_t>(written / 10000000);
  state.nanoseconds = static_cast<int64_t>(written % 10000000 * 100);
  return state;
}

}  // namespace kroplay
