#include "kroplay/preview/effect_tracker.h"

#include <cstdio>

namespace kroplay {
namespace {

// START_: speed, frequency (hundredths of a radian), amplitude.
void start(TrackedEffect &effect, const int32_t *arguments) {
  effect.speed = static_cast<float>(arguments[0] * 0.01);
  effect.frequency = static_cast<float>(static_cast<float>(arguments[1]) * 0.01);
  effect.amplitude = arguments[2];
  effect.phase = 0.0f;
  effect.on = true;
}

// CHANGE_: value, selector; the factor here is 0.01 in single precision.
void change(TrackedEffect &effect, const int32_t *arguments) {
  const int32_t value = arguments[0];
  const float scaled = static_cast<float>(value * static_cast<double>(0.01f));
  switch (arguments[1]) {
    case 0:
      effect.speed = scaled;
      break;
    case 1:
      effect.frequency = scaled;
      break;
    case 2:
      effect.amplitude = value;
      break;
    default:
      break;
  }
}

std::string describe_one(const char *name, const TrackedEffect &effect) {
  char text[160];
  std::snprintf(text, sizeof text, "%s: speed %.2f, frequency %.2f, amplitude %d, phase %.2f", name,
                static_cast<double>(effect.speed), static_cast<double>(effect.frequency),
                effect.amplitude, static_cast<double>(effect.phase));
  return text;
}

}  // namespace

void EffectTracker::function_called(const std::string &name, const int32_t *arguments, int count) {
  if (name == "START_RIPPLE" && count == 3) {
    start(ripple_, arguments);
  } else if (name == "START_DISTORT" && count == 3) {
    start(distortion_, arguments);
  } else if (name == "STOP_RIPPLE" && count == 0) {
    ripple_.on = false;
  } else if (name == "STOP_DISTORT" && count == 0) {
    distortion_.on = false;
  } else if (name == "CHANGE_RVAL" && count == 2) {
    change(ripple_, arguments);
  } else if (name == "CHANGE_DVAL" && count == 2) {
    change(distortion_, arguments);
  }
}

void EffectTracker::frame_composed() {
  TrackedEffect *applied = ripple_.on ? &ripple_ : distortion_.on ? &distortion_ : nullptr;
  if (applied != nullptr) applied->phase = applied->phase + applied->speed;
}

std::string EffectTracker::describe() const {
  if (ripple_.on)
    return describe_one("ripple", ripple_) + (distortion_.on ? " (distortion waits)" : "");
  if (distortion_.on) return describe_one("distortion", distortion_);
  return "no effect";
}

}  // namespace kroplay
