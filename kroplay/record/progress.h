// A frame counter on stderr for long renders, shown only on a terminal and
// redrawn at most ten times a second.
#ifndef KROPLAY_PROGRESS_H
#define KROPLAY_PROGRESS_H

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace kroplay {

class Progress {
 public:
  // Shows nothing unless `enabled`.
  Progress(std::FILE *out, bool enabled) : out_(out), enabled_(enabled) {}
  // True if stderr is a terminal.
  static bool stderr_is_terminal();

  void update(int64_t frames);
  // Clears the counter line.
  void finish();

 private:
  std::FILE *out_;
  bool enabled_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point last_{};
};

}  // namespace kroplay

#endif  // KROPLAY_PROGRESS_H
