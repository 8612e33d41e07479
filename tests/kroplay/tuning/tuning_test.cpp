// The tuning keys as the preview window and the page both act on them:
// which plug-in call a step makes, when a key does nothing, and what the
// title says is tuned.
#include "kroplay/tuning/tuning.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using kroplay::EffectTracker;
using kroplay::PreviewAction;
using kroplay::Tuning;
using kroplay::TuningCall;

void start(EffectTracker &tracker, const char *name) {
  const int32_t arguments[] = {5, 10, 20};
  tracker.function_called(name, arguments, 3);
}

// The calls acting on `keys` makes, as "NAME(value, selector)".
std::vector<std::string> calls_of(Tuning &tuning, const EffectTracker &tracker,
                                  const std::vector<PreviewAction> &keys) {
  std::vector<std::string> calls;
  for (const PreviewAction key : keys)
    tuning.act(key, tracker, [&](const TuningCall &call) {
      calls.push_back(call.name + "(" + std::to_string(call.arguments[0]) + ", " +
                      std::to_string(call.arguments[1]) + ")");
    });
  return calls;
}

TEST(Tuning, AStepChangesThePickedParameterOfTheEffectOnScreen) {
  EffectTracker tracker;
  start(tracker, "START_DISTORT");
  Tuning tuning;
  EXPECT_EQ(calls_of(tuning, tracker,
                     {PreviewAction::kPickFrequency, PreviewAction::kUpTen,
                      PreviewAction::kNextParameter, PreviewAction::kDouble}),
            (std::vector<std::string>{"CHANGE_DVAL(20, 1)", "CHANGE_DVAL(40, 2)"}));
}

TEST(Tuning, KeysThatCannotActSayNoAndCallNothing) {
  EffectTracker tracker;
  Tuning tuning;
  const auto no_call = [](const TuningCall &) { FAIL() << "called"; };
  EXPECT_FALSE(tuning.act(PreviewAction::kUp, tracker, no_call));  // no effect on
  start(tracker, "START_RIPPLE");
  EXPECT_FALSE(tuning.act(PreviewAction::kSwitchEffect, tracker, no_call));  // one effect on
  start(tracker, "START_DISTORT");
  EXPECT_TRUE(tuning.act(PreviewAction::kSwitchEffect, tracker, no_call));
  EXPECT_EQ(tuning.reproducing_call(tracker),
            tracker.reproducing_call(kroplay::Effect::kDistortion));
}

TEST(Tuning, TheTitleNamesTheTunedParameterOnlyWhileTuningAnEffect) {
  EffectTracker tracker;
  Tuning tuning;
  EXPECT_EQ(tuning.describe(tracker, true), tracker.describe(kroplay::Effect::kRipple));
  start(tracker, "START_RIPPLE");
  tuning.pick(kroplay::kAmplitude);
  const std::string effect = tracker.describe(kroplay::Effect::kRipple);
  EXPECT_EQ(tuning.describe(tracker, true), effect + " - tuning amplitude");
  EXPECT_EQ(tuning.describe(tracker, false), effect);
}

}  // namespace
