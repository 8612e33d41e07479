// A frame counter on stderr for long renders, shown only on a terminal and
// redrawn at most ten times a second. Any other message on stderr clears it
// first (clear_progress_line). While a run records, an interrupt can say at
// which frame it came (report_interrupt).
#ifndef KROPLAY_PROGRESS_H
#define KROPLAY_PROGRESS_H

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace kroplay {

class Progress {
 public:
  // Shows nothing unless `enabled`. Arms report_interrupt until finish().
  Progress(std::FILE *out, bool enabled);
  ~Progress();
  Progress(const Progress &) = delete;
  Progress &operator=(const Progress &) = delete;
  // True if stderr is a terminal.
  static bool stderr_is_terminal();

  // `frames` have been composed so far.
  void update(int64_t frames);
  // Clears the counter line; interrupts are no longer reported.
  void finish();

 private:
  std::FILE *out_;
  bool enabled_;
  std::chrono::steady_clock::time_point last_{};
};

// Clears the counter line from stderr if it is showing.
void clear_progress_line();

// While a Progress is recording: clears the counter line and writes
// "kroplay: interrupted at frame N, nothing written" (or, for `broken_pipe`,
// that the output pipe closed) to stderr. Safe in a signal handler.
void report_interrupt(bool broken_pipe);

// Clears the counter line if it is showing and writes `line` (ending in a
// new line) to stderr, whoever holds stderr's stdio lock. Safe in a signal
// handler and on any thread.
void report_stop(const char *line);

}  // namespace kroplay

#endif  // KROPLAY_PROGRESS_H
