// The wave effects' state as the host follows it (the effect-state model),
// with the script's own integers, described for the preview window's title
// as the call that reproduces it.
#ifndef KROPLAY_EFFECT_TRACKER_H
#define KROPLAY_EFFECT_TRACKER_H

#include <array>
#include <cstdint>
#include <string>

#include "kroplay/tuning/wave_effects.h"

namespace kroplay {

enum class Effect { kRipple, kDistortion };

// The three parameters by their CHANGE_ selector.
enum Parameter { kSpeed = 0, kFrequency = 1, kAmplitude = 2, kParameters = 3 };

class EffectTracker {
 public:
  // A plug-in function the script called, its arguments first to last.
  // Calls of other functions, or with another argument count, are ignored.
  void function_called(const std::string &name, const int32_t *arguments, int count);
  // One frame composed: the ripple's phase moves if it is on, else the
  // distortion's if that is on.
  void frame_composed();

  const WaveEffect &ripple() const { return effects_.ripple; }
  const WaveEffect &distortion() const { return effects_.distortion; }
  const WaveEffect &state(Effect effect) const;

  // The integers the last START_ or CHANGE_ calls gave each parameter, by
  // selector (speed and frequency in hundredths of a radian).
  const std::array<int32_t, kParameters> &integers(Effect effect) const;

  // The script line that sets `effect`'s parameters to exactly what they are
  // now: "START_RIPPLE(5, 10, 20)". A CHANGE_ call scales by a
  // single-precision 0.01 and START_ by a double one, so a speed or
  // frequency set by CHANGE_ that START_ would set a bit differently is set
  // again by the CHANGE_ call: "START_RIPPLE(5, 12, 20) CHANGE_RVAL(12, 1)".
  // START_ restarts the phase: the line reproduces the parameters, not it.
  std::string reproducing_call(Effect effect) const;

  // "START_RIPPLE(5, 10, 20), phase 1.25" for `effect`, followed by
  // " (distortion waits)" or " (waits for the ripple)" when both are on;
  // "no effect" when neither is.
  std::string describe(Effect effect) const;

 private:
  WaveEffects effects_;
  std::array<int32_t, kParameters> ripple_integers_ = initial_integers();
  std::array<int32_t, kParameters> distortion_integers_ = initial_integers();

  static std::array<int32_t, kParameters> initial_integers();
};

}  // namespace kroplay

#endif  // KROPLAY_EFFECT_TRACKER_H
