// The frame hook against the reference model: the named edge cases, then
// long random sessions, byte for byte.
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "host/host_bindings.h"
#include "support/plugin_test_support.h"
#include "support/random_session.h"

namespace {

using wavefx::distortion;
using wavefx::ripple;

class ComposeFrameTest : public PluginTest {
 protected:
  std::vector<uint8_t> row_of(int32_t source_row) {
    const auto bg = host.background_contents();
    return {bg.begin() + source_row * host.wide, bg.begin() + (source_row + 1) * host.wide};
  }
  std::vector<uint8_t> frame_row(int32_t row) {
    const auto frame = host.frame_contents();
    return {frame.begin() + row * host.wide, frame.begin() + (row + 1) * host.wide};
  }
};

TEST_F(ComposeFrameTest, WithoutAnEffectTheFrameIsTheBackground) {
  host.resize(13, 7);
  paint_background();
  for (int i = 0; i < 3; ++i) {
    host.frame();
    EXPECT_EQ(host.background_contents(), host.frame_contents());
  }
  EXPECT_EQ(0.0f, ripple.phase);
  EXPECT_EQ(0.0f, distortion.phase);
}

TEST_F(ComposeFrameTest, RippleOfAmplitudeZeroCopiesYetAdvancesThePhase) {
  host.resize(9, 11);
  paint_background();
  host.call("START_RIPPLE", {25, 40, 0});
  for (int i = 1; i <= 4; ++i) {
    host.frame();
    EXPECT_EQ(host.background_contents(), host.frame_contents());
  }
  EXPECT_EQ(0.25f + 0.25f + 0.25f + 0.25f, ripple.phase);
}

TEST_F(ComposeFrameTest, DisplacementTruncatesTowardZero) {
  host.resize(3, 4);
  paint_background();
  host.call("START_RIPPLE", {0, 0, 1});
  ripple.phase = static_cast<float>(-M_PI / 6);  // sin = -0.5 to within a rounding
  host.frame();
  EXPECT_EQ(row_of(0), frame_row(0));  // 0 - 0.5 truncates to 0
  EXPECT_EQ(row_of(0), frame_row(1));  // 1 - 0.5 = 0.5 truncates to 0
  EXPECT_EQ(row_of(1), frame_row(2));
}

TEST_F(ComposeFrameTest, RippleBeyondTheEdgesRepeatsTheEdgeRows) {
  host.resize(5, 6);
  paint_background();
  host.call("START_RIPPLE", {0, 0, 1000});
  ripple.phase = static_cast<float>(M_PI / 2);
  host.frame();
  for (int32_t row = 0; row < 6; ++row) EXPECT_EQ(row_of(5), frame_row(row));
  host.call("START_RIPPLE", {0, 0, std::numeric_limits<int32_t>::max()});
  ripple.phase = static_cast<float>(-M_PI / 2);
  host.frame();
  for (int32_t row = 0; row < 6; ++row) EXPECT_EQ(row_of(0), frame_row(row));
}

TEST_F(ComposeFrameTest, HugeDistortionLeavesOneBackgroundPixelVisible) {
  host.resize(6, 2);
  paint_background();
  for (int32_t amplitude : {6, 1000, std::numeric_limits<int32_t>::max()}) {
    host.call("START_DISTORT", {0, 0, amplitude});
    distortion.phase = static_cast<float>(M_PI / 2);
    host.frame();
    const std::vector<uint8_t> right = {0, 0, 0, 0, 0, row_of(0)[0]};
    EXPECT_EQ(right, frame_row(0)) << amplitude;
    distortion.phase = static_cast<float>(-M_PI / 2);
    host.frame();
    const std::vector<uint8_t> left = {row_of(0)[5], 0, 0, 0, 0, 0};
    EXPECT_EQ(left, frame_row(0)) << amplitude;
  }
}

TEST_F(ComposeFrameTest, RippleFreezesTheDistortionUntilItStops) {
  host.resize(8, 8);
  paint_background();
  host.call("START_DISTORT", {10, 30, 3});
  host.frame();
  host.call("START_RIPPLE", {20, 30, 3});
  host.frame();
  host.frame();
  EXPECT_EQ(0.1f, distortion.phase);
  EXPECT_EQ(0.2f + 0.2f, ripple.phase);
  host.call("STOP_RIPPLE", {});
  host.frame();
  EXPECT_EQ(0.1f + 0.1f, distortion.phase);
}

TEST_F(ComposeFrameTest, EmptyScreensCopyNothingButThePhaseStillMoves) {
  for (auto [w, h] : {std::pair{0, 0}, {0, 9}, {9, 0}, {-4, 9}, {9, -4}}) {
    host.resize(w, h);
    host.call("START_RIPPLE", {100, 10, 5});
    host.frame();
    EXPECT_EQ(1.0f, ripple.phase);
    host.call("STOP_RIPPLE", {});
    host.call("START_DISTORT", {100, 10, 5});
    host.frame();
    EXPECT_EQ(1.0f, distortion.phase);
    host.call("STOP_DISTORT", {});
  }
}

TEST_F(ComposeFrameTest, ALineDrawnUnderARippleShowsWhereverItsRowIsTheSource) {
  host.resize(4, 40);
  host.call("FILL", {1});
  host.call("PUT_HLINE", {17, 200});
  host.call("START_RIPPLE", {13, 21, 9});
  std::vector<uint8_t> unused;
  model.call("START_RIPPLE", {13, 21, 9}, unused, 0, 0);
  int line_rows = 0;
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(frame_matches_model(host, model));
    for (int32_t row = 0; row < 40; ++row) line_rows += frame_row(row)[0] == 200;
  }
  EXPECT_GT(line_rows, 0);
}

