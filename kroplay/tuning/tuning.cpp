#include "kroplay/tuning/tuning.h"

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

bool Tuning::act(PreviewAction action, const EffectTracker &tracker,
                 const std::function<void(const TuningCall &)> &call) {
  switch (action) {
    case PreviewAction::kPickSpeed:
      pick(kSpeed);
      return true;
    case PreviewAction::kPickFrequency:
      pick(kFrequency);
      return true;
    case PreviewAction::kPickAmplitude:
      pick(kAmplitude);
      return true;
    case PreviewAction::kNextParameter:
      next_parameter();
      return true;
    case PreviewAction::kSwitchEffect:
      return switch_effect(tracker);
    default:
      if (const std::optional<TuningCall> step = change(action, tracker)) {
        call(*step);
        return true;
      }
      return false;
  }
}

std::string Tuning::describe(const EffectTracker &tracker, bool tuning) const {
  const std::optional<Effect> tuned = effect(tracker);
  std::string text = tracker.describe(tuned.value_or(Effect::kRipple));
  if (tuned && tuning) text += std::string(" - tuning ") + name(parameter_);
  return text;
}

std::string Tuning::reproducing_call(const EffectTracker &tracker) const {
  const std::optional<Effect> tuned = effect(tracker);
  return tuned ? tracker.reproducing_call(*tuned) : std::string();
}

bool Tuning::is_step(PreviewAction action) {
  switch (action) {
    case PreviewAction::kUp:
    case PreviewAction::kDown:
    case PreviewAction::kUpTen:
    case PreviewAction::kDownTen:
    case PreviewAction::kDouble:
    case PreviewAction::kHalve:
      return true;
    default:
      return false;
  }
}

const char *Tuning::name(Parameter parameter) {
  static const char *const kNames[kParameters] = {"speed", "frequency", "amplitude"};
  return kNames[parameter];
}

}  // namespace kroplay
