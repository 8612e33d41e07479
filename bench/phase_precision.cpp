#include "phase_precision.h"

#include <cmath>

PhaseGrowth grow_phase(int32_t speed_cents) {
  PhaseGrowth g;
  g.speed_cents = speed_cents;
  // START_ scaling: integer times 0.01 in double precision, then single.
  g.speed = static_cast<float>(speed_cents * 0.01);
  float phase = 0.0f;
  float last_step = 0.0f;
  for (int64_t frame = 1;; ++frame) {
    const float next = phase + g.speed;
    // Within a factor of two of each other, so the difference is exact.
    const float step = next - phase;
    if (step != last_step) g.changes.push_back({frame, phase, step});
    last_step = step;
    if (step == 0.0f) {
      g.stall_frame = frame;
      g.stall_phase = phase;
      return g;
    }
    const double off = std::fabs(static_cast<double>(step) - g.speed) / std::fabs(g.speed);
    if (off > 0.01 && g.frames_off_1 < 0) g.frames_off_1 = frame;
    if (off > 0.10 && g.frames_off_10 < 0) g.frames_off_10 = frame;
    phase = next;
  }
}
