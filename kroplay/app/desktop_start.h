// kroplay started from the desktop rather than from a console: on Windows,
// a double-click in Explorer or a script dropped on kroplay.exe. The system
// then gives it a console of its own that closes with it, so nobody would
// read what it writes there: it previews instead of recording, and shows
// errors in message boxes. The platform's part is in desktop_start_<name>.cpp.
#ifndef KROPLAY_DESKTOP_START_H
#define KROPLAY_DESKTOP_START_H

#include <string>
#include <vector>

#include "kroplay/cli/options.h"

namespace kroplay {

// True if kroplay runs in a console that no other program shares (one made
// for it when it was started from the desktop); it then leaves that console,
// whose window closes. Always false where programs start from a shell.
// Call once, before anything is written.
bool leave_desktop_console();

// The options of a run started from the desktop: the arguments with
// --window, unless they then make no sense or ask for another mode (--check,
// --help, --version); then the arguments as they are. Throws UsageError.
Options parse_desktop_options(const std::vector<std::string> &arguments);

// Shows `message` in an error box titled "kroplay" and waits until the user
// closes it.
void show_error_box(const std::string &message);

// Shows `message` in an error box without waiting. While one box shown this
// way is open, further messages are left to the window's title.
void show_error_box_later(const std::string &message);

}  // namespace kroplay

#endif  // KROPLAY_DESKTOP_START_H
