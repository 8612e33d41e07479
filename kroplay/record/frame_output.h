// Where the recorded frames go: an animated GIF or a PNG, either scaled by
// a whole factor.
#ifndef KROPLAY_FRAME_OUTPUT_H
#define KROPLAY_FRAME_OUTPUT_H

#include <cstdint>
#include <memory>
#include <string>

#include "kroplay/base/palettes.h"

namespace kroplay {

class FrameOutput {
 public:
  virtual ~FrameOutput() = default;
  // Takes a frame at native size. Throws OutputError.
  virtual void add_frame(const uint8_t *pixels, int32_t width, int32_t height,
                         const Palette &palette) = 0;
  // Completes the output and moves it into place. Throws OutputError.
  virtual void finish() = 0;
  // Frames taken so far.
  virtual int64_t frame_count() const = 0;
  // What was written, for the closing line: "5 frames, 6x4".
  virtual std::string summary() const = 0;
};

// A GIF at `path` (frames `delay` hundredths of a second apart), or a PNG
// when `path` ends in .png (a sprite sheet of `columns`, 0: near-square,
// cells `gap` pixels apart). Opens the output at once. Throws OutputError.
std::unique_ptr<FrameOutput> open_frame_output(const std::string &path, int delay, int scale,
                                               int columns, int gap);

}  // namespace kroplay

#endif  // KROPLAY_FRAME_OUTPUT_H
