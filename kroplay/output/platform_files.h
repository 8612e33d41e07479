// The file operations and signals that differ by platform, one
// implementation each: platform_files_posix.cpp, platform_files_win32.cpp.
#ifndef KROPLAY_PLATFORM_FILES_H
#define KROPLAY_PLATFORM_FILES_H

#include <string>

namespace kroplay {

// Creates and opens a new file from `name`, whose last six characters are
// "XXXXXX" and are replaced to make it unique, with the permissions any new
// file gets, for binary writing, not inherited by child processes. Returns
// the descriptor, or -1 with errno.
int create_unique_file(char *name);

// Moves `from` over `to`, replacing a file already there. False with errno
// on failure.
bool replace_file(const char *from, const char *to);

// The device Windows opens for `path` instead of a file ("NUL" for
// "art\nul.gif"): a file name that is CON, PRN, AUX, NUL, COM1..COM9 or
// LPT1..LPT9 (or CONIN$, CONOUT$) in any case, with any extension, whatever
// its folder. "" for any other name, and for every name on POSIX systems.
std::string reserved_device_name(const std::string &path);

// Installs `handler` for the signals that end a run from outside (so that
// it can remove a pending output file): SIGINT and SIGTERM, and on POSIX
// systems SIGHUP, SIGPIPE, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGXCPU,
// SIGVTALRM and SIGPROF.
void on_interrupt_signals(void (*handler)(int));
// Installs `handler` for the signal a write past the file size limit
// raises (SIGXFSZ; Windows has none).
void on_size_limit_signal(void (*handler)(int));
// Writes to a closed pipe fail with EPIPE instead of raising a signal
// (which Windows never raises).
void ignore_broken_pipes();

// Opens the null device on whichever of descriptors 0, 1 and 2 is closed,
// so that no file kroplay opens takes one of them; reads from it find the
// end at once and writes to it fail.
void fill_standard_descriptors();

// True for the signal a write to a closed pipe raises (SIGPIPE; Windows
// has none).
bool is_broken_pipe_signal(int signal);

}  // namespace kroplay

#endif  // KROPLAY_PLATFORM_FILES_H
