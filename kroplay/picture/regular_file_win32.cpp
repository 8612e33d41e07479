#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "kroplay/output/platform_files.h"
#include "kroplay/output/wide_names_win32.h"
#include "kroplay/picture/regular_file.h"

namespace kroplay {

int open_regular_file(const std::string &path, int64_t &size, std::string &refusal) {
  // Opening a device name could wait on the device for ever.
  const std::string device = reserved_device_name(path);
  if (!device.empty()) {
    refusal = "names the Windows device " + device + ", not a file";
    return -1;
  }
  std::wstring name;
  const int fd =
      wide_name(path, name) ? _wopen(name.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT) : -1;
  if (fd < 0) {
    refusal = std::strerror(errno);
    return -1;
  }
  struct _stati64 info;
  if (_fstati64(fd, &info) != 0)
    refusal = std::strerror(errno);
  else if ((info.st_mode & _S_IFMT) != _S_IFREG)
    refusal = "not a regular file";  // a device such as NUL or a console
  if (!refusal.empty()) {
    _close(fd);
    return -1;
  }
  size = static_cast<int64_t>(info.st_size);
  return fd;
}

// Absolute: from a drive's or the current drive's root (C:\x, \x, /x) or a
// network path (\\server\x).
std::string path_in_folder(const std::string &folder, const std::string &path) {
  const bool absolute =
      !path.empty() && (path[0] == '/' || path[0] == '\\' || (path.size() > 1 && path[1] == ':'));
  return folder.empty() || path.empty() || absolute ? path : folder + "/" + path;
}

std::string full_path(const std::string &path) {
  std::wstring name;
  wchar_t full[_MAX_PATH];
  return wide_name(path, name) && _wfullpath(full, name.c_str(), _MAX_PATH) != nullptr
             ? utf8_name(full)
             : path;
}

}  // namespace kroplay
