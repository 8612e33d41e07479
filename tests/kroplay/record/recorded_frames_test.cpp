// The frames kroplay records, read back from its GIFs and --hash lines and
// compared with the reference model or hand-derived pixels: random scripts,
// resized screens, palettes, and --frames choosing what goes out.
#include <gtest/gtest.h>

#include "support/kroplay_runs.h"

TEST(KroplayRecord, RandomScriptsMatchTheReferenceModelFrameByFrame) {
  const std::pair<int32_t, int32_t> sizes[] = {{320, 200}, {1, 1}, {7, 3}, {3, 40}, {33, 17}};
  for (uint32_t seed = 0; seed < 15 && !testing::Test::HasFailure(); ++seed) {
    const auto [w, h] = sizes[seed % 5];
    const std::vector<Step> steps = random_steps(seed, w, h);
    TempDir dir;
    dir.write("session.lua", lua_of(steps));
    const ProgramRun run = run_kroplay(dir, "session.lua --size 50x60");
    ASSERT_EQ(0, run.status) << run.err;
    const ReadGif gif = read_back(dir.file("session.gif"));
    EXPECT_EQ(w, gif.width);
    EXPECT_EQ(h, gif.height);
    EXPECT_TRUE(gif.loops_forever);
    EXPECT_EQ("GIF89a", gif.version);
    expect_playback(gif, model_frames(steps, w, h), kroplay::default_palette(), w, h);
  }
}

TEST(KroplayRecord, ResizingBetweenFramesKeepsEveryFrameAtTheTopLeft) {
  std::vector<Step> steps = {{"screen", {20, 10}},
                             {"FILL", {4}},
                             {"PUT_VLINE", {5, 9}},
                             {"START_DISTORT", {20, 60, 6}},
                             {"frame", {3}},
                             {"screen", {30, 5}},
                             {"PUT_HLINE", {2, 200}},
                             {"PUT_VLINE", {29, 8}},
                             {"frame", {2}},
                             {"screen", {8, 16}},
                             {"START_RIPPLE", {9, 70, 5}},
                             {"PUT_HLINE", {3, 77}},
                             {"frame", {2}},
                             {"screen", {8, 16}},
                             {"HOW_HIGH", {}},
                             {"frame", {1}}};
  TempDir dir;
  dir.write("resize.lua", lua_of(steps));
  const ProgramRun run = run_kroplay(dir, "resize.lua");
  ASSERT_EQ(0, run.status) << run.err;
  const ReadGif gif = read_back(dir.file("resize.gif"));
  EXPECT_EQ(30, gif.width);  // the largest of all
  EXPECT_EQ(16, gif.height);
  std::vector<std::pair<int32_t, int32_t>> sizes;
  const auto expected = model_frames(steps, 320, 200, &sizes);
  expect_playback(gif, expected, kroplay::default_palette(), 0, 0, &sizes);
}

TEST(KroplayRecord, HandCheckedFramesAndPalette) {
  TempDir dir;
  const ProgramRun run = run_kroplay(dir, script("lines.lua") + " -o out.gif --fps 25");
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ("kroplay: wrote out.gif (5 frames, 6x4)\n", run.err);
  const ReadGif gif = read_back(dir.file("out.gif"));
  EXPECT_EQ(6, gif.width);
  EXPECT_EQ(4, gif.height);
  const std::vector<uint8_t> background = {1, 1, 1, 7, 1, 1, 1, 1, 1, 7, 1, 1,
                                           5, 5, 5, 7, 5, 5, 9, 9, 9, 7, 9, 9};
  const std::vector<uint8_t> distorted = {1, 1, 1, 7, 1, 1, 0, 0, 0, 0, 0, 1,
                                          0, 5, 5, 5, 7, 5, 9, 0, 0, 0, 0, 0};
  const std::vector<uint8_t> rippled = {1, 1, 1, 7, 1, 1, 9, 9, 9, 7, 9, 9,
                                        9, 9, 9, 7, 9, 9, 1, 1, 1, 7, 1, 1};
  // Index 9 is set at the start, index 1 before the last frame.
  kroplay::Palette palette = kroplay::default_palette(), last_palette;
  palette[27] = 10, palette[28] = 20, palette[29] = 30;
  last_palette = palette;
  last_palette[3] = 200, last_palette[4] = 100, last_palette[5] = 50;
  const std::vector<uint8_t> *frames[] = {&background, &distorted, &rippled, &distorted,
                                          &distorted};
  std::vector<ShownFrame> shown;
  for (int i = 0; i < 5; ++i) shown.push_back({frames[i], 6, 4, i < 4 ? &palette : &last_palette});
  EXPECT_EQ("", compare_playback(gif, shown, 4));
  ASSERT_EQ(5u, gif.frames.size());
  // Index 1 is the default maroon, then the colour set before the last frame.
  const std::vector<uint8_t> maroon = {128, 0, 0}, orange = {200, 100, 50};
  EXPECT_EQ(maroon, std::vector<uint8_t>(gif.frames[3].rgb.begin(), gif.frames[3].rgb.begin() + 3));
  EXPECT_EQ(orange, std::vector<uint8_t>(gif.frames[4].rgb.begin(), gif.frames[4].rgb.begin() + 3));
}