TEST_F(ComposeFrameTest, LongRunsWithALargePhaseMatchTheModel) {
  host.resize(3, 17);
  paint_background();
  for (auto [name, speed] : {std::pair{"START_RIPPLE", 7}, {"START_DISTORT", 123456789}}) {
    std::vector<uint8_t> unused;
    host.call(name, {speed, 37, 12});
    model.call(name, {speed, 37, 12}, unused, 3, 17);
    for (int i = 0; i < 100000; ++i) ASSERT_TRUE(frame_matches_model(host, model)) << i;
    for (const char *stop : {"STOP_RIPPLE", "STOP_DISTORT"}) {
      host.call(stop, {});
      model.call(stop, {}, unused, 3, 17);
    }
  }
  EXPECT_GT(distortion.phase, 1e11f);
}

TEST_F(ComposeFrameTest, RandomSessionsMatchTheModel) {
  int64_t frames = 0;
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    frames += run_random_session(host, model, seed, 400);
    if (HasFailure()) break;
  }
  EXPECT_GT(frames, 40000);
}

}  // namespace

// A host may hand one bitmap over as both frame and background. Each
// distortion row reads only its own row, so moved with memmove semantics the
// rows come out as they would from two bitmaps; copied as if apart, a small
// shift would reread bytes it had already written.
TEST_F(ComposeFrameTest, ADistortionOnOneBitmapHandedOverAsBothMovesRowsAsIfApart) {
  host.resize(200, 64);
  paint_background();
  host.call("START_DISTORT", {5, 10, 20});
  const wavefx::WaveEffect start = distortion;
  host.frame();
  const std::vector<uint8_t> from_two_bitmaps = host.frame_contents();
  distortion = start;
  host.buffer = host.background;
  host.frame();
  EXPECT_EQ(from_two_bitmaps, host.background_contents());
}

// A host whose width lies among the frame's first bytes: the distortion's first
// row clears them, so the width reads 0 from then on. Rows of no bytes are
// written by nothing, and nothing lands before the frame.
TEST_F(ComposeFrameTest, AWidthClearedByTheFrameItselfStopsTheRowsThere) {
  constexpr int32_t kWidth = 16, kHeight = 200, kGuard = 8;
  host.resize(kWidth, kHeight);
  paint_background();
  std::vector<uint8_t> memory(kGuard + kWidth * kHeight, 0xab);
  uint8_t *frame = memory.data() + kGuard;
  std::memcpy(frame + 4, &kWidth, sizeof kWidth);
  host.buffer = frame;
  wavefx::host.wide = frame + 4;
  host.call("START_DISTORT", {0, 0, 20});
  distortion.phase = 1.5707964f;  // every row shifted right by the widest shift
  host.frame();
  wavefx::host.wide = &host.wide;
  EXPECT_EQ(std::vector<uint8_t>(kGuard, 0xab),
            std::vector<uint8_t>(memory.begin(), memory.begin() + kGuard));
  EXPECT_EQ(std::vector<uint8_t>(kWidth * kHeight - kWidth, 0xab),
            std::vector<uint8_t>(memory.begin() + kGuard + kWidth, memory.end()));
}

// A host may keep its height inside the frame it hands over: writing a row
// can then change the height the next row reads. Each row's source row is
// clamped to the height as read for that row, not as it was when the rows'
// sines were taken.
TEST_F(ComposeFrameTest, ARippleFollowsAHeightThatTheFramesFirstRowChanges) {
  host.resize(4, 8);  // rows of four bytes: frame row 0 holds the height
  paint_background();
  const int32_t shrunk = 4;
  std::memcpy(host.background + 7 * host.wide, &shrunk, sizeof shrunk);
  std::memcpy(host.buffer, &host.height, sizeof host.height);
  wavefx::host.height = host.buffer;
  host.call("START_RIPPLE", {0, 0, 1000});
  ripple.phase = static_cast<float>(M_PI / 2);  // every row reads 1000 rows down
  host.frame();
  wavefx::host.height = &host.height;
  // Row 0 takes the last of 8 rows, which makes the height 4: rows 1 to 3
  // then take row 3, and rows 4 to 7 are past the end.
  EXPECT_EQ(row_of(7), frame_row(0));
  for (int32_t row = 1; row < 4; ++row) EXPECT_EQ(row_of(3), frame_row(row)) << row;
  for (int32_t row = 4; row < 8; ++row) EXPECT_EQ(std::vector<uint8_t>(4, 0), frame_row(row));
}
