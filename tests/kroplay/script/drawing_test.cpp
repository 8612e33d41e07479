// Drawing over the composed frames: pictures (indexed PNG or GIF) as
// sprites, rectangles and text, drawn after the plug-in's hook onto the
// frames of one frame() call only; their refusals, which change nothing;
// PNG backgrounds; misspelt function names.
#include <gtest/gtest.h>

#include <fstream>

#include "support/kroplay_runs.h"
#include "support/png_writing.h"

namespace {

// A 3x2 sprite of colours 40..45 with colour 41 transparent.
void write_sprite(const TempDir &dir, const std::string &name) {
  PngToWrite png;
  png.width = 3;
  png.height = 2;
  png.pixels = {40, 41, 42, 43, 44, 45};
  png.palette.assign(3 * 46, 9);
  png.alphas.assign(46, 255);
  png.alphas[41] = 0;
  ASSERT_EQ("", write_png(dir.file(name), png));
}

TEST(KroplayDrawing, SpritesRectsAndTextCoverTheEffectForOneFrameCall) {
  TempDir dir;
  write_sprite(dir, "ship.png");
  const std::vector<Step> effect = {{"screen", {9, 8}},    {"PUT_HLINE", {2, 7}},
                                    {"PUT_VLINE", {4, 8}}, {"START_DISTORT", {40, 90, 3}},
                                    {"frame", {2}},        {"frame", {1}}};
  // The plug-in's calls, then the drawings and frames; pixel() sees them.
  const std::string drawing =
      "local ship = load_picture('ship.png')\n"
      "assert(ship.width == 3 and ship.height == 2)\n"
      "rect(-3, 5, 5, 9, 200)\n"
      "sprite(ship, 7, -1)\n"
      "text(2, -8, '\\n|', 201)\n"  // the line after the new line starts at y 1
      "frame(2)\n"
      "assert(pixel(7, 0) == 43 and pixel(0, 7) == 200 and pixel(4, 3) == 201)\n"
      "frame()\n";
  dir.write("scene.lua", lua_of(std::vector<Step>(effect.begin(), effect.end() - 2)) + drawing);
  const ProgramRun run = run_kroplay(dir, "scene.lua");
  ASSERT_EQ(0, run.status) << run.err;

  std::vector<std::vector<uint8_t>> expected = model_frames(effect, 9, 8);
  ASSERT_EQ(3u, expected.size());
  for (size_t f = 0; f < 2; ++f) {
    std::vector<uint8_t> &frame = expected[f];
    for (int y = 5; y < 8; ++y)
      for (int x = 0; x < 2; ++x) frame[y * 9 + x] = 200;
    frame[0 * 9 + 7] = 43;  // the sprite's second row; 41 at (8, -1) is off screen anyway
    frame[0 * 9 + 8] = 44;
    for (int y = 1; y < 8; ++y) frame[y * 9 + 4] = 201;  // '|': column 2 of the cell at x 2
  }
  expect_playback(read_back(dir.file("scene.gif")), expected, kroplay::default_palette(), 9, 8);
}

TEST(KroplayDrawing, RefusedDrawingsAndPicturesSayWhyAndChangeNothing) {
  TempDir dir;
  write_sprite(dir, "ship.png");
  PngToWrite rgb;
  rgb.width = rgb.height = 1;
  rgb.colour_type = 2;  // RGB
  rgb.pixels = {1, 2, 3};
  ASSERT_EQ("", write_png(dir.file("photo.png"), rgb));
  dir.write("refused.lua", slurp(kScripts + "/drawing_errors.lua"));
  const ProgramRun run = run_kroplay(dir, "refused.lua");
  EXPECT_EQ(0, run.status) << run.err;
  // The RGB picture as a background: the run stops, nothing written.
  dir.write("photo.lua", "load_background('photo.png') frame()\n");
  const ProgramRun photo = run_kroplay(dir, "photo.lua");
  EXPECT_EQ(1, photo.status);
  EXPECT_NE(std::string::npos,
            photo.err.find("photo.lua:1: load_background: cannot read 'photo.png': it is an RGB "
                           "PNG; save it with a palette"))
      << photo.err;
  EXPECT_FALSE(std::ifstream(dir.file("photo.gif")).good());
}

TEST(KroplayDrawing, IndexedPngBackgroundsAreLoadedAsGifsAre) {
  TempDir dir;
  PngToWrite png;
  png.width = 2;
  png.height = 1;
  png.pixels = {1, 2};
  png.palette = {10, 11, 12, 20, 21, 22, 30, 31, 32};
  png.background = 2;
  ASSERT_EQ("", write_png(dir.file("bg.png"), png));
  dir.write("bg.lua",
            "screen(3, 2) load_background('bg.png')\n"
            "assert(background_pixel(1, 0) == 2 and background_pixel(2, 1) == 2)\n"
            "frame()\n");
  const ProgramRun run = run_kroplay(dir, "bg.lua");
  ASSERT_EQ(0, run.status) << run.err;
  kroplay::Palette palette = kroplay::default_palette();
  std::copy(png.palette.begin(), png.palette.end(), palette.begin());
  expect_playback(read_back(dir.file("bg.gif")), {{1, 2, 2, 2, 2, 2}}, palette, 3, 2);
}

TEST(KroplayDrawing, AMisspeltFunctionNamesTheNearestOne) {
  TempDir dir, scripts;
  for (const std::string name : {"START_RIPLE", "start_ripple"}) {
    scripts.write("typo.lua", "FILL(1)\n" + name + "(1, 2, 3)\n");
    const ProgramRun run = run_kroplay(dir, "'" + scripts.file("typo.lua") + "'");
    expect_failure(run, dir, 1,
                   "typo.lua:2: no function '" + name + "'; did you mean START_RIPPLE?");
  }
  // Nothing near: Lua's own message.
  scripts.write("far.lua", "WOBBLE()\n");
  const ProgramRun run = run_kroplay(dir, "'" + scripts.file("far.lua") + "'");
  expect_failure(run, dir, 1, "far.lua:1: attempt to call a nil value (global 'WOBBLE')");
}

}  // namespace
