// Live tuning in the preview: which effect and parameter the keys change,
// and the CHANGE_ call a key makes of the integers the script and earlier
// keys gave.
#ifndef KROPLAY_TUNING_H
#define KROPLAY_TUNING_H

#include <cstdint>
#include <optional>
#include <string>

#include "kroplay/preview/effect_tracker.h"
#include "kroplay/preview/preview_display.h"

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

  static const char *name(Parameter parameter);

 private:
  Effect picked_ = Effect::kRipple;
  Parameter parameter_ = kSpeed;
};

}  // namespace kroplay

#endif  // KROPLAY_TUNING_H
