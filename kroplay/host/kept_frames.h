// Frames kept in memory until a run ends (a sprite sheet's, --seamless's
// last quarter), with what they really cost counted, so that a run of many
// small frames is bounded as well as one of large frames. A palette is
// stored once for the frames that follow it unchanged.
#ifndef KROPLAY_HOST_KEPT_FRAMES_H
#define KROPLAY_HOST_KEPT_FRAMES_H

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "kroplay/base/palettes.h"

namespace kroplay {

// What kept frames may take; a frame that would take them past it is
// refused before it is kept.
inline constexpr int64_t kMaxKeptFrameBytes = int64_t{1} << 27;
// A kept frame besides its pixels: its record and its pixels' allocation.
inline constexpr int64_t kKeptFrameBytes = 96;
// A palette that differs from the frame before's: its entries and their
// allocation.
inline constexpr int64_t kKeptPaletteBytes = 1024;

struct KeptFrame {
  std::vector<uint8_t> pixels;  // width x height
  int32_t width = 0, height = 0;
  std::shared_ptr<const Palette> palette;
};

class KeptFrames {
 public:
  // The bytes that keeping a frame of this size and palette would add.
  int64_t cost(int32_t width, int32_t height, const Palette &palette) const;
  void push_back(const uint8_t *pixels, int32_t width, int32_t height, const Palette &palette);
  void pop_front();

  bool empty() const { return frames_.empty(); }
  size_t size() const { return frames_.size(); }
  const KeptFrame &operator[](size_t index) const { return frames_[index]; }
  const KeptFrame &front() const { return frames_.front(); }
  // What the frames kept take, as cost() counts it.
  int64_t bytes() const { return bytes_; }

 private:
  std::deque<KeptFrame> frames_;
  int64_t bytes_ = 0;
};

}  // namespace kroplay

#endif  // KROPLAY_HOST_KEPT_FRAMES_H
