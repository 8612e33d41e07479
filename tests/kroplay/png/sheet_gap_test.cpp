// --gap: colour 0 between the cells of a PNG sprite sheet, not scaled.
#include <gtest/gtest.h>

#include "support/kroplay_runs.h"

namespace {

// Frames of 5, 6 and 7 in a 2x2 sheet of 3x2 cells at --scale 2, one
// pixel apart; the gaps and the empty cell are colour 0.
const char kCellsScript[] = "screen(3, 2) FILL(5) frame() FILL(6) frame() FILL(7) frame()\n";
const char kCellsOptions[] = " -o sheet.png --columns 2 --gap 1 --scale 2";
const std::string kCells =
    "5555550666666"
    "5555550666666"
    "5555550666666"
    "5555550666666"
    "0000000000000"
    "7777770000000"
    "7777770000000"
    "7777770000000"
    "7777770000000";

}  // namespace

TEST(KroplayPng, GapPartsTheCellsOfASheet) {
  TempDir dir;
  dir.write("cells.lua", kCellsScript);
  const ProgramRun run = run_kroplay(dir, std::string("cells.lua") + kCellsOptions);
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ("kroplay: wrote sheet.png (3 frames as a 2x2 sheet, 13x9)\n", run.err);
  const ReadPng png = read_png_back(dir.file("sheet.png"));
  ASSERT_TRUE(png.indexed);
  ASSERT_EQ(kCells.size(), png.pixels.size());
  std::string shown;
  for (uint8_t index : png.pixels) shown += static_cast<char>('0' + index);
  EXPECT_EQ(kCells, shown);
}

// A palette that changes between frames makes an RGB sheet: the same cells
// in their frames' colours, the gaps in colour 0.
TEST(KroplayPng, GapPartsTheCellsOfAnRgbSheet) {
  TempDir dir;
  // Colour i is (100 + 10 i, 101 + 10 i, 102 + 10 i); colour 7 is set so
  // before the frame it fills, the last.
  dir.write("cells.lua",
            "screen(3, 2) for i = 0, 6 do color(i, 100 + 10 * i, 101 + 10 * i, 102 + 10 * i) end\n"
            "FILL(5) frame() FILL(6) frame() color(7, 170, 171, 172) FILL(7) frame()\n");
  const ProgramRun run = run_kroplay(dir, std::string("cells.lua") + kCellsOptions);
  ASSERT_EQ(0, run.status) << run.err;
  const ReadPng png = read_png_back(dir.file("sheet.png"));
  ASSERT_FALSE(png.indexed);
  std::vector<uint8_t> expected;
  for (char cell : kCells)
    for (int channel = 0; channel < 3; ++channel)
      expected.push_back(static_cast<uint8_t>(100 + 10 * (cell - '0') + channel));
  EXPECT_EQ(expected, png.pixels);
}
