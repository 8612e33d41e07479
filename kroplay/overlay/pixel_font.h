// kroplay's built-in pixel font: one 5x7 glyph for each printable ASCII
// character (32..126), drawn in cells of 6x9 pixels so that neighbouring
// characters and lines keep a blank column and two blank rows between them.
#ifndef KROPLAY_PIXEL_FONT_H
#define KROPLAY_PIXEL_FONT_H

namespace kroplay {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;
inline constexpr int kCharAdvance = 6;  // pixels from one character's left edge to the next
inline constexpr int kLineAdvance = 9;  // pixels from one line's top to the next
inline constexpr char kFirstGlyph = ' ', kLastGlyph = '~';

// True if the font has a glyph for `c`.
inline bool has_glyph(char c) {
  return c >= kFirstGlyph && c <= kLastGlyph;
}

// True if pixel (x, y) of the glyph of `c` (has_glyph) is set; x from 0 to
// kGlyphWidth - 1, y from 0 to kGlyphHeight - 1.
bool glyph_pixel(char c, int x, int y);

}  // namespace kroplay

#endif  // KROPLAY_PIXEL_FONT_H
