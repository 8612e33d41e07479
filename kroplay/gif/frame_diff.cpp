#include "kroplay/gif/frame_diff.h"

#include <cstddef>
#include <cstring>

namespace kroplay {
namespace {

// `row_equal(y)` tells whether row y is the same in both; `differs(y, x)`
// whether pixel (x, y) is not.
template <typename RowEqual, typename Differs>
Rect bounding_rect(int32_t width, int32_t height, RowEqual row_equal, Differs differs) {
  int32_t top = 0;
  while (top < height && row_equal(top)) ++top;
  if (top == height || width == 0) return {};
  int32_t bottom = height - 1;
  while (row_equal(bottom)) --bottom;

  int32_t left = width, right = -1;
  for (int32_t y = top; y <= bottom; ++y) {
    for (int32_t x = 0; x < left; ++x)
      if (differs(y, x)) {
        left = x;
        break;
      }
    for (int32_t x = width - 1; x > right; --x)
      if (differs(y, x)) {
        right = x;
        break;
      }
  }
  return {left, top, right - left + 1, bottom - top + 1};
}

}  // namespace

Rect changed_rect(const uint8_t *before, const uint8_t *after, int32_t width, int32_t height) {
  const size_t w = static_cast<size_t>(width);
  return bounding_rect(
      width, height,
      [&](int32_t y) {
        return std::memcmp(before + static_cast<size_t>(y) * w, after + static_cast<size_t>(y) * w,
                           w) == 0;
      },
      [&](int32_t y, int32_t x) {
        const size_t at = static_cast<size_t>(y) * w + static_cast<size_t>(x);
        return before[at] != after[at];
      });
}

Rect changed_rect(const uint8_t *before, const Palette &before_palette, const uint8_t *after,
                  const Palette &after_palette, int32_t width, int32_t height) {
  if (before_palette == after_palette) return changed_rect(before, after, width, height);
  uint32_t old_colours[kPaletteEntries], new_colours[kPaletteEntries];
  for (int i = 0; i < kPaletteEntries; ++i) {
    old_colours[i] = colour_at(before_palette, static_cast<uint8_t>(i));
    new_colours[i] = colour_at(after_palette, static_cast<uint8_t>(i));
  }
  const size_t w = static_cast<size_t>(width);
  auto differs = [&](int32_t y, int32_t x) {
    const size_t at = static_cast<size_t>(y) * w + static_cast<size_t>(x);
    return old_colours[before[at]] != new_colours[after[at]];
  };
  return bounding_rect(
      width, height,
      [&](int32_t y) {
        for (int32_t x = 0; x < width; ++x)
          if (differs(y, x)) return false;
        return true;
      },
      differs);
}

int64_t changed_pixel_count(const uint8_t *before, const Palette &before_palette,
                            const uint8_t *after, const Palette &after_palette, int32_t width,
                            int32_t height) {
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  int64_t changed = 0;
  if (before_palette == after_palette) {
    for (size_t i = 0; i < count; ++i) changed += before[i] != after[i];
    return changed;
  }
  for (size_t i = 0; i < count; ++i)
    changed += colour_at(before_palette, before[i]) != colour_at(after_palette, after[i]);
  return changed;
}

}  // namespace kroplay
