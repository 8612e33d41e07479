// A sprite sheet's limits hold for many small frames: what each kept frame
// costs besides its pixels is counted, and the grid's gaps count before
// the image's size can overflow.
#include <gtest/gtest.h>

#include <string>

#include "kroplay/host/kept_frames.h"
#include "kroplay/png/png_sheet.h"
#include "kroplay/scale/nearest_scale.h"
#include "support/temp_dir.h"

namespace {

// The frames of 1x1 a sheet takes before it refuses one, with the refusal.
int64_t frames_taken(kroplay::PngSheet &sheet, int64_t at_most, std::string &refusal) {
  const kroplay::Palette palette = kroplay::default_palette();
  const uint8_t pixel = 1;
  for (int64_t taken = 0; taken < at_most; ++taken) {
    try {
      sheet.add_frame(&pixel, 1, 1, palette);
    } catch (const kroplay::OutputError &e) {
      refusal = e.what();
      return taken;
    }
  }
  return at_most;
}

TEST(PngSheetLimits, TinyFramesCountTheirRecordsAndShareTheirPalette) {
  const TempDir dir;
  kroplay::PngSheet sheet(dir.file("tiny.png"), 1, 0, 0);
  const int64_t expected =
      (kroplay::kMaxKeptFrameBytes - kroplay::kKeptPaletteBytes) / (1 + kroplay::kKeptFrameBytes);
  std::string refusal;
  EXPECT_EQ(expected, frames_taken(sheet, expected + 1, refusal));
  EXPECT_NE(std::string::npos, refusal.find(" would take more than " +
                                            std::to_string(kroplay::kMaxKeptFrameBytes) + " bytes"))
      << refusal;
}

TEST(PngSheetLimits, OneColumnWithGapsIsRefusedOnceTooHigh) {
  const TempDir dir;
  kroplay::PngSheet sheet(dir.file("column.png"), 1, 1, 256);
  // n frames are n + 256 (n - 1) pixels high.
  const int64_t expected = (kroplay::kMaxScaledPixels + 256) / 257;
  std::string refusal;
  EXPECT_EQ(expected, frames_taken(sheet, expected + 1, refusal));
  EXPECT_NE(std::string::npos,
            refusal.find("a PNG of 1x" + std::to_string(257 * expected + 1) + " would hold"))
      << refusal;
}

}  // namespace
