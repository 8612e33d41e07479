// The --check model's sine comes from the platform's libm, which is not
// correctly rounded; a row whose exact value lies that close to a truncation
// boundary must not fail a plug-in whose sine is right.
#include "kroplay/check/conformance_model.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int32_t kWidth = 160, kHeight = 28, kRow = 27;

// Row kRow of `background` moved left by `shift` pixels, the rest blank.
std::vector<uint8_t> frame_with_row_moved_left(const std::vector<uint8_t> &background, int shift) {
  std::vector<uint8_t> frame(background.size(), 0);
  const size_t row = static_cast<size_t>(kRow) * kWidth;
  for (int32_t x = 0; x + shift < kWidth; ++x) frame[row + x] = background[row + x + shift];
  return frame;
}

// START_DISTORT(0, 2143344255, 677): row 27's angle is about 5.8e8, and
// 677 sin(angle) is -117.9999999998 by glibc, a few hundredths of libm's
// error from -118 (mingw's sin lands as near), so a correct sine may
// truncate to either -118 or -117. Only row 27 of the background has
// pixels, so every other row is blank whatever its shift.
TEST(ConformanceModel, ARowWithinLibmErrorOfABoundaryMayGoEitherWay) {
  std::vector<uint8_t> background(static_cast<size_t>(kWidth) * kHeight);
  for (int32_t x = 0; x < kWidth; ++x) background[kRow * kWidth + x] = static_cast<uint8_t>(x + 1);
  for (int shift : {117, 118, 119}) {
    kroplay::PluginModel model;
    model.call("START_DISTORT", {0, 2143344255, 677}, background, kWidth, kHeight);
    const std::string problem = model.check_frame(
        background, frame_with_row_moved_left(background, shift).data(), kWidth, kHeight);
    EXPECT_EQ(shift == 119, problem.find("frame row 27 ") == 0) << shift << ": " << problem;
  }
}

}  // namespace
