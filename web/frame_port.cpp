#include "web/frame_port.h"

#include <emscripten/emscripten.h>

// Module.onFrame, onTitle and onFrameRate, set by the worker. onFrame's
// result goes back to the worker's wrapper of this import: a promise there
// suspends the run until the frame's slot (live runs).
EM_JS(void, call_on_frame,
      (double number, const uint8_t *pixels, int32_t width, int32_t height, const uint8_t *palette),
      { return Module.onFrame(number, pixels, width, height, palette); });

EM_JS(void, call_on_title, (const char *title, const char *call),
      { Module.onTitle(UTF8ToString(title), UTF8ToString(call)); });

void send_title(const std::string &title, const std::string &call) {
  call_on_title(title.c_str(), call.c_str());
}

EM_JS(void, call_on_frame_rate, (int fps), { Module.onFrameRate(fps); });

void send_frame_rate(int fps) {
  call_on_frame_rate(fps);
}

void send_frame(int64_t number, const uint8_t *pixels, int32_t width, int32_t height,
                const uint8_t *palette) {
  call_on_frame(static_cast<double>(number), pixels, width, height, palette);
}
