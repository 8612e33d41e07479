// The child processes a script starts with os.execute and io.popen, kept
// in hand so that kroplay can end them when it stops a run early (the time
// limit, a signal) and so that they respect what stdout carries.
//   POSIX:   kroplay starts them itself, each in a process group of its
//            own that whatever they start joins, and ends that group.
//   Windows: they run in a job object kroplay puts itself in, and end
//            with it.
// When stdout carries machine output (a GIF with -o -, or --hash lines),
// what they write to their standard output goes to stderr instead, as
// the script's print does.
#ifndef KROPLAY_CHILD_PROCESSES_H
#define KROPLAY_CHILD_PROCESSES_H

struct lua_State;

namespace kroplay {

// Replaces os.execute and io.popen in `lua` (standard libraries opened
// already).
void keep_child_processes(lua_State *lua);

// With `to_stderr`, children started from now on write their standard
// output to stderr.
void send_child_output_to_stderr(bool to_stderr);

// Ends every child process still running and what it started. Safe in a
// signal handler and on any thread.
void end_child_processes();

}  // namespace kroplay

#endif  // KROPLAY_CHILD_PROCESSES_H
