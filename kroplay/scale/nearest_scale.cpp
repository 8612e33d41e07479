#include "kroplay/scale/nearest_scale.h"

#include <cstring>

namespace kroplay {

void scale_row(const uint8_t *row, int32_t width, int factor, uint8_t *out) {
  for (int32_t x = 0; x < width; ++x, out += factor) std::memset(out, row[x], factor);
}

void scale_frame(const uint8_t *pixels, int32_t width, int32_t height, int factor,
                 std::vector<uint8_t> &out) {
  const size_t scaled_width = static_cast<size_t>(width) * static_cast<size_t>(factor);
  out.resize(scaled_width * static_cast<size_t>(height) * static_cast<size_t>(factor));
  uint8_t *line = out.data();
  for (int32_t y = 0; y < height; ++y) {
    scale_row(pixels + static_cast<size_t>(y) * static_cast<size_t>(width), width, factor, line);
    // The other lines of the block copy the first.
    for (int copy = 1; copy < factor; ++copy)
      std::memcpy(line + scaled_width * static_cast<size_t>(copy), line, scaled_width);
    line += scaled_width * static_cast<size_t>(factor);
  }
}

}  // namespace kroplay
