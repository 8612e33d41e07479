// The --check model's sine comes from the platform's libm, which is not
// correctly rounded; a row whose exact value lies that close to a truncation
// boundary must not fail a plug-in whose sine is right.
#include "kroplay/check/conformance_model.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// START_DISTORT(0, 2131729342, 151): row 33's angle is about 7.0e8 and
// 151 sin(angle) about 37.0000000014 by glibc, within libm's error of 37,
// so a correct sine may truncate to either 36 or 37. Only row 33 of the
// background has pixels, so every other row is blank whatever its shift.
std::vector<uint8_t> frame_with_row_33_shifted(const std::vector<uint8_t> &background,
                                               int32_t width, int shift) {
  std::vector<uint8_t> frame(background.size(), 0);
  const size_t row = 33 * static_cast<size_t>(width);
  for (int32_t x = shift; x < width; ++x) frame[row + x] = background[row + x - shift];
  return frame;
}

TEST(ConformanceModel, ARowWithinLibmErrorOfABoundaryMayGoEitherWay) {
  const int32_t width = 64, height = 34;
  std::vector<uint8_t> background(static_cast<size_t>(width) * height);
  for (int32_t x = 0; x < width; ++x) background[33 * width + x] = static_cast<uint8_t>(x + 1);
  for (int shift : {36, 37, 38}) {
    kroplay::PluginModel model;
    model.call("START_DISTORT", {0, 2131729342, 151}, background, width, height);
    const std::string problem = model.check_frame(
        background, frame_with_row_33_shifted(background, width, shift).data(), width, height);
    EXPECT_EQ(shift == 38, problem.find("frame row 33 ") == 0) << shift << ": " << problem;
  }
}

}  // namespace
