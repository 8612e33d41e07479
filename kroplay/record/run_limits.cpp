#include "kroplay/record/run_limits.h"

namespace kroplay {

RunLimits::RunLimits(int64_t max_frames, int timeout_seconds)
    : max_frames_(max_frames),
      timeout_seconds_(timeout_seconds),
      deadline_(std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds)) {}

void RunLimits::check_frames(int64_t frames) const {
  if (max_frames_ > 0 && frames > max_frames_)
    throw LimitError("the script composed more than " + std::to_string(max_frames_) +
                     " frames and was stopped; an endless game loop is recorded in part with "
                     "--frames 0..N, and --seamless ends that part where it loops (--max-frames "
                     "N to change, 0 for no limit)");
  check_time();
}

void RunLimits::check_time() const {
  if (timed() && std::chrono::steady_clock::now() >= deadline_) throw LimitError(timeout_message());
}

std::string RunLimits::timeout_message() const {
  return "the script ran longer than " + std::to_string(timeout_seconds_) +
         " s and was stopped (--timeout SECS to change, 0 for no limit)";
}

}  // namespace kroplay
