#include "kroplay/preview/effect_tracker.h"

#include <cstdio>

namespace kroplay {
namespace {

std::string describe_one(const char *name, const EffectState &effect) {
  char text[160];
  std::snprintf(text, sizeof text, "%s: speed %.2f, frequency %.2f, amplitude %d, phase %.2f", name,
                static_cast<double>(effect.speed), static_cast<double>(effect.frequency),
                effect.amplitude, static_cast<double>(effect.phase));
  return text;
}

}  // namespace

void EffectTracker::function_called(const std::string &name, const int32_t *arguments, int count) {
  int32_t result = 0;
  effects_.apply(name, arguments, count, result);
}

void EffectTracker::frame_composed() {
  effects_.frame_composed();
}

std::string EffectTracker::describe() const {
  if (effects_.ripple.on)
    return describe_one("ripple", effects_.ripple) +
           (effects_.distortion.on ? " (distortion waits)" : "");
  if (effects_.distortion.on) return describe_one("distortion", effects_.distortion);
  return "no effect";
}

}  // namespace kroplay
