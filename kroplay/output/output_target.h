// The system side of OutputFile: what an output path names, and opening the
// destinations that are written into rather than replaced (same_file, of
// output_file.h, is defined beside these). One
// implementation per platform: output_target_posix.cpp (symbolic links,
// devices, FIFOs, Unix sockets) and output_target_win32.cpp (devices such
// as NUL and CON; no links followed, no sockets).
#ifndef KROPLAY_OUTPUT_TARGET_H
#define KROPLAY_OUTPUT_TARGET_H

#include <string>

namespace kroplay {

enum class TargetKind {
  kReplaceable,  // a regular file, or nothing yet
  kDirectory,
  kWritable,  // a character device or FIFO, opened and written
  kSocket,
  kOther,
};

TargetKind target_kind(const std::string &target);

// The path a chain of symbolic links ends at, which need not exist yet.
// Throws OutputError.
std::string final_link_target(const std::string &target);

// Descriptors for binary writing, or -1 with errno: a copy of standard
// output's, and a device or FIFO opened for writing.
int duplicate_standard_output();
int open_for_writing(const std::string &target);
// A connected stream socket. Throws OutputError.
int connect_socket(const std::string &target);
// A file opened for binary reading, or -1 with errno.
int open_for_reading(const std::string &path);

// Where a direct destination's output is built before it is copied.
std::string scratch_path();

// True if standard output is a terminal (or console).
bool standard_output_is_terminal();

}  // namespace kroplay

#endif  // KROPLAY_OUTPUT_TARGET_H
