// The playground's Record button: the frames the page shows, from the press
// until Stop, written one by one by kroplay's GIF writer into the module's
// file system. The page's picture worker calls these, one recording at a
// time; each returns "" when it worked, else kroplay's one-line message
// (valid until the next call).
#include <emscripten/emscripten.h>
#include <sys/stat.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>

#include "kroplay/base/messages.h"
#include "kroplay/cli/options.h"
#include "kroplay/record/frame_output.h"

namespace {

std::unique_ptr<kroplay::FrameOutput> recording;
std::string message;

template <typename Step>
const char *attempt(Step step) {
  message.clear();
  try {
    step();
  } catch (const std::exception &e) {
    recording.reset();
    message = kroplay::one_line(e.what());
  }
  return message.c_str();
}

}  // namespace

extern "C" {

// Starts a GIF at `path` played at `fps` frames per second.
EMSCRIPTEN_KEEPALIVE const char *wavefx_record_begin(const char *path, int fps) {
  return attempt([&] {
    umask(022);  // Emscripten's default 0777 would leave the file unreadable
    recording = kroplay::open_frame_output(path, kroplay::gif_delay(fps), 1, 0, 0);
  });
}

// Adds a `width` x `height` frame of palette indices with its 768 palette
// bytes.
EMSCRIPTEN_KEEPALIVE const char *wavefx_record_frame(const uint8_t *pixels, int width, int height,
                                                     const uint8_t *palette) {
  return attempt([&] {
    if (!recording) throw std::runtime_error("no recording was started");
    kroplay::Palette colours;
    std::copy(palette, palette + colours.size(), colours.begin());
    recording->add_frame(pixels, width, height, colours);
  });
}

// Finishes the GIF; the file is complete afterwards.
EMSCRIPTEN_KEEPALIVE const char *wavefx_record_end() {
  return attempt([&] {
    if (!recording) throw std::runtime_error("no recording was started");
    recording->finish();
    recording.reset();
  });
}

}  // extern "C"
