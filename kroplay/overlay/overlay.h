// What a script draws over a composed frame, as a game draws its sprites
// and its HUD after the plug-in's hook: drawings kept in the order they were
// asked for, each clipped to the screen, drawn onto every frame of the next
// frame() call and then dropped.
#ifndef KROPLAY_OVERLAY_H
#define KROPLAY_OVERLAY_H

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kroplay {

class Overlay {
 public:
  // Drawings (a character of text is one) that may wait for one frame()
  // call, so that a script that never composes a frame cannot fill memory.
  static constexpr size_t kMaxDrawings = size_t{1} << 20;

  // Each add_ returns false, adding nothing, if it would pass kMaxDrawings;
  // it throws std::bad_alloc, adding nothing, when memory runs out.
  //
  // A picture of `width` x `height` palette indices, row by row, with its
  // top left corner at (x, y); pixels of index `transparent` (-1: none) are
  // left undrawn. `pixels` must stay valid until clear().
  bool add_sprite(const uint8_t *pixels, int32_t width, int32_t height, int transparent, int32_t x,
                  int32_t y);
  // A filled rectangle.
  bool add_rect(int32_t x, int32_t y, int32_t width, int32_t height, uint8_t colour);
  // `text` in the built-in pixel font, the first character's cell at
  // (x, y); '\n' starts a new line below the first. Every other character
  // must have a glyph (has_glyph).
  bool add_text(int32_t x, int32_t y, std::string_view text, uint8_t colour);

  // Draws every drawing, in order, onto `frame` (`width` x `height`).
  void draw_onto(uint8_t *frame, int32_t width, int32_t height) const;
  void clear() { drawings_.clear(); }
  bool empty() const { return drawings_.empty(); }

 private:
  enum class Kind : uint8_t { kSprite, kRect, kGlyph };
  struct Drawing {
    Kind kind;
    char glyph;
    uint8_t colour;
    int transparent;
    int64_t x, y;  // text runs past the 32-bit range
    int32_t width, height;
    const uint8_t *pixels;
  };
  bool add(const Drawing &drawing, size_t count);
  std::vector<Drawing> drawings_;
};

}  // namespace kroplay

#endif  // KROPLAY_OVERLAY_H
