// The --check run's last word when a plug-in call does not come back: a
// handler for SIGSEGV and SIGBUS that names the host object the plug-in
// overran (through the guarded blocks' lookup) and the call that did it,
// also for SIGFPE, SIGILL, SIGABRT and a watchdog alarm (a call that hangs).
// It prints the FAIL line and the final tally and exits with status 3.
// Everything it prints is prepared beforehand or formed with
// async-signal-safe means.
#ifndef KROPLAY_FAULT_REPORT_H
#define KROPLAY_FAULT_REPORT_H

namespace kroplay {

// Installs the handler on its own signal stack. Call once; it stays.
void install_fault_handler();

// The check now running and the plug-in call within it, for the report.
// Both are copied (and cut to a fixed length). Also restarts the watchdog:
// the call must return within 10 s.
void set_fault_context(const char *check, const char *call);

// No more plug-in calls: the watchdog is switched off.
void stop_watchdog();

// The tally so far; the handler reports the fault as one more failure.
void set_fault_tally(int passed, int failed);

}  // namespace kroplay

#endif  // KROPLAY_FAULT_REPORT_H
