#include "kroplay/host/kept_frames.h"

namespace kroplay {

int64_t KeptFrames::cost(int32_t width, int32_t height, const Palette &palette) const {
  const bool new_palette = frames_.empty() || *frames_.back().palette != palette;
  return int64_t{width} * height + kKeptFrameBytes + (new_palette ? kKeptPaletteBytes : 0);
}

void KeptFrames::push_back(const uint8_t *pixels, int32_t width, int32_t height,
                           const Palette &palette) {
  bytes_ += cost(width, height, palette);
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  KeptFrame frame{std::vector<uint8_t>(pixels, pixels + count), width, height, nullptr};
  if (!frames_.empty() && *frames_.back().palette == palette)
    frame.palette = frames_.back().palette;
  else
    frame.palette = std::make_shared<const Palette>(palette);
  frames_.push_back(std::move(frame));
}

void KeptFrames::pop_front() {
  const KeptFrame &first = frames_.front();
  bytes_ -= static_cast<int64_t>(first.pixels.size()) + kKeptFrameBytes;
  if (frames_.size() == 1 || frames_[1].palette != first.palette) bytes_ -= kKeptPaletteBytes;
  frames_.pop_front();
}

}  // namespace kroplay
