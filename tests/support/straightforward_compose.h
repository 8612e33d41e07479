// The frame hook written the plain way: copy the whole screen, then copy
// every row again with one correctly rounded sine per row. Kept in the tests as the
// yardstick the plug-in's fast hook must match byte for byte and beat.
#ifndef WAVEFX_TESTS_STRAIGHTFORWARD_COMPOSE_H
#define WAVEFX_TESTS_STRAIGHTFORWARD_COMPOSE_H

#include <cstdint>

#include "effects/wave_effect.h"

using Sine = double (*)(double);

// Composes one frame of width x height into `frame` from `background` and
// advances the applied effect's phase, as the plug-in's hook does, with
// `sine` correctly rounded: reference_sine in the tests, the plug-in's own
// in the benchmark.
void straightforward_compose(wavefx::WaveEffect &ripple, wavefx::WaveEffect &distortion,
                             int32_t width, int32_t height, uint8_t *frame,
                             const uint8_t *background, Sine sine);

#endif  // WAVEFX_TESTS_STRAIGHTFORWARD_COMPOSE_H
