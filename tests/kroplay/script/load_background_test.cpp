// load_background: pictures cut or padded to the screen, found beside the
// script, and only regular files of bounded size opened.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "kroplay/gif/gif_writer.h"
#include "support/kroplay_runs.h"

TEST(KroplayScript, LoadsABackgroundGifCutOrPaddedToTheScreen) {
  TempDir dir;
  kroplay::Palette palette{};
  for (size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<uint8_t>(255 - i % 256);
  std::vector<uint8_t> picture(6 * 4);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>(10 + i);
  ASSERT_EQ("", write_plain_gif(dir.file("bg.gif"), picture, 6, 4, palette));
  dir.write("load.lua",
            "screen(8, 3)\nload_background('bg.gif')\n"
            "assert(background_pixel(5, 2) == 27 and background_pixel(6, 0) == 0)\nframe()\n");
  const ProgramRun run = run_kroplay(dir, "load.lua");
  ASSERT_EQ(0, run.status) << run.err;
  const ReadGif gif = read_back(dir.file("load.gif"));
  ASSERT_EQ(1u, gif.frames.size());
  std::vector<uint8_t> expected(8 * 3, 0);  // padded with the GIF's background colour 0
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x) expected[y * 8 + x] = picture[y * 6 + x];
  expect_playback(gif, {expected}, palette, 8, 3);
}

TEST(KroplayScript, LoadBackgroundFindsPicturesBesideTheScript) {
  TempDir dir;
  ASSERT_EQ(0, mkdir(dir.file("art").c_str(), 0755));
  kroplay::Palette palette = kroplay::default_palette();
  const std::vector<uint8_t> picture = {1, 2, 3, 4, 5, 6};
  {
    kroplay::GifWriter writer(dir.file("art/pic.gif"), 2);
    writer.add_frame(picture.data(), 3, 2, palette);
    writer.finish();
  }
  dir.write("art/show.lua", "screen(3, 2) load_background('pic.gif') frame()\n");
  const ProgramRun run = run_kroplay(dir, "art/show.lua");  // from the folder above
  ASSERT_EQ(0, run.status) << run.err;
  std::vector<uint8_t> colours;
  for (uint8_t index : picture)
    colours.insert(colours.end(), palette.begin() + 3 * index, palette.begin() + 3 * index + 3);
  EXPECT_EQ(colours, read_back(dir.file("show.gif")).frames[0].rgb);
}

TEST(KroplayScript, LoadBackgroundOpensOnlyRegularFilesOfBoundedSize) {
  TempDir dir;
  kroplay::Palette palette{};
  palette[3] = 77;
  const std::vector<uint8_t> picture(4, 1);
  {
    kroplay::GifWriter writer(dir.file("bg.gif"), 2);
    writer.add_frame(picture.data(), 2, 2, palette);
    writer.finish();
  }
  ASSERT_EQ(0, mkfifo(dir.file("fifo").c_str(), 0600));
  ASSERT_EQ(0, mkdir(dir.file("folder").c_str(), 0700));
  dir.write("big.gif", "");
  ASSERT_EQ(0, truncate(dir.file("big.gif").c_str(), (int64_t{64} << 20) + 1));
  // Beside the files it names, which a script finds in its own folder.
  dir.write("background_limits.lua", slurp(kScripts + "/background_limits.lua"));
  // A FIFO nobody writes to would block for ever: `timeout` ends that.
  const ProgramRun run = run_kroplay(dir, "20 '" KROPLAY_PATH "' background_limits.lua", "timeout");
  ASSERT_EQ(0, run.status) << run.err;
  // The picture and its colours reached the background: the first pixel
  // shows the picture's colour 1.
  const ReadGif gif = read_back(dir.file("background_limits.gif"));
  ASSERT_FALSE(gif.frames.empty());
  EXPECT_EQ((std::vector<uint8_t>{77, 0, 0}),
            std::vector<uint8_t>(gif.frames[0].rgb.begin(), gif.frames[0].rgb.begin() + 3));
}
