#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <initializer_list>

#include "kroplay/output/platform_files.h"

namespace kroplay {

int create_unique_file(char *name) {
  const int fd = mkstemp(name);
  if (fd < 0) return fd;
  _setmode(fd, _O_BINARY);  // bytes as written, no CR added
  // Child processes of the script do not inherit it (an open handle would
  // keep it from being removed).
  SetHandleInformation(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), HANDLE_FLAG_INHERIT, 0);
  return fd;
}

bool replace_file(const char *from, const char *to) {
  // rename() on Windows refuses to replace an existing file.
  if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0) return true;
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      errno = ENOENT;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      errno = EACCES;
      break;
    default:
      errno = EIO;
  }
  return false;
}

void on_interrupt_signals(void (*handler)(int)) {
  for (int signal : {SIGINT, SIGTERM}) std::signal(signal, handler);
}

void on_size_limit_signal(void (*)(int)) {}

void ignore_broken_pipes() {}

void fill_standard_descriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (_get_osfhandle(fd) != -1) continue;
    // A read-only NUL: writes to it fail as to a closed stream.
    const int null = _open("NUL", _O_RDONLY | _O_BINARY);
    if (null >= 0 && null != fd) {
      _dup2(null, fd);
      _close(null);
    }
  }
}

bool is_broken_pipe_signal(int signal) {
  (void)signal;
  return false;
}

std::string reserved_device_name(const std::string &path) {
  // \\.\NUL asks for the device by its own name.
  if (path.rfind("\\\\.\\", 0) == 0) return "";
  const size_t folder_end = path.find_last_of("/\\");
  size_t start = folder_end == std::string::npos ? 0 : folder_end + 1;
  if (start == 0 && path.size() > 1 && path[1] == ':') start = 2;  // "C:nul"
  // Windows ignores what follows a dot or colon, and spaces before it.
  std::string stem = path.substr(start, path.find_first_of(".:", start) - start);
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char &c : stem) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const char *device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (stem == device) return stem;
  const bool numbered =
      stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0);
  return numbered && stem[3] >= '1' && stem[3] <= '9' ? stem : "";
}

}  // namespace kroplay
