// The ripple and the distortion: their state and the six script functions
// that start, stop and tune them. Called only from the host's thread.
#ifndef WAVEFX_WAVE_EFFECT_H
#define WAVEFX_WAVE_EFFECT_H

#include <cstdint>

namespace wavefx {

// One animated sine wave. Angles are radians; the script gives speed and
// frequency in hundredths of a radian.
struct WaveEffect {
  int32_t active;     // 1 while on; the hook tests for exactly 1
  float speed;        // added to phase after each frame the effect is applied
  float frequency;    // radians of phase per row
  int32_t amplitude;  // largest displacement: rows (ripple) or pixels (distortion)
  float phase;        // radians; never reduced modulo 2 pi
};

// Each effect as the library loads: off, amplitude 15, all else 0.
constexpr WaveEffect kEffectAtLoad = {0, 0.0f, 0.0f, 15, 0.0f};

// Process-wide, static lifetime, initially kEffectAtLoad.
extern WaveEffect ripple;
extern WaveEffect distortion;

// Script functions. Arguments are popped last first; one result is pushed.
void START_RIPPLE();   // (speed, frequency, amplitude) [-3, +1] -> 1
void STOP_RIPPLE();    // ()                            [-0, +1] -> 0
void START_DISTORT();  // (speed, frequency, amplitude) [-3, +1] -> 0
void STOP_DISTORT();   // ()                            [-0, +1] -> 0
void CHANGE_RVAL();    // (value, selector)             [-2, +1] -> 1, or 0 for a bad selector
void CHANGE_DVAL();    // (value, selector)             [-2, +1] -> 1, or 0 for a bad selector

}  // namespace wavefx

#endif  // WAVEFX_WAVE_EFFECT_H
