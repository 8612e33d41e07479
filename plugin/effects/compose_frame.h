#ifndef WAVEFX_COMPOSE_FRAME_H
#define WAVEFX_COMPOSE_FRAME_H

namespace wavefx {

// The frame hook, installed in place of the host's background_to_buffer step
// and called by the host once per frame, on its thread, after kromain.
// Fills the frame buffer from the background, applies the ripple if it is on,
// else the distortion if that is on, and advances the applied effect's phase.
// Reads the screen size and both bitmap pointers once per block of rows, or
// for every row when the frame covers the background or the host's own
// variables; touches nothing outside the wide x height bytes of either
// bitmap.
void compose_frame();

}  // namespace wavefx

#endif  // WAVEFX_COMPOSE_FRAME_H
