// The host-side effect state against the reference model of the plug-in:
// random call and frame sequences must leave both in exactly the same state.
#include "kroplay/tuning/effect_tracker.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>

#include "support/reference_model.h"

namespace {

using kroplay::EffectTracker;
using kroplay::WaveEffect;

bool same_bits(float a, float b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void expect_same(const WaveEffect &tracked, const ModelEffect &model, const char *which, int step) {
  SCOPED_TRACE(std::string(which) + " after step " + std::to_string(step));
  EXPECT_EQ(tracked.on, model.on);
  EXPECT_TRUE(same_bits(tracked.speed, model.speed)) << tracked.speed << " vs " << model.speed;
  EXPECT_TRUE(same_bits(tracked.frequency, model.frequency));
  EXPECT_EQ(tracked.amplitude, model.amplitude);
  EXPECT_TRUE(same_bits(tracked.phase, model.phase)) << tracked.phase << " vs " << model.phase;
}

TEST(EffectTracker, FollowsRandomSessionsExactlyAsThePlugInWould) {
  struct Call {
    const char *name;
    int count;
  };
  const Call calls[] = {{"START_RIPPLE", 3}, {"STOP_RIPPLE", 0}, {"START_DISTORT", 3},
                        {"STOP_DISTORT", 0}, {"CHANGE_RVAL", 2}, {"CHANGE_DVAL", 2},
                        {"FILL", 1},         {"HOW_WIDE", 0}};
  std::mt19937 random(20261207);
  std::uniform_int_distribution<int32_t> value(-700, 700);
  const int32_t w = 4, h = 3;
  for (int session = 0; session < 20; ++session) {
    EffectTracker tracker;
    ReferenceModel model;
    std::vector<uint8_t> background(w * h, 0), frame(w * h, 0);
    for (int step = 0; step < 400; ++step) {
      if (random() % 3 == 0) {
        tracker.frame_composed();
        model.compose(background, frame, w, h);
      } else {
        const Call &call = calls[random() % (sizeof calls / sizeof calls[0])];
        std::vector<int32_t> arguments;
        for (int i = 0; i < call.count; ++i) arguments.push_back(value(random));
        if (call.count == 2) arguments[1] = static_cast<int32_t>(random() % 5) - 1;  // selector
        if (std::string(call.name) == "FILL") arguments[0] &= 255;
        tracker.function_called(call.name, arguments.data(), call.count);
        model.call(call.name, arguments, background, w, h);
      }
      expect_same(tracker.ripple(), model.ripple, "ripple", step);
      expect_same(tracker.distortion(), model.distortion, "distortion", step);
      if (testing::Test::HasFailure()) return;
    }
  }
}

TEST(EffectTracker, DescribesTheTunedEffectAsTheCallThatReproducesIt) {
  using kroplay::Effect;
  EffectTracker tracker;
  EXPECT_EQ(tracker.describe(Effect::kRipple), "no effect");
  const int32_t start[] = {5, 10, 20};
  tracker.function_called("START_DISTORT", start, 3);
  for (int i = 0; i < 3; ++i) tracker.frame_composed();
  EXPECT_EQ(tracker.describe(Effect::kDistortion), "START_DISTORT(5, 10, 20), phase 0.15");
  const int32_t ripple[] = {-30, 250, 7};
  tracker.function_called("START_RIPPLE", ripple, 3);
  tracker.frame_composed();
  EXPECT_EQ(tracker.describe(Effect::kRipple),
            "START_RIPPLE(-30, 250, 7), phase -0.30 (distortion waits)");
  EXPECT_EQ(tracker.describe(Effect::kDistortion),
            "START_DISTORT(5, 10, 20), phase 0.15 (waits for the ripple)");
  // CHANGE_ scales 12 as START_ does, 10 not: that one is set again.
  const int32_t changes[][2] = {{12, 1}, {9, 2}, {10, 0}, {99, 3}};
  for (const auto &change : changes) tracker.function_called("CHANGE_RVAL", change, 2);
  EXPECT_EQ(tracker.reproducing_call(Effect::kRipple),
            "START_RIPPLE(10, 12, 9) CHANGE_RVAL(10, 0)");
  tracker.function_called("STOP_RIPPLE", nullptr, 0);
  tracker.frame_composed();
  EXPECT_EQ(tracker.describe(Effect::kDistortion), "START_DISTORT(5, 10, 20), phase 0.20");
  // A call with the wrong argument count is not one the plug-in would run.
  tracker.function_called("STOP_DISTORT", start, 1);
  EXPECT_TRUE(tracker.distortion().on);
}

// The calls of a reproducing line, run on a fresh tracker.
EffectTracker replay(const std::string &line) {
  EffectTracker tracker;
  char name[16];
  int32_t a[3];
  int used = 0;
  for (const char *at = line.c_str(); *at != '\0'; at += used) {
    if (std::sscanf(at, " %15[A-Z_](%d, %d, %d)%n", name, &a[0], &a[1], &a[2], &used) == 4) {
      tracker.function_called(name, a, 3);
    } else if (std::sscanf(at, " %15[A-Z_](%d, %d)%n", name, &a[0], &a[1], &used) == 3) {
      tracker.function_called(name, a, 2);
    } else {
      ADD_FAILURE() << "cannot read '" << at << "' in " << line;
      break;
    }
  }
  return tracker;
}

TEST(EffectTracker, TheReproducingCallSetsExactlyTheParametersOfRandomSessions) {
  using kroplay::Effect;
  std::mt19937 random(7);
  std::uniform_int_distribution<int32_t> value(-700, 700);
  for (int session = 0; session < 200; ++session) {
    EffectTracker tracker;
    const int32_t start[] = {value(random), value(random), value(random)};
    tracker.function_called(session % 2 ? "START_RIPPLE" : "START_DISTORT", start, 3);
    for (int step = 0; step < 4; ++step) {
      const int32_t change[] = {value(random), static_cast<int32_t>(random() % 3)};
      tracker.function_called(session % 2 ? "CHANGE_RVAL" : "CHANGE_DVAL", change, 2);
    }
    const Effect effect = session % 2 ? Effect::kRipple : Effect::kDistortion;
    const std::string line = tracker.reproducing_call(effect);
    SCOPED_TRACE(line);
    const EffectTracker replayed = replay(line);
    const WaveEffect &want = tracker.state(effect), &got = replayed.state(effect);
    EXPECT_TRUE(same_bits(got.speed, want.speed));
    EXPECT_TRUE(same_bits(got.frequency, want.frequency));
    EXPECT_EQ(got.amplitude, want.amplitude);
    if (testing::Test::HasFailure()) return;
  }
}

}  // namespace
