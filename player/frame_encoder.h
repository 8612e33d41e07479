// Chooses how a GIF stores one frame's rectangle over what is already on
// screen: which colour table (the global one, or a small local one holding
// just the colours written), which index, if any, stands for "leave the
// pixel below showing" at the pixels that did not change, and the LZW codes.
// It encodes the candidates and keeps the smallest.
#ifndef KROPLAY_FRAME_ENCODER_H
#define KROPLAY_FRAME_ENCODER_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "frame_diff.h"
#include "gif_lzw.h"
#include "palettes.h"

namespace kroplay {

struct EncodedImage {
  Rect rect;
  std::vector<uint8_t>
      local_colours;     // RGB triples, a power of two of them; empty: the global table
  int transparent = -1;  // the index that leaves the pixel below showing; -1: none
  int min_code_size = 8;
  std::vector<uint8_t> codes;  // the LZW code stream; its first code_length bytes
  size_t code_length = 0;

  // Bytes the image takes in the file beyond its fixed headers.
  size_t stored_size() const {
    return code_length + (code_length + 254) / 255 + local_colours.size();
  }
};

class FrameEncoder {
 public:
  // Encodes `rect` of the frame `pixels` (`width` wide, colours `palette`)
  // to be drawn over the frame `shown` (same size, colours `shown_palette`);
  // `shown` null when what lies below is not known, so every pixel is
  // written. `global` is the file's global colour table. The result stays
  // valid until the next call.
  const EncodedImage &encode(const uint8_t *pixels, const Palette &palette, const uint8_t *shown,
                             const Palette &shown_palette, int32_t width, const Rect &rect,
                             const Palette &global);

 private:
  void gather(const uint8_t *pixels, const Palette &palette, const uint8_t *shown,
              const Palette &shown_palette, int32_t width, const Rect &rect);
  void encode_with_global_table(bool have_unchanged);
  void encode_with_local_table(const Palette &palette, bool have_unchanged);
  // Encodes first_ (and second_ where `two_choices`) as a candidate and
  // keeps it if it is the smallest so far.
  void try_candidate(bool two_choices, int transparent, int min_code_size,
                     const std::vector<uint8_t> &local_colours);

  LzwEncoder lzw_;
  std::vector<uint8_t> actual_;   // the rectangle's indices, row after row
  std::vector<uint8_t> changed_;  // 1 where the pixel shows a new colour
  std::vector<uint8_t> first_, second_;
  bool used_[kPaletteEntries] = {};  // indices of the changed pixels
  int used_count_ = 0;
  EncodedImage best_, candidate_;
  bool have_best_ = false;
};

}  // namespace kroplay

#endif  // KROPLAY_FRAME_ENCODER_H
