// A PNG sheet is bounded by its pixels only, not by libpng's default
// million-pixel row.
#include <gtest/gtest.h>

#include "support/kroplay_runs.h"

TEST(KroplayPng, ASheetWiderThanAMillionPixelsIsWritten) {
  TempDir dir;
  dir.write("wide.lua", "screen(16384, 1)\nfor i = 1, 100 do FILL(i) frame() end\n");
  const ProgramRun run = run_kroplay(dir, "wide.lua --columns 100 -o wide.png");
  EXPECT_EQ(0, run.status) << run.err;
  const ReadPng png = read_png_back(dir.file("wide.png"));
  ASSERT_EQ(1638400, png.width);
  EXPECT_EQ(100, png.pixels[16384 * 99]);
}
