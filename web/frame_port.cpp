#include "web/frame_port.h"

#include <emscripten/emscripten.h>

// Module.onFrame, set by the worker.
EM_JS(void, call_on_frame,
      (double number, const uint8_t *pixels, int32_t width, int32_t height, const uint8_t *palette),
      { Module.onFrame(number, pixels, width, height, palette); });

void send_frame(int64_t number, const uint8_t *pixels, int32_t width, int32_t height,
                const uint8_t *palette) {
  call_on_frame(static_cast<double>(number), pixels, width, height, palette);
}
