// --seamless: stands before the output and ends the frames it is given,
// within their last quarter, at the frame whose successor is most like the
// first, so that the wrap of a looping GIF (last frame to first) looks like
// an ordinary step. Frames are compared by how many pixels change colour.
#ifndef KROPLAY_SEAMLESS_LOOP_H
#define KROPLAY_SEAMLESS_LOOP_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kroplay/host/kept_frames.h"
#include "kroplay/record/frame_output.h"

namespace kroplay {

// The fewest frames --seamless chooses from: its last quarter must hold a
// frame with a successor.
constexpr int64_t kMinSeamlessFrames = 5;

class SeamlessLoop : public FrameOutput {
 public:
  // Frames go on to `output` once they are sure to be kept. `first` and
  // `step` number the frames given as the run does, for report().
  SeamlessLoop(std::unique_ptr<FrameOutput> output, int64_t first, int64_t step);

  // Keeps the frames of the last quarter seen so far. Throws OutputError,
  // before keeping it, if they would take more than kMaxKeptFrameBytes.
  void add_frame(const uint8_t *pixels, int32_t width, int32_t height,
                 const Palette &palette) override;
  // Chooses the last frame, passes the kept ones on and finishes the
  // output. Throws OutputError with fewer than kMinSeamlessFrames.
  void finish() override;
  // Frames given so far.
  int64_t frame_count() const override { return given_; }
  std::string summary() const override { return output_->summary(); }
  // After finish(): the frames kept and how their wrap compares with their
  // steps.
  const std::string &report() const { return report_; }

 private:
  // Pixels that show another colour; all of the larger frame when their
  // sizes differ.
  static int64_t difference(const KeptFrame &a, const KeptFrame &b);
  // Passes on the pending frames before `end` (a frame number from 0).
  void pass_on(int64_t end);
  std::string frame_name(int64_t index) const;

  std::unique_ptr<FrameOutput> output_;
  int64_t first_number_, step_;
  int64_t given_ = 0;
  KeptFrame first_, previous_;
  std::vector<int64_t> step_changes_;  // [i]: frame i-1 to frame i; [0] is 0
  std::vector<int64_t> unlike_first_;  // [i]: frame i against frame 0
  KeptFrames pending_;                 // not yet passed on, from frame pending_start_
  int64_t pending_start_ = 0;
  std::string report_;
};

}  // namespace kroplay

#endif  // KROPLAY_SEAMLESS_LOOP_H
