// Streams frames into an animated GIF: native size, the host's palette as
// the colour table (no re-quantisation), looping forever. After the first
// frame only the rectangle that changed is encoded; a frame whose palette
// differs from the first frame's carries its own colour table. Frames may
// change size: such a frame is written whole at the top left corner, and the
// GIF's screen is the largest size of all.
#ifndef KROPLAY_GIF_WRITER_H
#define KROPLAY_GIF_WRITER_H

#include <cstdint>
#include <string>
#include <vector>

#include "kroplay/gif/frame_diff.h"
#include "kroplay/host/palettes.h"
#include "kroplay/output/output_file.h"

struct GifFileType;

namespace kroplay {

// giflib's description of one of its error codes.
std::string gif_error_text(int error);

class GifWriter {
 public:
  // Opens the output `path` at once (see OutputFile), so an unwritable
  // output is found before any work. Frames are `delay` hundredths of a
  // second apart. Throws OutputError.
  GifWriter(const std::string &path, int delay);
  // Without finish(), removes everything written.
  ~GifWriter();
  GifWriter(const GifWriter &) = delete;
  GifWriter &operator=(const GifWriter &) = delete;

  // Appends a frame. Throws OutputError.
  void add_frame(const uint8_t *pixels, int32_t width, int32_t height, const Palette &palette);
  // Completes the file and moves it to `path`. Needs at least one frame.
  // Throws OutputError.
  void finish();

  int64_t frame_count() const { return frames_; }
  // The GIF's screen: the largest frame size so far.
  int32_t screen_width() const { return screen_width_; }
  int32_t screen_height() const { return screen_height_; }

 private:
  void begin(int32_t width, int32_t height, const Palette &palette);
  void set_size(int32_t width, int32_t height);
  void patch_screen_size();
  void put_image(const uint8_t *pixels, const Rect &rect, const Palette &palette);
  void check(int status, const char *step);

  OutputFile file_;
  int delay_;
  GifFileType *gif_ = nullptr;
  int32_t width_ = 0, height_ = 0;  // of the last frame
  int32_t first_width_ = 0, first_height_ = 0;
  int32_t screen_width_ = 0, screen_height_ = 0;  // the largest
  int64_t frames_ = 0;
  Palette global_palette_{};
  Palette previous_palette_{};
  std::vector<uint8_t> previous_;
  std::vector<uint8_t> line_;
};

}  // namespace kroplay

#endif  // KROPLAY_GIF_WRITER_H
