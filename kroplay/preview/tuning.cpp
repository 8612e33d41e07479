#include "kroplay/preview/tuning.h"

#include <algorithm>

namespace kroplay {

std::optional<Effect> Tuning::effect(const EffectTracker &tracker) const {
  if (tracker.state(picked_).on) return picked_;
  if (tracker.ripple().on) return Effect::kRipple;
  if (tracker.distortion().on) return Effect::kDistortion;
  return std::nullopt;
}

bool Tuning::switch_effect(const EffectTracker &tracker) {
  if (!tracker.ripple().on || !tracker.distortion().on) return false;
  picked_ = *effect(tracker) == Effect::kRipple ? Effect::kDistortion : Effect::kRipple;
  return true;
}

void Tuning::next_parameter() {
  parameter_ = static_cast<Parameter>((parameter_ + 1) % kParameters);
}

std::optional<TuningCall> Tuning::change(PreviewAction step, const EffectTracker &tracker) const {
  const std::optional<Effect> tuned = effect(tracker);
  if (!tuned) return std::nullopt;
  const int64_t value = tracker.integers(*tuned)[static_cast<size_t>(parameter_)];
  int64_t changed = value;
  switch (step) {
    case PreviewAction::kUp:
      changed = value + 1;
      break;
    case PreviewAction::kDown:
      changed = value - 1;
      break;
    case PreviewAction::kUpTen:
      changed = value + 10;
      break;
    case PreviewAction::kDownTen:
      changed = value - 10;
      break;
    case PreviewAction::kDouble:
      changed = value * 2;
      break;
    case PreviewAction::kHalve:
      changed = value / 2;
      break;
    default:
      return std::nullopt;
  }
  changed = std::clamp<int64_t>(changed, INT32_MIN, INT32_MAX);
  return TuningCall{*tuned == Effect::kRipple ? "CHANGE_RVAL" : "CHANGE_DVAL",
                    {static_cast<int32_t>(changed), static_cast<int32_t>(parameter_)}};
}

const char *Tuning::name(Parameter parameter) {
  static const char *const kNames[kParameters] = {"speed", "frequency", "amplitude"};
  return kNames[parameter];
}

}  // namespace kroplay
