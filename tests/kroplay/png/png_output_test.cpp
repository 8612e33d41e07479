// PNG output: one frame or a sheet of them holding the GIF's frames, and
// sheets too large refused with a hint.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/kroplay_runs.h"

namespace {

// An indexed PNG's pixels as colours, through its PLTE.
ReadPng as_rgb(const ReadPng &png) {
  ReadPng rgb = png;
  rgb.indexed = false;
  rgb.pixels.clear();
  for (uint8_t index : png.pixels)
    rgb.pixels.insert(rgb.pixels.end(), png.palette.begin() + 3 * index,
                      png.palette.begin() + 3 * index + 3);
  return rgb;
}

// The hash line --hash prints for frame `n`, made from a PNG's indices and
// PLTE: equal only if the PNG holds the host's own indices and palette.
std::string png_hash_line(size_t n, const ReadPng &png) {
  kroplay::Palette palette{};
  std::copy(png.palette.begin(), png.palette.end(), palette.begin());
  return hash_line(n, png.pixels, palette);
}

// A w x h block of a sheet's pixels (bytes each) starting at (left, top).
std::vector<uint8_t> block(const ReadPng &png, int left, int top, int w, int h, int bytes) {
  std::vector<uint8_t> out;
  for (int y = top; y < top + h; ++y)
    out.insert(out.end(), png.pixels.begin() + (y * png.width + left) * bytes,
               png.pixels.begin() + (y * png.width + left + w) * bytes);
  return out;
}

}  // namespace

TEST(KroplayPng, PngFrameAndSheetHoldTheGifsFrames) {
  TempDir dir;
  dir.write("sizes.lua", kSizesScript);
  const ProgramRun hashed = run_kroplay(dir, "sizes.lua --hash");
  ASSERT_EQ(0, hashed.status) << hashed.err;
  const ReadGif gif = read_back(dir.file("sizes.gif"));
  ASSERT_EQ(8u, gif.frames.size());

  // The host's indices and palette exactly (the hash), showing the GIF's colours.
  const ProgramRun one = run_kroplay(dir, "sizes.lua -o one.png --frames 3");
  ASSERT_EQ(0, one.status) << one.err;
  EXPECT_EQ("kroplay: wrote one.png (1 frame, 6x4)\n", one.err);
  const ReadPng single = read_png_back(dir.file("one.png"));
  EXPECT_TRUE(single.indexed);
  EXPECT_EQ(8, single.bit_depth);
  EXPECT_EQ(6, single.width);
  EXPECT_EQ(4, single.height);
  EXPECT_NE(std::string::npos, hashed.out.find(png_hash_line(3, single))) << hashed.out;
  EXPECT_EQ(native(gif, 3, true), as_rgb(single).pixels);

  // Frames 3, 4 (6x4) and 5, 6 (4x5) in cells of 6x5, three to a row; the
  // rest of each cell, and the two empty cells, colour 0.
  ASSERT_EQ(0, run_kroplay(dir, "sizes.lua -o sheet.png --frames 3..6 --columns 3").status);
  const ReadPng sheet = read_png_back(dir.file("sheet.png"));
  EXPECT_TRUE(sheet.indexed);
  ASSERT_EQ(18, sheet.width);
  ASSERT_EQ(10, sheet.height);
  const ReadPng sheet_rgb = as_rgb(sheet);
  for (int cell = 0; cell < 6; ++cell) {
    SCOPED_TRACE(cell);
    const int left = cell % 3 * 6, top = cell / 3 * 5;
    const auto [w, h] = cell < 4 ? kSizes[3 + cell] : std::pair<int, int>{0, 0};
    if (cell < 4) {
      EXPECT_EQ(native(gif, 3 + cell, true), block(sheet_rgb, left, top, w, h, 3));
    }
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 6; ++x) {
        if (x >= w || y >= h) {
          ASSERT_EQ(0, sheet.pixels[(top + y) * 18 + left + x]) << x << "," << y;
        }
      }
    }
  }

  // Frames 6 and 7 differ in palette: an RGB sheet, each in its colours.
  ASSERT_EQ(0, run_kroplay(dir, "sizes.lua -o rgb.png --frames 6..7").status);
  const ReadPng rgb = read_png_back(dir.file("rgb.png"));
  EXPECT_FALSE(rgb.indexed);
  ASSERT_EQ(8, rgb.width);
  EXPECT_EQ(native(gif, 6, true), block(rgb, 0, 0, 4, 5, 3));
  EXPECT_EQ(native(gif, 7, true), block(rgb, 4, 0, 4, 5, 3));
  EXPECT_NE(block(rgb, 0, 0, 4, 5, 3), block(rgb, 4, 0, 4, 5, 3));
}

TEST(KroplayPng, APngTooLargeForEveryFrameIsRefusedWithAHint) {
  TempDir dir;
  dir.write("big.lua", "screen(4096, 4096) FILL(5) frame(5)\n");
  const ProgramRun all = run_kroplay(dir, "big.lua -o all.png");
  EXPECT_EQ(1, all.status);
  EXPECT_EQ(
      "kroplay: cannot write 'all.png': a PNG of 5 frames of 4096x4096 would hold more than "
      "67108864 pixels; choose fewer frames with --frames A..B\n",
      all.err);
  EXPECT_EQ(std::vector<std::string>{"big.lua"}, dir.entries());
  const ProgramRun four = run_kroplay(dir, "big.lua -o four.png --frames 1..4");
  ASSERT_EQ(0, four.status) << four.err;
  EXPECT_EQ("kroplay: wrote four.png (4 frames as a 2x2 sheet, 8192x8192)\n", four.err);
}
