#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>

#include "kroplay/output/output_file.h"
#include "kroplay/output/output_target.h"
#include "kroplay/output/platform_files.h"
#include "kroplay/output/temp_file.h"
#include "kroplay/output/wide_names_win32.h"

namespace kroplay {

TargetKind target_kind(const std::string &target) {
  // A device asked for by its own name (\\.\NUL, \\.\COM1), which stat does
  // not know: a device's file name that reserved_device_name lets through.
  // No other paths there: \\.\PhysicalDrive0 is a whole disk.
  const size_t folder_end = target.find_last_of("/\\");
  if (folder_end != std::string::npos && reserved_device_name(target).empty() &&
      !reserved_device_name(target.substr(folder_end + 1)).empty())
    return TargetKind::kWritable;
  std::wstring name;
  struct _stati64 info;
  if (!wide_name(target, name) || _wstati64(name.c_str(), &info) != 0)
    return TargetKind::kReplaceable;
  switch (info.st_mode & _S_IFMT) {
    case _S_IFREG:
      return TargetKind::kReplaceable;
    case _S_IFDIR:
      return TargetKind::kDirectory;
    case _S_IFCHR:  // a console, a serial port
      return TargetKind::kWritable;
    default:
      return TargetKind::kOther;
  }
}

// Windows links are reparse points that the file functions follow when
// the file is opened; replacing the path replaces the link itself.
std::string final_link_target(const std::string &target) {
  return target;
}

int duplicate_standard_output() {
  const int fd = _dup(_fileno(stdout));
  if (fd >= 0) _setmode(fd, _O_BINARY);  // bytes as written, no CR added
  return fd;
}

int open_for_writing(const std::string &target) {
  std::wstring name;
  return wide_name(target, name) ? _wopen(name.c_str(), _O_WRONLY | _O_BINARY | _O_NOINHERIT) : -1;
}

int connect_socket(const std::string &target) {
  throw OutputError("cannot write '" + target + "': not a file or device");
}

int open_for_reading(const std::string &path) {
  std::wstring name;
  return wide_name(path, name) ? _wopen(name.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT) : -1;
}

std::string scratch_path() {
  wchar_t folder[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, folder);
  return (n > 0 && n <= MAX_PATH ? utf8_name(std::wstring(folder, n)) : std::string(".\\")) +
         "kroplay-output";
}

// The volume and file index name a file, as device and inode do.
bool same_file(const std::string &a, const std::string &b) {
  auto identity = [](const std::string &path, BY_HANDLE_FILE_INFORMATION &info) {
    std::wstring name;
    if (!wide_name(path, name)) return false;
    const HANDLE file =
        CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return known;
  };
  BY_HANDLE_FILE_INFORMATION first, second;
  return identity(a, first) && identity(b, second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

bool standard_output_is_terminal() {
  DWORD mode;
  return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

}  // namespace kroplay
