// Streams frames into an animated GIF: native size, the host's palette as
// the colour table (no re-quantisation), looping forever. After the first
// frame only the rectangle that changed is encoded, each frame drawn over
// the last, in whichever of a few encodings is smallest (see
// frame_encoder.h). A frame that shows the same as the one before is not
// written: the earlier one is shown longer, so the file may hold fewer
// frames than were added. Frames may change size: such a frame is written
// whole at the top left corner, and the GIF's screen is the largest size of
// all.
//
// The header (the screen size and the global colour table, cut to the
// entries frames use) is known only once the last frame is in, so the
// frames' encoded blocks are kept in memory and the file is written once,
// in order, by finish(). Past kHeldBytes, a file (not a direct destination)
// gets them as they come, behind room for the largest header; finish()
// writes the header there, and only a header smaller than that room moves
// them once more.
#ifndef KROPLAY_GIF_WRITER_H
#define KROPLAY_GIF_WRITER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "kroplay/base/palettes.h"
#include "kroplay/gif/frame_diff.h"
#include "kroplay/gif/frame_encoder.h"
#include "kroplay/output/output_file.h"

namespace kroplay {

class GifWriter {
 public:
  // Opens the output `path` at once (see OutputFile), so an unwritable
  // output is found before any work. Frames are `delay` hundredths of a
  // second apart. Throws OutputError. Without finish(), nothing is left
  // at `path`.
  GifWriter(const std::string &path, int delay);

  // Appends a frame. It is encoded once the next frame differs from it, or
  // by finish(). Throws OutputError.
  void add_frame(const uint8_t *pixels, int32_t width, int32_t height, const Palette &palette);
  // Writes the file and moves it to `path`. Needs at least one frame.
  // Throws OutputError.
  void finish();

  // Frames added; the file may hold fewer.
  int64_t frame_count() const { return frames_; }
  // The GIF's screen: the largest frame size so far.
  int32_t screen_width() const { return screen_width_; }
  int32_t screen_height() const { return screen_height_; }

 private:
  void check_size(int32_t width, int32_t height) const;
  void hold(const uint8_t *pixels, int32_t width, int32_t height, const Palette &palette,
            const Rect &rect, bool over_shown);
  void encode_held();
  void keep_image(const EncodedImage &image, int delay);

  OutputFile file_;
  int delay_;
  // The encoded frames, in pieces of about kPieceBytes (one growing buffer
  // would need twice its size while it moves), until they pass kHeldBytes.
  static constexpr size_t kPieceBytes = size_t{1} << 20;
  static constexpr size_t kHeldBytes = size_t{4} << 20;
  std::vector<std::vector<uint8_t>> body_;
  size_t held_bytes_ = 0;
  bool streaming_ = false;                        // the frames go to the file as they come
  int32_t screen_width_ = 0, screen_height_ = 0;  // the largest
  int64_t frames_ = 0;
  ColourSlots global_colours_;
  int global_bits_ = 0;  // the global table's entries that frames index: 2^global_bits_
  // The frame added last, not yet written: shown for held_delay_, and
  // differing from the frame on screen within held_rect_ (all of it, at a
  // new size or when nothing was on screen).
  std::vector<uint8_t> held_;
  Palette held_palette_{};
  int32_t held_width_ = 0, held_height_ = 0;
  int64_t held_delay_ = 0;
  Rect held_rect_;
  bool held_over_shown_ = false;
  // The frame written last, as it is on screen.
  std::vector<uint8_t> shown_;
  Palette shown_palette_{};
  FrameEncoder encoder_;
};

}  // namespace kroplay

#endif  // KROPLAY_GIF_WRITER_H
