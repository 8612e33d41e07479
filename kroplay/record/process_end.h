// Ending kroplay at once, from any thread or a signal handler, when the
// script cannot be stopped the ordinary way.
#ifndef KROPLAY_PROCESS_END_H
#define KROPLAY_PROCESS_END_H

namespace kroplay {

// Ends the script's child processes, removes the pending temporary file,
// clears the counter line, writes `line` (ending in a new line) to stderr
// and exits with `status`, running no destructor, finalizer or exit
// handler on the way.
[[noreturn]] void end_process_now(const char *line, int status);

}  // namespace kroplay

#endif  // KROPLAY_PROCESS_END_H
