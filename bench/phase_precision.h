// How a wave's single-precision phase behaves as it grows: it is never
// reduced modulo 2 pi, so as it grows its spacing (one ulp) becomes
// comparable to the speed added each frame, each step is rounded to a whole
// number of ulps, and finally the speed is at most half an ulp and the phase
// stops moving.
#ifndef WAVEFX_BENCH_PHASE_PRECISION_H
#define WAVEFX_BENCH_PHASE_PRECISION_H

#include <cstdint>
#include <vector>

// From `frame` on (phase `phase`), each frame moves the phase by `step`.
struct PhaseStep {
  int64_t frame;
  float phase;
  float step;
};

struct PhaseGrowth {
  int32_t speed_cents;             // the script's speed, hundredths of a radian per frame
  float speed;                     // as START_ stores it
  int64_t frames_off_1 = -1;       // first frame whose step differs from speed by > 1 %
  int64_t frames_off_10 = -1;      // ... by > 10 %
  int64_t stall_frame = 0;         // first frame that leaves the phase where it was
  float stall_phase = 0.0f;        // the phase it stays at
  std::vector<PhaseStep> changes;  // every change of the per-frame step
};

// Replays phase = phase + speed in single precision from 0, as the frame
// hook does, until the phase stops moving.
PhaseGrowth grow_phase(int32_t speed_cents);

#endif  // WAVEFX_BENCH_PHASE_PRECISION_H
