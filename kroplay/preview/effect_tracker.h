// The wave effects' state as the host can know it: the host cannot read the
// plug-in's variables, so it follows the script's calls of the six effect
// functions and the frames composed, doing the same single-precision
// arithmetic the plug-in does. Shown in the preview window's title.
#ifndef KROPLAY_EFFECT_TRACKER_H
#define KROPLAY_EFFECT_TRACKER_H

#include <cstdint>
#include <string>

namespace kroplay {

struct TrackedEffect {
  bool on = false;
  float speed = 0.0f;      // radians per frame
  float frequency = 0.0f;  // radians per row
  int32_t amplitude = 15;  // rows or pixels
  float phase = 0.0f;      // radians
};

class EffectTracker {
 public:
  // A plug-in function the script called, its arguments first to last.
  // Calls of other functions, or with another argument count, are ignored.
  void function_called(const std::string &name, const int32_t *arguments, int count);
  // One frame composed: the ripple's phase moves if it is on, else the
  // distortion's if that is on.
  void frame_composed();

  const TrackedEffect &ripple() const { return ripple_; }
  const TrackedEffect &distortion() const { return distortion_; }

  // "ripple: speed 0.05, frequency 0.10, amplitude 20, phase 1.25", the
  // distortion likewise, or "no effect". The applied effect is described;
  // when both are on the ripple is applied and the distortion waits.
  std::string describe() const;

 private:
  TrackedEffect ripple_;
  TrackedEffect distortion_;
};

}  // namespace kroplay

#endif  // KROPLAY_EFFECT_TRACKER_H
