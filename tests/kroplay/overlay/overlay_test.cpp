// Drawings over a frame: in the order asked for, clipped on every side,
// sprites without their transparent index, text in cells of 6x9 pixels, and
// the cap on what may wait for one frame.
#include "kroplay/overlay/overlay.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using kroplay::Overlay;

// The frame as rows of characters: '.' for 0, else the index's digit.
std::vector<std::string> rows(const std::vector<uint8_t> &frame, int width) {
  std::vector<std::string> out;
  for (size_t i = 0; i < frame.size(); i += static_cast<size_t>(width)) {
    std::string row;
    for (int x = 0; x < width; ++x)
      row += frame[i + static_cast<size_t>(x)] == 0 ? '.' : static_cast<char>('0' + frame[i + x]);
    out.push_back(row);
  }
  return out;
}

TEST(Overlay, DrawsInOrderClippedWithoutTheTransparentIndex) {
  // 3x3, 9 transparent; hangs over the top left corner.
  const std::vector<uint8_t> sprite = {1, 2, 3, 4, 9, 5, 6, 7, 8};
  Overlay overlay;
  ASSERT_TRUE(overlay.add_rect(3, -5, 100, 7, 2));  // off the top and right
  ASSERT_TRUE(overlay.add_sprite(sprite.data(), 3, 3, 9, -1, -1));
  ASSERT_TRUE(overlay.add_sprite(sprite.data(), 3, 3, -1, 4, 2));  // under the bottom right
  ASSERT_TRUE(overlay.add_rect(0, 3, 0, 9, 1));                    // no width: nothing
  std::vector<uint8_t> frame(6 * 4, 0);
  overlay.draw_onto(frame.data(), 6, 4);
  EXPECT_EQ((std::vector<std::string>{".5.222", "78.222", "....12", "....49"}), rows(frame, 6));
}

TEST(Overlay, TextSetsTheGlyphPixelsInCellsAndLines) {
  Overlay overlay;
  // '|' is column 2 of rows 0..6; a space takes a cell and draws nothing.
  ASSERT_TRUE(overlay.add_text(-2, 0, "| |\n |", 3));
  std::vector<uint8_t> frame(14 * 18, 0);
  overlay.draw_onto(frame.data(), 14, 18);
  const std::vector<std::string> drawn = rows(frame, 14);
  for (int y = 0; y < 18; ++y) {
    std::string expected(14, '.');
    if (y < 7) expected[0] = expected[12] = '3';
    if (y >= 9 && y < 16) expected[6] = '3';
    EXPECT_EQ(expected, drawn[static_cast<size_t>(y)]) << y;
  }
}

TEST(Overlay, RefusesMoreDrawingsThanOneFrameMayHold) {
  Overlay overlay;
  const std::string text(Overlay::kMaxDrawings - 1, 'x');
  ASSERT_TRUE(overlay.add_text(0, 0, text, 1));
  EXPECT_FALSE(overlay.add_text(0, 0, "ab", 1));
  ASSERT_TRUE(overlay.add_rect(0, 0, 1, 1, 4));  // the last one that fits
  EXPECT_FALSE(overlay.add_rect(0, 0, 1, 1, 5));
  std::vector<uint8_t> frame(1, 0);
  overlay.draw_onto(frame.data(), 1, 1);
  EXPECT_EQ(4, frame[0]);  // neither refused drawing was kept
}

}  // namespace
