#include "kroplay/tuning/wave_effects.h"

namespace kroplay {
namespace {

// START_: speed, frequency (hundredths of a radian), amplitude. The
// frequency passes through single precision before it is scaled.
void start(WaveEffect &effect, const int32_t *arguments) {
  effect.speed = static_cast<float>(arguments[0] * 0.01);
  effect.frequency = static_cast<float>(static_cast<float>(arguments[1]) * 0.01);
  effect.amplitude = arguments[2];
  effect.phase = 0.0f;
  effect.on = true;
}

// CHANGE_: value, selector; this 0.01 is a single-precision constant.
int32_t change(WaveEffect &effect, const int32_t *arguments) {
  const int32_t value = arguments[0];
  const float scaled = static_cast<float>(static_cast<double>(value) * static_cast<double>(0.01f));
  switch (arguments[1]) {
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

bool WaveEffects::apply(const std::string &name, const int32_t *arguments, int count,
                        int32_t &result) {
  if (name == "START_RIPPLE" && count == 3) {
    start(ripple, arguments);
    result = 1;
  } else if (name == "START_DISTORT" && count == 3) {
    start(distortion, arguments);
    result = 0;
  } else if (name == "STOP_RIPPLE" && count == 0) {
    ripple.on = false;
    result = 0;
  } else if (name == "STOP_DISTORT" && count == 0) {
    distortion.on = false;
    result = 0;
  } else if (name == "CHANGE_RVAL" && count == 2) {
    result = change(ripple, arguments);
  } else if (name == "CHANGE_DVAL" && count == 2) {
    result = change(distortion, arguments);
  } else {
    return false;
  }
  return true;
}

void WaveEffects::frame_composed() {
  WaveEffect *moving = ripple.on ? &ripple : distortion.on ? &distortion : nullptr;
  if (moving != nullptr) moving->phase = moving->phase + moving->speed;
}

const WaveEffect *WaveEffects::applied() const {
  return ripple.on ? &ripple : distortion.on ? &distortion : nullptr;
}

}  // namespace kroplay
