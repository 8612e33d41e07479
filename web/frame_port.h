// Hands a composed frame from the module to the JavaScript that runs it.
#ifndef WAVEFX_WEB_FRAME_PORT_H
#define WAVEFX_WEB_FRAME_PORT_H

#include <cstdint>

// Frame `number` (from 0): `width` x `height` palette indices and the 768
// palette bytes, copied by the receiver before this returns.
void send_frame(int64_t number, const uint8_t *pixels, int32_t width, int32_t height,
                const uint8_t *palette);

// The run's frame rate (--fps), before its first frame: live runs keep it.
void send_frame_rate(int fps);

#endif  // WAVEFX_WEB_FRAME_PORT_H
