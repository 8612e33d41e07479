// A recording's frame sink: each composed frame is checked against the
// run's limits, passed to the output when selected, hashed onto stdout with
// --hash, counted on the progress line. The run ends after the selected
// range's last frame.
#ifndef KROPLAY_FRAME_SELECTOR_H
#define KROPLAY_FRAME_SELECTOR_H

#include <cstdint>
#include <cstdio>

#include "kroplay/record/frame_output.h"
#include "kroplay/record/output_choice.h"
#include "kroplay/record/progress.h"
#include "kroplay/record/run_limits.h"
#include "kroplay/script/script_api.h"

namespace kroplay {

class FrameSelector : public FrameSink {
 public:
  // `hash_out` null: no hash lines. Every frame goes to `output` unless
  // select() says otherwise.
  FrameSelector(FrameOutput &output, std::FILE *hash_out, Progress &progress)
      : output_(output), hash_out_(hash_out), progress_(progress) {}

  // Only the frames in `range` go to the output; the script ends after its
  // last frame.
  void select(const FrameRange &range) { range_ = range; }
  // Checks every frame against `limits` (kept by the caller; null: none).
  void set_limits(const RunLimits *limits) { limits_ = limits; }

  void frame_composed(const HostRuntime &runtime) override;

  // Frames composed, selected or not.
  int64_t frames() const { return frames_; }

 private:
  FrameOutput &output_;
  std::FILE *hash_out_;
  Progress &progress_;
  FrameRange range_;
  const RunLimits *limits_ = nullptr;
  int64_t frames_ = 0;
};

}  // namespace kroplay

#endif  // KROPLAY_FRAME_SELECTOR_H
