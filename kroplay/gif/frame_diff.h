// Where two frames of the same size differ, so that only that part of a
// frame needs encoding.
#ifndef KROPLAY_FRAME_DIFF_H
#define KROPLAY_FRAME_DIFF_H

#include <cstdint>

#include "kroplay/base/palettes.h"

namespace kroplay {

struct Rect {
  int32_t left = 0, top = 0, width = 0, height = 0;
  bool empty() const { return width == 0 || height == 0; }
};

// The smallest rectangle holding every pixel where the `width` x `height`
// bitmaps `before` and `after` differ; empty if they are equal.
Rect changed_rect(const uint8_t *before, const uint8_t *after, int32_t width, int32_t height);

// The same for what the bitmaps show through their palettes: with equal
// palettes, where the indices differ; otherwise where the colours differ.
Rect changed_rect(const uint8_t *before, const Palette &before_palette, const uint8_t *after,
                  const Palette &after_palette, int32_t width, int32_t height);

// How many pixels show another colour in `after` than in `before`, both
// `width` x `height` bitmaps seen through their palettes.
int64_t changed_pixel_count(const uint8_t *before, const Palette &before_palette,
                            const uint8_t *after, const Palette &after_palette, int32_t width,
                            int32_t height);

}  // namespace kroplay

#endif  // KROPLAY_FRAME_DIFF_H
