// Chooses how a GIF stores one frame's rectangle over what is already on
// screen: the global colour table while it has room for the frame's
// colours (else a local one holding just them), an index that stands for
// "leave the pixel below showing" at pixels that did not change, the
// shortest codes those indices allow, and the LZW codes. It encodes a few
// candidates and keeps the smallest.
#ifndef KROPLAY_FRAME_ENCODER_H
#define KROPLAY_FRAME_ENCODER_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "kroplay/base/palettes.h"
#include "kroplay/gif/colour_slots.h"
#include "kroplay/gif/frame_diff.h"
#include "kroplay/gif/gif_lzw.h"

namespace kroplay {

struct EncodedImage {
  Rect rect;
  std::vector<uint8_t>
      local_colours;     // RGB triples, a power of two of them; empty: the global table
  int transparent = -1;  // the index that leaves the pixel below showing; -1: none
  int min_code_size = 8;
  std::vector<uint8_t> codes;  // the LZW code stream: its first code_length bytes
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
  // written. Colours new to the file's global table are added to `global`
  // when they all fit. The result stays valid until the next call.
  const EncodedImage &encode(const uint8_t *pixels, const Palette &palette, const uint8_t *shown,
                             const Palette &shown_palette, int32_t width, const Rect &rect,
                             ColourSlots &global);

 private:
  void gather(const uint8_t *pixels, const Palette &palette, const uint8_t *shown,
              const Palette &shown_palette, int32_t width, const Rect &rect);
  // Sets the table fields below; false if the global table lacks room.
  bool choose_global_table(const Palette &palette, ColourSlots &global);
  void choose_local_table(const Palette &palette);
  // Fills own_ with each pixel's own table index ("unchanged" where the
  // table lacks its colour), unchanged_run_ with the length of the run of
  // unchanged pixels each pixel is in (0: changed; at most 255), and
  // second_, each pixel's second choice: "unchanged" if it is unchanged.
  void map_pixels();
  // Fills first_, each pixel's first choice: "unchanged" in a run of at
  // least `long_run` unchanged pixels (a long run of it costs next to
  // nothing), its own colour elsewhere. So a pixel in a long run is only
  // "unchanged", one in a shorter run either, its own colour first.
  void prepare(int long_run);
  // Encodes first_ and second_ (own_ alone without "unchanged"); keeps
  // the result if it is the smallest yet.
  void try_candidate(LzwOptions options);

  LzwEncoder lzw_;
  std::vector<uint8_t> actual_;   // the rectangle's indices, row after row
  std::vector<uint8_t> changed_;  // 1 where the pixel shows a new colour
  size_t unchanged_count_ = 0;
  // Indices that changed pixels, and unchanged ones, show.
  bool in_changed_[kPaletteEntries] = {}, in_unchanged_[kPaletteEntries] = {};
  // The table: each index's entry, whether it has one, and "unchanged".
  uint8_t slot_of_[kPaletteEntries] = {};
  bool in_table_[kPaletteEntries] = {};
  int transparent_ = -1, min_code_size_ = 8;
  std::vector<uint8_t> colours_;              // empty: the global table
  std::vector<uint8_t> own_, unchanged_run_;  // see map_pixels
  std::vector<uint8_t> first_, second_;
  EncodedImage best_, candidate_;
  bool have_best_ = false;
};

}  // namespace kroplay

#endif  // KROPLAY_FRAME_ENCODER_H
