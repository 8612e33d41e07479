#include "wave_effect.h"

#include "../host/host_bindings.h"

namespace wavefx {

WaveEffect ripple = kEffectAtLoad;
WaveEffect distortion = kEffectAtLoad;

namespace {

// Pops (speed, frequency, amplitude), restarts the phase and switches on.
// The two scalings differ on purpose: frequency goes through single precision
// before the multiplication, speed does not. Scripts rely on the exact values.
void start(WaveEffect &effect) {
  effect.amplitude = pop_argument();
  effect.frequency = static_cast<float>(static_cast<float>(pop_argument()) * 0.01);
  effect.speed = static_cast<float>(pop_argument() * 0.01);
  effect.phase = 0.0f;
  effect.active = 1;
}

// Pops (value, selector). Selector 0 sets speed, 1 frequency, 2 amplitude;
// any other changes nothing. Returns the script result: 1 or 0.
int32_t change(WaveEffect &effect) {
  const int32_t selector = pop_argument();
  const int32_t value = pop_argument();
  // The centiradian factor is the single-precision 0.01 (0.0099999998).
  const float centiradian = 0.01f;
  const float scaled = static_cast<float>(value * static_cast<double>(centiradian));
  switch (selector) {
    case 0:
      effect.speed = scaled;
      return 1;
    case 1:
      effect.frequency = scaled;
      return 1;
    case 2:
      effect.amplitude = value;
      return 1;
    default:
      return 0;
  }
}

}  // namespace

void START_RIPPLE() {
  start(ripple);
  push_result(1);
}

void STOP_RIPPLE() {
  ripple.active = 0;
  push_result(0);
}

// Yields 0, unlike START_RIPPLE: existing scripts test these results.
void START_DISTORT() {
  start(distortion);
  push_result(0);
}

void STOP_DISTORT() {
  distortion.active = 0;
  push_result(0);
}

void CHANGE_RVAL() {
  push_result(change(ripple));
}

void CHANGE_DVAL() {
  push_result(change(distortion));
}

}  // namespace wavefx
