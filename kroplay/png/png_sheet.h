// A PNG of the frames it is given: one frame as itself, several as a sprite
// sheet, a grid filled row by row. Cells are the size of the largest frame,
// optionally a gap apart; each frame sits at the top left of its cell, the
// rest of the cell, the gaps and any cell past the last frame are colour 0. The image is indexed
// with the frames' palette when all share one, RGB otherwise. Every pixel is scaled by a whole
// factor.
#ifndef KROPLAY_PNG_SHEET_H
#define KROPLAY_PNG_SHEET_H

#include <cstdint>
#include <string>
#include <vector>

#include "kroplay/base/palettes.h"
#include "kroplay/host/kept_frames.h"
#include "kroplay/output/output_file.h"

namespace kroplay {

class PngSheet {
 public:
  // Opens `path` at once (see OutputFile). `columns` 0 picks a near-square
  // grid; `gap` pixels (not scaled) part the cells. Throws OutputError.
  PngSheet(const std::string &path, int scale, int columns, int gap);

  // Keeps a copy of the frame. Throws OutputError, before keeping it, if
  // the image would hold more than kMaxScaledPixels or the frames kept
  // would take more than kMaxKeptFrameBytes.
  void add_frame(const uint8_t *pixels, int32_t width, int32_t height, const Palette &palette);
  // Writes the image and moves it into place. Needs a frame. Throws
  // OutputError.
  void finish();

  int64_t frame_count() const { return static_cast<int64_t>(frames_.size()); }
  int32_t image_width() const;
  int32_t image_height() const;
  int columns() const;
  int rows() const;

 private:
  // Fills `out` with image row `y`: indices, or RGB when `rgb`.
  void compose_row(int32_t y, bool rgb, std::vector<uint8_t> &out) const;

  OutputFile file_;
  int scale_;
  int requested_columns_;
  int gap_;
  KeptFrames frames_;
  int32_t cell_width_ = 0, cell_height_ = 0;
};

// Columns of a near-square grid for `count` cells: the rounded-up square
// root.
int near_square_columns(int64_t count);

}  // namespace kroplay

#endif  // KROPLAY_PNG_SHEET_H
