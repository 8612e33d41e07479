// The turns that carry a frame's row sines from row to row: cos and sin of a
// wave's frequency f and of a multiple of it. Each is a correctly rounded
// sine, and a wave's frequency changes only when a script tunes it, so the
// last frequency's turns are kept and reused from frame to frame.
// Host's thread only (the frame hook's), like the effects' state.
#ifndef WAVEFX_STEP_ROTATION_H
#define WAVEFX_STEP_ROTATION_H

namespace wavefx {

struct StepRotation {
  double cos_one;   // cosine(f)
  double sin_one;   // sine(f)
  double cos_many;  // cosine(times * f), times * f exact
  double sin_many;  // sine(times * f)
};

// `times` is at most 2^29, so that times * f is exact in double precision.
StepRotation step_rotation(float frequency, int times);

}  // namespace wavefx

#endif  // WAVEFX_STEP_ROTATION_H
