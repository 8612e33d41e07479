// --gap: colour 0 between the cells of a PNG sprite sheet, not scaled.
#include <gtest/gtest.h>

#include "support/kroplay_runs.h"

TEST(KroplayPng, GapPartsTheCellsOfASheet) {
  TempDir dir;
  dir.write("cells.lua", "screen(3, 2) FILL(5) frame() FILL(6) frame() FILL(7) frame()\n");
  const ProgramRun run = run_kroplay(dir, "cells.lua -o sheet.png --columns 2 --gap 1 --scale 2");
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ("kroplay: wrote sheet.png (3 frames as a 2x2 sheet, 13x9)\n", run.err);
  const ReadPng png = read_png_back(dir.file("sheet.png"));
  ASSERT_TRUE(png.indexed);
  const std::string expected =
      "5555550666666"
      "5555550666666"
      "5555550666666"
      "5555550666666"
      "0000000000000"
      "7777770000000"
      "7777770000000"
      "7777770000000"
      "7777770000000";
  ASSERT_EQ(expected.size(), png.pixels.size());
  std::string shown;
  for (uint8_t index : png.pixels) shown += static_cast<char>('0' + index);
  EXPECT_EQ(expected, shown);
}
