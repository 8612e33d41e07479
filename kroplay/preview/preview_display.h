// What the live preview needs from a window: show a frame through a palette,
// set the title, copy text to the clipboard, and hand over the user's
// requests. The SDL window is one;
// the tests drive the preview through a scripted stand-in.
#ifndef KROPLAY_PREVIEW_DISPLAY_H
#define KROPLAY_PREVIEW_DISPLAY_H

#include <cstdint>
#include <stdexcept>
#include <string>

#include "kroplay/base/palettes.h"
#include "kroplay/tuning/preview_keys.h"

namespace kroplay {

// The window cannot be opened or drawn into; ends the preview.
class DisplayError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class PreviewDisplay {
 public:
  virtual ~PreviewDisplay() = default;
  // Shows a `width` x `height` frame of palette indices. Throws DisplayError.
  virtual void show(const uint8_t *pixels, int32_t width, int32_t height,
                    const Palette &palette) = 0;
  virtual void set_title(const std::string &title) = 0;
  // Puts `text` on the clipboard, if there is one.
  virtual void copy_text(const std::string &text) = 0;
  // Waits up to `timeout_ms` (0: not at all) for the user's next request;
  // false if none came.
  virtual bool next_action(int timeout_ms, PreviewAction &action) = 0;
};

}  // namespace kroplay

#endif  // KROPLAY_PREVIEW_DISPLAY_H