TEST(KroplayRecord, HashLinesAreStableFollowTheFramesAndSeeEffectChanges) {
  std::vector<Step> steps = {{"screen", {40, 30}}, {"FILL", {1}}};
  for (int32_t row = 0; row < 30; row += 3) steps.push_back({"PUT_HLINE", {row, 10 + row}});
  steps.push_back({"START_RIPPLE", {10, 20, 6}});
  steps.push_back({"frame", {5}});
  steps.push_back({"frame", {1}});
  std::vector<Step> changed = steps;
  changed.insert(changed.end() - 1, {"CHANGE_RVAL", {9, 2}});
  TempDir dir;
  dir.write("a.lua", lua_of(steps));
  dir.write("b.lua", lua_of(changed));
  const ProgramRun first = run_kroplay(dir, "a.lua --hash");
  const ProgramRun second = run_kroplay(dir, "a.lua --hash --null-imports -o again.gif");
  const ProgramRun other = run_kroplay(dir, "b.lua --hash");
  ASSERT_EQ(0, first.status) << first.err;
  EXPECT_EQ(first.out, second.out);
  const std::vector<std::vector<uint8_t>> frames = model_frames(steps, 40, 30);
  std::string expected;
  for (size_t i = 0; i < frames.size(); ++i)
    expected += hash_line(i, frames[i], kroplay::default_palette());
  EXPECT_EQ(expected, first.out);
  // The same frames up to the last, which the distortion changes.
  const size_t last = first.out.rfind("frame ");
  EXPECT_EQ(first.out.substr(0, last), other.out.substr(0, last));
  EXPECT_NE(first.out.substr(last), other.out.substr(last));
}

TEST(KroplayRecord, FramesChoosesWhatGoesOutAndRefusesARangePastTheEnd) {
  TempDir dir;
  dir.write("sizes.lua", kSizesScript);
  const ProgramRun all = run_kroplay(dir, "sizes.lua --hash");
  const ProgramRun some = run_kroplay(dir, "sizes.lua --hash --frames 2..4 -o some.gif");
  const ProgramRun last = run_kroplay(dir, "sizes.lua --frames 7 -o last.gif");
  ASSERT_EQ(0, some.status) << some.err;
  // Hashed up to the range's last frame, where the run ends.
  EXPECT_EQ(all.out.substr(0, all.out.find("frame 5 ")), some.out);
  const ReadGif gif = read_back(dir.file("sizes.gif"));
  const ReadGif part = read_back(dir.file("some.gif"));
  ASSERT_EQ(3u, part.frames.size());
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(native(gif, 2 + i, true), part.frames[i].rgb);
  ASSERT_EQ(0, last.status) << last.err;
  const ReadGif one = read_back(dir.file("last.gif"));
  ASSERT_EQ(1u, one.frames.size());
  EXPECT_EQ(native(gif, 7, true), one.frames[0].rgb);

  TempDir empty;
  empty.write("sizes.lua", kSizesScript);
  const ProgramRun past = run_kroplay(empty, "sizes.lua --frames 5..8");
  EXPECT_EQ(1, past.status);
  EXPECT_EQ(
      "kroplay: --frames 5..8 is past the end: the run composed 8 frames, the last is frame 7; "
      "nothing written\n",
      past.err);
  EXPECT_EQ(std::vector<std::string>{"sizes.lua"}, empty.entries());
}
