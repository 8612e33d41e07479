// Hands a composed frame from the module to the JavaScript that runs it.
#ifndef WAVEFX_WEB_FRAME_PORT_H
#define WAVEFX_WEB_FRAME_PORT_H

#include <cstdint>
#include <string>

// Frame `number` (from 0): `width` x `height` palette indices and the 768
// palette bytes, copied by the receiver before this returns.
void send_frame(int64_t number, const uint8_t *pixels, int32_t width, int32_t height,
                const uint8_t *palette);

// Before each frame: the preview's title for it (without the key list) and
// the call that reproduces the effect on screen ("" for none).
void send_title(const std::string &title, const std::string &call);

// The run's frame rate (--fps), before its first frame: live runs keep it.
void send_frame_rate(int fps);

#endif  // WAVEFX_WEB_FRAME_PORT_H
