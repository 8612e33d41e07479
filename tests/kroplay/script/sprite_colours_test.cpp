// A sprite shows its palette indices in the screen's palette: kroplay says
// once per picture where that palette differs from the picture's own
// colours, and load_picture(path, true) takes the picture's colours into
// the palette.
#include <gtest/gtest.h>

#include "support/kroplay_runs.h"
#include "support/png_writing.h"

namespace {

// A 3x1 sprite of indices 1, 2 and 3 (3 transparent), all red in its own
// table but for 2, which is the default palette's green at 2.
void write_sprite(const TempDir &dir, const std::string &name) {
  PngToWrite png;
  png.width = 3;
  png.height = 1;
  png.pixels = {1, 2, 3};
  png.palette = {0, 0, 0, 255, 0, 0, 0, 128, 0, 255, 0, 0};
  png.alphas = {255, 255, 255, 0};
  ASSERT_EQ("", write_png(dir.file(name), png));
}

TEST(KroplaySpriteColours, ADifferingPaletteIsNamedOncePerPicture) {
  TempDir dir;
  write_sprite(dir, "ship.png");
  write_sprite(dir, "other.png");
  dir.write("scene.lua",
            "local ship, other = load_picture('ship.png'), load_picture('other.png')\n"
            "for i = 1, 3 do sprite(ship, 0, 0) frame() end\n"
            "color(1, 255, 0, 0)\n"
            "sprite(other, 0, 0) frame()\n");
  const ProgramRun run = run_kroplay(dir, "scene.lua --size 4x2");
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ(
      "kroplay: note: sprite 'ship.png' takes its colours from the palette by index, and the "
      "palette differs from the picture's own colours at 1 (#800000 in the palette, #ff0000 in "
      "the picture); load_picture(path, true) copies the picture's colours into the palette "
      "(docs/colours.md)\n"
      "kroplay: wrote scene.gif (4 frames, 4x2)\n",
      run.err);
}

TEST(KroplaySpriteColours, TakingThePicturesColoursShowsThem) {
  TempDir dir;
  write_sprite(dir, "ship.png");
  dir.write("scene.lua", "sprite(load_picture('ship.png', true), 0, 0) frame()\n");
  const ProgramRun run = run_kroplay(dir, "scene.lua --size 1x1");
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ("kroplay: wrote scene.gif (1 frame, 1x1)\n", run.err);
  EXPECT_EQ((std::vector<uint8_t>{255, 0, 0}), read_back(dir.file("scene.gif")).frames.at(0).rgb);
}

}  // namespace
