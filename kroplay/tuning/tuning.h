// Live tuning in the preview: which effect and parameter the keys change,
// and the CHANGE_ call a key makes of the integers the script and earlier
// keys gave.
#ifndef KROPLAY_TUNING_H
#define KROPLAY_TUNING_H

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "kroplay/tuning/effect_tracker.h"
#include "kroplay/tuning/preview_keys.h"

namespace kroplay {

// A plug-in call a key asks for: CHANGE_RVAL or CHANGE_DVAL(value, selector).
struct TuningCall {
  std::string name;
  int32_t arguments[2];
};

class Tuning {
 public:
  // The effect the keys change: the one picked with switch_effect() while
  // it is on, else the one applied (the ripple wins); none when neither is.
  std::optional<Effect> effect(const EffectTracker &tracker) const;
  // Picks the other effect; false, picking nothing, unless both are on.
  bool switch_effect(const EffectTracker &tracker);

  Parameter parameter() const { return parameter_; }
  void pick(Parameter parameter) { parameter_ = parameter; }
  void next_parameter();

  // The call that changes the tuned parameter as `step` (kUp .. kHalve)
  // asks: +1, -1, +10, -10, doubled, halved towards zero, kept within the
  // 32-bit range. None when no effect is on.
  std::optional<TuningCall> change(PreviewAction step, const EffectTracker &tracker) const;

  // Acts on a tuning key: picks a parameter, the next one or the other
  // effect, or makes a step's call through `call` (which says whether the
  // plug-in has the function). False when the key did nothing: E while
  // not both effects are on, a step while no effect is on.
  bool act(PreviewAction action, const EffectTracker &tracker,
           const std::function<void(const TuningCall &)> &call);

  // The title's account of the effects: "START_RIPPLE(5, 10, 20), phase
  // 1.25", then " - tuning speed" when `tuning` and an effect is on.
  std::string describe(const EffectTracker &tracker, bool tuning) const;

  // The script line that reproduces the tuned effect (see
  // EffectTracker::reproducing_call); "" when no effect is on.
  std::string reproducing_call(const EffectTracker &tracker) const;

  static const char *name(Parameter parameter);
  // kUp .. kHalve: the keys that change the tuned value.
  static bool is_step(PreviewAction action);

 private:
  Effect picked_ = Effect::kRipple;
  Parameter parameter_ = kSpeed;
};

}  // namespace kroplay

#endif  // KROPLAY_TUNING_H
