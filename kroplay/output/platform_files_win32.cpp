#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>

#include "kroplay/output/platform_files.h"
#include "kroplay/output/wide_names_win32.h"

namespace kroplay {

int create_unique_file(char *name) {
  // mkstemp's names go through the ANSI code page: the same with a wide
  // call, the six characters from the clock and a counter.
  const size_t length = std::strlen(name);
  static unsigned counter = 0;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    unsigned seed = GetTickCount() * 31u + GetCurrentProcessId() * 7u + counter++ * 2654435761u;
    for (size_t i = length - 6; i < length; ++i, seed /= 36)
      name[i] = "0123456789abcdefghijklmnopqrstuvwxyz"[seed % 36];
    std::wstring wide;
    if (!wide_name(name, wide)) return -1;
    fd = _wopen(wide.c_str(), _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0 && errno != EEXIST) return -1;
  }
  if (fd < 0) return fd;
  _setmode(fd, _O_BINARY);  // bytes as written, no CR added
  // Child processes of the script do not inherit it (an open handle would
  // keep it from being removed).
  SetHandleInformation(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), HANDLE_FLAG_INHERIT, 0);
  return fd;
}

bool replace_file(const char *from, const char *to) {
  // rename() on Windows refuses to replace an existing file.
  std::wstring wide_from, wide_to;
  if (!wide_name(from, wide_from) || !wide_name(to, wide_to)) return false;
  if (MoveFileExW(wide_from.c_str(), wide_to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0) return true;
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
