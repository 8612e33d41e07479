// The wave effects' state as the host follows it (the effect-state model),
// described for the preview window's title.
#ifndef KROPLAY_EFFECT_TRACKER_H
#define KROPLAY_EFFECT_TRACKER_H

#include <cstdint>
#include <string>

#include "kroplay/host/effect_state.h"

namespace kroplay {

class EffectTracker {
 public:
  // A plug-in function the script called, its arguments first to last.
  // Calls of other functions, or with another argument count, are ignored.
  void function_called(const std::string &name, const int32_t *arguments, int count);
  // One frame composed: the ripple's phase moves if it is on, else the
  // distortion's if that is on.
  void frame_composed();

  const EffectState &ripple() const { return effects_.ripple; }
  const EffectState &distortion() const { return effects_.distortion; }

  // "ripple: speed 0.05, frequency 0.10, amplitude 20, phase 1.25", the
  // distortion likewise, or "no effect". The applied effect is described;
  // when both are on the ripple is applied and the distortion waits.
  std::string describe() const;

 private:
  EffectStates effects_;
};

}  // namespace kroplay

#endif  // KROPLAY_EFFECT_TRACKER_H
