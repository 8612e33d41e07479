#include "kroplay/record/seamless_loop.h"

#include <algorithm>
#include <utility>

#include "kroplay/gif/frame_diff.h"
#include "kroplay/output/temp_file.h"
#include "kroplay/scale/nearest_scale.h"

namespace kroplay {
namespace {

// Frames 0 to `count` - 1 hold their last quarter from here.
int64_t last_quarter_start(int64_t count) {
  return count - (count + 3) / 4;
}

}  // namespace

SeamlessLoop::SeamlessLoop(std::unique_ptr<FrameOutput> output, int64_t first, int64_t step)
    : output_(std::move(output)), first_number_(first), step_(step) {}

int64_t SeamlessLoop::difference(const KeptFrame &a, const KeptFrame &b) {
  if (a.width != b.width || a.height != b.height)
    return std::max(int64_t{a.width} * a.height, int64_t{b.width} * b.height);
  return changed_pixel_count(a.pixels.data(), *a.palette, b.pixels.data(), *b.palette, a.width,
                             a.height);
}

void SeamlessLoop::add_frame(const uint8_t *pixels, int32_t width, int32_t height,
                             const Palette &palette) {
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  KeptFrame frame{std::vector<uint8_t>(pixels, pixels + count), width, height,
                  std::make_shared<const Palette>(palette)};
  if (given_ == 0) first_ = frame;
  step_changes_.push_back(given_ == 0 ? 0 : difference(previous_, frame));
  unlike_first_.push_back(difference(first_, frame));
  // Whatever the last frame turns out to be, those before the last quarter
  // come before it.
  pass_on(last_quarter_start(given_ + 1));
  if (pending_.bytes() + pending_.cost(width, height, palette) > kMaxKeptFrameBytes)
    throw OutputError(
        "--seamless keeps the last quarter of the frames until the run ends, here "
        "more than " +
        std::to_string(kMaxKeptFrameBytes) + " bytes; choose fewer frames with --frames A..B");
  pending_.push_back(pixels, width, height, palette);
  previous_ = std::move(frame);
  ++given_;
}

void SeamlessLoop::pass_on(int64_t end) {
  while (pending_start_ < end && !pending_.empty()) {
    const KeptFrame &frame = pending_.front();
    output_->add_frame(frame.pixels.data(), frame.width, frame.height, *frame.palette);
    pending_.pop_front();
    ++pending_start_;
  }
}

std::string SeamlessLoop::frame_name(int64_t index) const {
  return std::to_string(first_number_ + index * step_);
}

void SeamlessLoop::finish() {
  if (given_ < kMinSeamlessFrames)
    throw OutputError("--seamless needs at least " + std::to_string(kMinSeamlessFrames) +
                      " frames to choose the loop's end from; the run gave " +
                      std::to_string(given_));
  // The last frame: within the last quarter and with a successor, the one
  // whose successor is most like the first frame; the later on a tie.
  int64_t last = given_ - 2;
  for (int64_t end = given_ - 2; end >= last_quarter_start(given_); --end)
    if (unlike_first_[static_cast<size_t>(end + 1)] < unlike_first_[static_cast<size_t>(last + 1)])
      last = end;
  const int64_t wrap = difference(pending_[static_cast<size_t>(last - pending_start_)], first_);
  int64_t total = 0, largest = 0;
  for (int64_t i = 1; i <= last; ++i) {
    total += step_changes_[static_cast<size_t>(i)];
    largest = std::max(largest, step_changes_[static_cast<size_t>(i)]);
  }
  pass_on(last + 1);
  pending_ = KeptFrames();
  output_->finish();
  report_ = "--seamless: frames " + frame_name(0) + ".." + frame_name(last) + " of " +
            frame_name(0) + ".." + frame_name(given_ - 1) + " loop; the wrap from frame " +
            frame_name(last) + " to " + frame_name(0) + " changes " + std::to_string(wrap) +
            (wrap == 1 ? " pixel" : " pixels") + ", the steps inside " +
            std::to_string((total + last / 2) / last) + " on average and " +
            std::to_string(largest) + " at most";
  // No frame of the range wraps smoothly: say so rather than let the jump
  // pass for a loop.
  if (wrap > largest)
    report_ +=
        "; the wrap is larger than every step inside: no frame of the range loops "
        "smoothly, try a longer --frames range";
}

}  // namespace kroplay
