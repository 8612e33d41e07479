// --scale: every pixel repeated in GIF and PNG output.
#include <gtest/gtest.h>

#include "support/kroplay_runs.h"

TEST(KroplayScale, ScaleRepeatsEveryPixelInGifAndPng) {
  TempDir dir;
  dir.write("sizes.lua", kSizesScript);
  ASSERT_EQ(0, run_kroplay(dir, "sizes.lua").status);
  ASSERT_EQ(0, run_kroplay(dir, "sizes.lua --scale 3 -o big.gif").status);
  ASSERT_EQ(0, run_kroplay(dir, "sizes.lua --scale 2 --frames 4 -o big.png").status);
  ASSERT_EQ(0, run_kroplay(dir, "sizes.lua --frames 4 -o small.png").status);
  const ReadGif gif = read_back(dir.file("sizes.gif"));
  const ReadGif big = read_back(dir.file("big.gif"));
  ASSERT_EQ(gif.frames.size(), big.frames.size());
  EXPECT_EQ(3 * gif.width, big.width);
  EXPECT_EQ(3 * gif.height, big.height);
  for (size_t f = 0; f < gif.frames.size(); ++f)
    for (int y = 0; y < big.height; ++y)
      for (int x = 0; x < big.width; ++x)
        for (int c = 0; c < 3; ++c)
          ASSERT_EQ(gif.frames[f].rgb[3 * (y / 3 * gif.width + x / 3) + c],
                    big.frames[f].rgb[3 * (y * big.width + x) + c])
              << "frame " << f << " at " << x << "," << y;
  const ReadPng small = read_png_back(dir.file("small.png"));
  const ReadPng png = read_png_back(dir.file("big.png"));
  ASSERT_EQ(12, png.width);
  ASSERT_EQ(8, png.height);
  EXPECT_EQ(small.palette, png.palette);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 12; ++x) ASSERT_EQ(small.pixels[y / 2 * 6 + x / 2], png.pixels[y * 12 + x]);
}
