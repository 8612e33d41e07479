#include "drawing.h"

#include <cstring>

#include "../host/host_bindings.h"

namespace wavefx {

namespace {

// Nearest valid index for a line: the upper bound first, then the lower, so
// an index off either edge draws the edge line.
int32_t clamp_index(int32_t index, int32_t size) {
  if (index >= size) index = size - 1;
  if (index < 0) index = 0;
  return index;
}

}  // namespace

uint8_t clamp_colour(int32_t colour) {
  if (colour > 255) return 255;
  if (colour < 0) return 0;
  return static_cast<uint8_t>(colour);
}

void FILL() {
  const uint8_t colour = clamp_colour(pop_argument());
  if (!screen_is_empty()) {
    const size_t size = static_cast<size_t>(screen_width()) * static_cast<size_t>(screen_height());
    std::memset(background_bitmap(), colour, size);
  }
  push_result(0);
}

void PUT_HLINE() {
  const uint8_t colour = clamp_colour(pop_argument());
  const int32_t row_argument = pop_argument();
  if (!screen_is_empty()) {
    const int32_t width = screen_width();
    const int32_t row = clamp_index(row_argument, screen_height());
    std::memset(background_bitmap() + static_cast<size_t>(row) * static_cast<size_t>(width), colour,
                static_cast<size_t>(width));
  }
  push_result(0);
}

void PUT_VLINE() {
  const uint8_t colour = clamp_colour(pop_argument());
  const int32_t column_argument = pop_argument();
  if (!screen_is_empty()) {
    const size_t width = static_cast<size_t>(screen_width());
    const size_t height = static_cast<size_t>(screen_height());
    uint8_t *pixel = background_bitmap() + clamp_index(column_argument, screen_width());
    for (size_t row = 0; row < height; ++row, pixel += width) *pixel = colour;
  }
  push_result(0);
}

void HOW_WIDE() {
  push_result(screen_width());
}

void HOW_HIGH() {
  push_result(screen_height());
}

}  // namespace wavefx
