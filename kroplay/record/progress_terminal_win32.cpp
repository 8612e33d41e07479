#include <windows.h>

#include "kroplay/record/progress.h"

namespace kroplay {

// A console that takes the escape sequence the line is cleared with. The C
// runtime's isatty() would also say yes for the NUL device.
bool Progress::stderr_is_terminal() {
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode;
  if (err == INVALID_HANDLE_VALUE || GetConsoleMode(err, &mode) == 0) return false;
  return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
         SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace kroplay
