// The eleven script functions: their stack effects, results, the effect
// state they set and what they draw into the background.
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "support/plugin_test_support.h"
#include "support/random_session.h"

namespace {

using wavefx::distortion;
using wavefx::ripple;

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

using ScriptFunctionsTest = PluginTest;

TEST_F(ScriptFunctionsTest, EveryFunctionPopsItsArgumentsAndLeavesItsResultInTheFirstSlot) {
  host.resize(7, 5);
  for (const Registration &r : host.registrations) {
    const int32_t base = host.sp;
    for (int i = 0; i < r.parameter_count; ++i) host.stack[static_cast<size_t>(++host.sp)] = 1;
    host.stack[static_cast<size_t>(base + 1)] = 1;    // the result slot for n = 0
    host.stack[static_cast<size_t>(base + 2)] = -77;  // must survive a function with n <= 1
    r.function();
    EXPECT_EQ(base + 1, host.sp) << r.name;
    if (r.parameter_count <= 1) {
      EXPECT_EQ(-77, host.stack[static_cast<size_t>(base + 2)]) << r.name;
    }
    host.sp = base;
  }
}

TEST_F(ScriptFunctionsTest, ArgumentsArePoppedLastFirst) {
  host.resize(6, 4);
  // PUT_HLINE(row 2, colour 9): swapped pops would draw row 3 (clamped 9) in colour 2.
  host.call("PUT_HLINE", {2, 9});
  EXPECT_EQ(9, host.background[2 * 6]);
  EXPECT_EQ(0, host.background[3 * 6]);
}

TEST_F(ScriptFunctionsTest, StartRippleScalesCentiradiansAndYieldsOne) {
  EXPECT_EQ(1, host.call("START_RIPPLE", {5, 10, 20}));
  EXPECT_EQ(1, ripple.active);
  EXPECT_EQ(0.05f, ripple.speed);
  EXPECT_EQ(0.1f, ripple.frequency);
  EXPECT_EQ(20, ripple.amplitude);
  EXPECT_EQ(0.0f, ripple.phase);
}

TEST_F(ScriptFunctionsTest, StartDistortSetsTheSameStateButYieldsZero) {
  EXPECT_EQ(0, host.call("START_DISTORT", {5, 10, 20}));
  EXPECT_EQ(1, distortion.active);
  EXPECT_EQ(0.05f, distortion.speed);
  EXPECT_EQ(0.1f, distortion.frequency);
  EXPECT_EQ(20, distortion.amplitude);
  EXPECT_EQ(0, ripple.active);
}

TEST_F(ScriptFunctionsTest, StartAtTheIntegerExtremesGivesTheModelsStateAndFrames) {
  // 16777217 is not a float: the frequency is rounded through single
  // precision before scaling, the speed is not. Rows up to 40 reach past
  // one turn of every such frequency.
  host.resize(3, 40);
  paint_background();
  const std::vector<std::vector<int32_t>> starts = {
      {16777217, 16777217, kMin}, {kMax, kMin, kMax}, {kMin, kMax, 7}, {-16777217, 33554431, -3}};
  for (const char *function : {"START_RIPPLE", "START_DISTORT"}) {
    for (const std::vector<int32_t> &arguments : starts) {
      SCOPED_TRACE(testing::Message() << function << " " << arguments[0] << ", " << arguments[1]);
      std::vector<uint8_t> background = host.background_contents();
      EXPECT_EQ(model.call(function, arguments, background, host.wide, host.height),
                host.call(function, arguments));
      const ModelEffect &expected = function[6] == 'R' ? model.ripple : model.distortion;
      const wavefx::WaveEffect &actual = function[6] == 'R' ? ripple : distortion;
      EXPECT_EQ(expected.speed, actual.speed);
      EXPECT_EQ(expected.frequency, actual.frequency);
      EXPECT_EQ(expected.amplitude, actual.amplitude);
      for (int frame = 0; frame < 3; ++frame) ASSERT_TRUE(frame_matches_model(host, model));
    }
  }
}

TEST_F(ScriptFunctionsTest, StartRestartsThePhase) {
  host.resize(2, 2);
  host.call("START_RIPPLE", {50, 0, 1});
  host.frame();
  host.frame();
  EXPECT_EQ(1.0f, ripple.phase);
  host.call("START_RIPPLE", {50, 0, 1});
  EXPECT_EQ(0.0f, ripple.phase);
}

TEST_F(ScriptFunctionsTest, StopSwitchesOffAndKeepsEverythingElse) {
  host.resize(2, 2);
  host.call("START_DISTORT", {7, 8, 9});
  host.frame();
  const wavefx::WaveEffect running = distortion;
  EXPECT_EQ(0, host.call("STOP_DISTORT", {}));
  EXPECT_EQ(0, distortion.active);
  EXPECT_EQ(running.speed, distortion.speed);
  EXPECT_EQ(running.phase, distortion.phase);
  EXPECT_EQ(running.amplitude, distortion.amplitude);
  host.call("START_RIPPLE", {1, 2, 3});
  EXPECT_EQ(0, host.call("STOP_RIPPLE", {}));
  EXPECT_EQ(0, ripple.active);
  EXPECT_EQ(3, ripple.amplitude);
}

TEST_F(ScriptFunctionsTest, ChangeSelectsSpeedFrequencyOrAmplitude) {
  host.call("START_RIPPLE", {5, 10, 20});
  EXPECT_EQ(1, host.call("CHANGE_RVAL", {300, 1}));
  EXPECT_EQ(3.0f, ripple.frequency);
  EXPECT_EQ(1, host.call("CHANGE_RVAL", {-7, 0}));
  EXPECT_EQ(static_cast<float>(-7 * 0.0099999997764825821), ripple.speed);
  EXPECT_EQ(1, host.call("CHANGE_RVAL", {kMin, 2}));
  EXPECT_EQ(kMin, ripple.amplitude);
  EXPECT_EQ(1, host.call("CHANGE_DVAL", {kMax, 0}));
  EXPECT_EQ(static_cast<float>(kMax * 0.0099999997764825821), distortion.speed);
  EXPECT_EQ(15, distortion.amplitude);
}

TEST_F(ScriptFunctionsTest, ChangeWithABadSelectorChangesNothingAndYieldsZero) {
  host.call("START_RIPPLE", {5, 10, 20});
  const wavefx::WaveEffect before = ripple;
  for (int32_t selector : {3, -1, kMin, kMax}) {
    EXPECT_EQ(0, host.call("CHANGE_RVAL", {300, selector}));
    EXPECT_EQ(0, host.call("CHANGE_DVAL", {300, selector}));
  }
  EXPECT_EQ(0, std::memcmp(&before, &ripple, sizeof before));
  EXPECT_EQ(0.0f, distortion.speed);
  EXPECT_EQ(0.0f, distortion.frequency);
  EXPECT_EQ(15, distortion.amplitude);
}

TEST_F(ScriptFunctionsTest, ChangeNeverTouchesActiveOrPhase) {
  host.resize(1, 1);
  host.call("START_RIPPLE", {100, 0, 0});
  host.frame();
  host.call("STOP_RIPPLE", {});
  for (int32_t selector : {0, 1, 2}) host.call("CHANGE_RVAL", {42, selector});
  EXPECT_EQ(0, ripple.active);
  EXPECT_EQ(1.0f, ripple.phase);
}

TEST_F(ScriptFunctionsTest, FillClampsTheColourAndDrawsOnlyIntoTheBackground) {
  host.resize(5, 3);
  std::fill(host.buffer, host.buffer + 15, uint8_t{7});
  EXPECT_EQ(0, host.call("FILL", {300}));
  EXPECT_EQ(std::vector<uint8_t>(15, 255), host.background_contents());
  EXPECT_EQ(std::vector<uint8_t>(15, 7), host.frame_contents());
  host.call("FILL", {-5});
  EXPECT_EQ(std::vector<uint8_t>(15, 0), host.background_contents());
  host.call("FILL", {kMin});
  EXPECT_EQ(std::vector<uint8_t>(15, 0), host.background_contents());
  host.frame();
  EXPECT_EQ(std::vector<uint8_t>(15, 0), host.frame_contents());
}

TEST_F(ScriptFunctionsTest, LinesOffEitherEdgeDrawTheNearestEdgeLine) {
  host.resize(4, 3);
  std::vector<uint8_t> expected(12, 0);
  host.call("FILL", {0});
  EXPECT_EQ(0, host.call("PUT_HLINE", {-10, 1}));
  std::fill(expected.begin(), expected.begin() + 4, uint8_t{1});
  EXPECT_EQ(expected, host.background_contents());
  host.call("PUT_HLINE", {3 + 50, 2});
  std::fill(expected.begin() + 8, expected.end(), uint8_t{2});
  EXPECT_EQ(expected, host.background_contents());
  EXPECT_EQ(0, host.call("PUT_VLINE", {4, 1000}));
  for (int row = 0; row < 3; ++row) expected[static_cast<size_t>(row * 4 + 3)] = 255;
  EXPECT_EQ(expected, host.background_contents());
  host.call("PUT_VLINE", {kMin, kMax});
  for (int row = 0; row < 3; ++row) expected[static_cast<size_t>(row * 4)] = 255;
  EXPECT_EQ(expected, host.background_contents());
  host.call("PUT_HLINE", {kMax, -1});
  std::fill(expected.begin() + 8, expected.end(), uint8_t{0});
  EXPECT_EQ(expected, host.background_contents());
}

TEST_F(ScriptFunctionsTest, SizeQueriesFollowTheHost) {
  host.resize(320, 200);
  EXPECT_EQ(320, host.call("HOW_WIDE", {}));
  EXPECT_EQ(200, host.call("HOW_HIGH", {}));
  host.resize(1, 4000);
  EXPECT_EQ(1, host.call("HOW_WIDE", {}));
  EXPECT_EQ(4000, host.call("HOW_HIGH", {}));
  host.resize(-3, 0);
  EXPECT_EQ(-3, host.call("HOW_WIDE", {}));
  EXPECT_EQ(0, host.call("HOW_HIGH", {}));
}

// An empty screen's bitmaps are pointed at sentinel blocks here, so a write
// shows in every build, not only under AddressSanitizer. Results and stack
// effects stay as on any screen.
TEST_F(ScriptFunctionsTest, EmptyScreensDrawNothing) {
  const std::pair<int32_t, int32_t> sizes[] = {{0, 0},  {0, 5},  {5, 0},
                                               {-1, 5}, {5, -1}, {kMin, kMin}};
  for (auto [w, h] : sizes) {
    host.resize(w, h);
    std::vector<uint8_t> buffer(4096, 0xa5), background(4096, 0x5a);
    host.buffer = buffer.data();
    host.background = background.data();
    EXPECT_EQ(0, host.call("FILL", {3}));
    EXPECT_EQ(0, host.call("PUT_HLINE", {0, 3}));
    EXPECT_EQ(0, host.call("PUT_VLINE", {0, 3}));
    EXPECT_EQ(0, host.call("PUT_VLINE", {kMax, 3}));
    EXPECT_EQ(std::vector<uint8_t>(4096, 0xa5), buffer) << w << "x" << h;
    EXPECT_EQ(std::vector<uint8_t>(4096, 0x5a), background) << w << "x" << h;
  }
}

}  // namespace
