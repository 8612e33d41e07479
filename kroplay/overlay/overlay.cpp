#include "kroplay/overlay/overlay.h"

#include <algorithm>

#include "kroplay/overlay/pixel_font.h"

namespace kroplay {

bool Overlay::add(const Drawing &drawing, size_t count) {
  if (count > kMaxDrawings - drawings_.size()) return false;
  drawings_.push_back(drawing);
  return true;
}

bool Overlay::add_sprite(const uint8_t *pixels, int32_t width, int32_t height, int transparent,
                         int32_t x, int32_t y) {
  return add({Kind::kSprite, 0, 0, transparent, x, y, width, height, pixels}, 1);
}

bool Overlay::add_rect(int32_t x, int32_t y, int32_t width, int32_t height, uint8_t colour) {
  return add({Kind::kRect, 0, colour, -1, x, y, width, height, nullptr}, 1);
}

bool Overlay::add_text(int32_t x, int32_t y, std::string_view text, uint8_t colour) {
  const size_t count = text.size() -
                       static_cast<size_t>(std::count(text.begin(), text.end(), ' ')) -
                       static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
  if (count > kMaxDrawings - drawings_.size()) return false;
  const size_t before = drawings_.size();
  try {
    int64_t column = 0, line = 0;
    for (char c : text) {
      if (c == '\n') {
        column = 0;
        ++line;
        continue;
      }
      if (c != ' ')
        drawings_.push_back({Kind::kGlyph, c, colour, -1, x + column * kCharAdvance,
                             y + line * kLineAdvance, kGlyphWidth, kGlyphHeight, nullptr});
      ++column;
    }
  } catch (...) {
    drawings_.resize(before);
    throw;
  }
  return true;
}

void Overlay::draw_onto(uint8_t *frame, int32_t width, int32_t height) const {
  for (const Drawing &d : drawings_) {
    // The part of the drawing on the screen, in screen coordinates.
    const int64_t left = std::max<int64_t>(d.x, 0), right = std::min<int64_t>(d.x + d.width, width);
    const int64_t top = std::max<int64_t>(d.y, 0),
                  bottom = std::min<int64_t>(d.y + d.height, height);
    for (int64_t y = top; y < bottom; ++y) {
      uint8_t *row = frame + y * width;
      for (int64_t x = left; x < right; ++x) {
        const int64_t u = x - d.x, v = y - d.y;  // within the drawing
        switch (d.kind) {
          case Kind::kRect:
            row[x] = d.colour;
            break;
          case Kind::kGlyph:
            if (glyph_pixel(d.glyph, static_cast<int>(u), static_cast<int>(v))) row[x] = d.colour;
            break;
          case Kind::kSprite: {
            const uint8_t index = d.pixels[v * d.width + u];
            if (index != d.transparent) row[x] = index;
            break;
          }
        }
      }
    }
  }
}

}  // namespace kroplay
