#include "kroplay/gif/frame_diff.h"

#include <cstddef>
#include <cstring>

namespace kroplay {

Rect changed_rect(const uint8_t *before, const uint8_t *after, int32_t width, int32_t height) {
  const size_t w = static_cast<size_t>(width);
  auto row_equal = [&](int32_t y) {
    return std::memcmp(before + static_cast<size_t>(y) * w, after + static_cast<size_t>(y) * w,
                       w) == 0;
  };
  int32_t top = 0;
  while (top < height && row_equal(top)) ++top;
  if (top == height || width == 0) return {};
  int32_t bottom = height - 1;
  while (row_equal(bottom)) --bottom;

  int32_t left = width, right = -1;
  for (int32_t y = top; y <= bottom; ++y) {
    const uint8_t *a = before + static_cast<size_t>(y) * w;
    const uint8_t *b = after + static_cast<size_t>(y) * w;
    for (int32_t x = 0; x < left; ++x)
      if (a[x] != b[x]) {
        left = x;
        break;
      }
    for (int32_t x = width - 1; x > right; --x)
      if (a[x] != b[x]) {
        right = x;
        break;
      }
  }
  return {left, top, right - left + 1, bottom - top + 1};
}

}  // namespace kroplay
