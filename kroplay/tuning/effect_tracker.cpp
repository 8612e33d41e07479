#include "kroplay/tuning/effect_tracker.h"

#include <cstdio>
#include <cstring>

namespace kroplay {
namespace {

const char *start_name(Effect effect) {
  return effect == Effect::kRipple ? "START_RIPPLE" : "START_DISTORT";
}

const char *change_name(Effect effect) {
  return effect == Effect::kRipple ? "CHANGE_RVAL" : "CHANGE_DVAL";
}

bool same_bits(float a, float b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

std::array<int32_t, kParameters> EffectTracker::initial_integers() {
  // Before any call the plug-in's speed and frequency are 0.
  return {0, 0, WaveEffect{}.amplitude};
}

void EffectTracker::function_called(const std::string &name, const int32_t *arguments, int count) {
  int32_t result = 0;
  if (!effects_.apply(name, arguments, count, result)) return;
  const bool ripple = name == "START_RIPPLE" || name == "CHANGE_RVAL";
  std::array<int32_t, kParameters> &integers = ripple ? ripple_integers_ : distortion_integers_;
  if (name.compare(0, 6, "START_") == 0) {
    for (int i = 0; i < kParameters; ++i) integers[static_cast<size_t>(i)] = arguments[i];
  } else if (name.compare(0, 7, "CHANGE_") == 0 && arguments[1] >= 0 &&
             arguments[1] < kParameters) {
    integers[static_cast<size_t>(arguments[1])] = arguments[0];
  }
}

void EffectTracker::frame_composed() {
  effects_.frame_composed();
}

const WaveEffect &EffectTracker::state(Effect effect) const {
  return effect == Effect::kRipple ? effects_.ripple : effects_.distortion;
}

const std::array<int32_t, kParameters> &EffectTracker::integers(Effect effect) const {
  return effect == Effect::kRipple ? ripple_integers_ : distortion_integers_;
}

std::string EffectTracker::reproducing_call(Effect effect) const {
  const std::array<int32_t, kParameters> &values = integers(effect);
  std::string line = std::string(start_name(effect)) + "(" + std::to_string(values[kSpeed]) + ", " +
                     std::to_string(values[kFrequency]) + ", " +
                     std::to_string(values[kAmplitude]) + ")";
  // What the START_ call alone would set, worked out by the model itself.
  WaveEffects started;
  int32_t result = 0;
  started.apply(start_name(effect), values.data(), kParameters, result);
  const WaveEffect &now = state(effect);
  const WaveEffect &then = effect == Effect::kRipple ? started.ripple : started.distortion;
  if (!same_bits(then.speed, now.speed))
    line += std::string(" ") + change_name(effect) + "(" + std::to_string(values[kSpeed]) + ", 0)";
  if (!same_bits(then.frequency, now.frequency))
    line +=
        std::string(" ") + change_name(effect) + "(" + std::to_string(values[kFrequency]) + ", 1)";
  return line;
}

std::string EffectTracker::describe(Effect effect) const {
  if (!effects_.ripple.on && !effects_.distortion.on) return "no effect";
  char phase[48];
  std::snprintf(phase, sizeof phase, ", phase %.2f", static_cast<double>(state(effect).phase));
  std::string text = reproducing_call(effect) + phase;
  if (effects_.ripple.on && effects_.distortion.on)
    text += effect == Effect::kRipple ? " (distortion waits)" : " (waits for the ripple)";
  return text;
}

}  // namespace kroplay
