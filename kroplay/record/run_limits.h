// Limits that stop a runaway recording run: the number of frames and the
// time the script may take.
#ifndef KROPLAY_RUN_LIMITS_H
#define KROPLAY_RUN_LIMITS_H

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace kroplay {

// A limit was reached; the message names it and the option that sets it.
class LimitError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Instructions between two looks at the clock while a script computes
// without composing frames (see ScriptRun::set_watchdog).
constexpr int kClockCheckInstructions = 100000;

class RunLimits {
 public:
  // 0 for either: no limit. The clock starts now.
  RunLimits(int64_t max_frames, int timeout_seconds);

  // Throws LimitError if `frames` composed is past the frame limit or the
  // time is up.
  void check_frames(int64_t frames) const;
  // Throws LimitError if the time is up.
  void check_time() const;

  // No time limit, or the moment the time is up.
  bool timed() const { return timeout_seconds_ > 0; }
  std::chrono::steady_clock::time_point deadline() const { return deadline_; }
  // What a run stopped by the time limit says.
  std::string timeout_message() const;

 private:
  int64_t max_frames_;
  int timeout_seconds_;
  std::chrono::steady_clock::time_point deadline_;
};

}  // namespace kroplay

#endif  // KROPLAY_RUN_LIMITS_H
