// The GIF writer, the changed-rectangle search and the frame hash, read back
// through giflib.
#include "kroplay/gif/gif_writer.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <random>

#include "kroplay/gif/frame_diff.h"
#include "kroplay/record/frame_hash.h"
#include "support/gif_reading.h"
#include "support/temp_dir.h"

using kroplay::GifWriter;
using kroplay::OutputError;
using kroplay::Palette;
using kroplay::Rect;

namespace {

Palette test_palette(int seed) {
  Palette p;
  for (size_t i = 0; i < p.size(); ++i) p[i] = static_cast<uint8_t>(i * 7 + seed * 31);
  return p;
}

std::vector<uint8_t> random_pixels(size_t n, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> pixels(n);
  for (auto &p : pixels) p = static_cast<uint8_t>(random());
  return pixels;
}

bool palettes_equal(const std::array<uint8_t, 768> &a, const Palette &b) {
  return std::equal(a.begin(), a.end(), b.begin());
}

TEST(ChangedRect, BoundsEveryDifference) {
  const int w = 7, h = 5;
  std::vector<uint8_t> a(w * h, 3), b = a;
  EXPECT_TRUE(kroplay::changed_rect(a.data(), b.data(), w, h).empty());
  b[2 * w + 4] = 9;
  Rect r = kroplay::changed_rect(a.data(), b.data(), w, h);
  EXPECT_EQ(4, r.left);
  EXPECT_EQ(2, r.top);
  EXPECT_EQ(1, r.width);
  EXPECT_EQ(1, r.height);
  b[1 * w + 6] = 9;  // right edge, higher row
  b[4 * w + 0] = 9;  // left edge, last row
  r = kroplay::changed_rect(a.data(), b.data(), w, h);
  EXPECT_EQ(0, r.left);
  EXPECT_EQ(1, r.top);
  EXPECT_EQ(7, r.width);
  EXPECT_EQ(4, r.height);
  // A single column screen.
  std::vector<uint8_t> c(4, 0), d = c;
  d[3] = 1;
  r = kroplay::changed_rect(c.data(), d.data(), 1, 4);
  EXPECT_EQ(3, r.top);
  EXPECT_EQ(1, r.height);
}

TEST(ChangedRect, MatchesABruteForceSearch) {
  std::mt19937 random(5);
  for (int round = 0; round < 300; ++round) {
    const int w = 1 + random() % 20, h = 1 + random() % 20;
    std::vector<uint8_t> a = random_pixels(w * h, round), b = a;
    const int changes = random() % 4;
    for (int i = 0; i < changes; ++i) b[random() % (w * h)] ^= 1 + random() % 255;
    int left = w, right = -1, top = h, bottom = -1;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (a[y * w + x] != b[y * w + x]) {
          left = std::min(left, x), right = std::max(right, x);
          top = std::min(top, y), bottom = std::max(bottom, y);
        }
    const Rect r = kroplay::changed_rect(a.data(), b.data(), w, h);
    if (right < 0) {
      EXPECT_TRUE(r.empty());
      continue;
    }
    EXPECT_EQ(left, r.left);
    EXPECT_EQ(top, r.top);
    EXPECT_EQ(right - left + 1, r.width);
    EXPECT_EQ(bottom - top + 1, r.height);
  }
}

// FNV-1a 64, written out independently of the player's.
uint64_t fnv1a(const std::vector<uint8_t> &bytes) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (uint8_t b : bytes) hash = (hash ^ b) * 0x100000001b3ull;
  return hash;
}

TEST(FrameHash, IsFnv1aOverIndicesThenPalette) {
  // Published FNV-1a 64 values.
  EXPECT_EQ(0xaf63dc4c8601ec8cull, fnv1a({'a'}));
  EXPECT_EQ(0x85944171f73967e8ull, fnv1a({'f', 'o', 'o', 'b', 'a', 'r'}));
  const Palette palette = test_palette(2);
  const std::vector<uint8_t> pixels = random_pixels(60, 1);
  std::vector<uint8_t> all = pixels;
  all.insert(all.end(), palette.begin(), palette.end());
  EXPECT_EQ(fnv1a(all), kroplay::frame_hash(pixels.data(), pixels.size(), palette));
  // One index or one palette byte changes it.
  std::vector<uint8_t> other = pixels;
  other[59] ^= 1;
  EXPECT_NE(kroplay::frame_hash(pixels.data(), 60, palette),
            kroplay::frame_hash(other.data(), 60, palette));
  Palette other_palette = palette;
  other_palette[767] ^= 1;
  EXPECT_NE(kroplay::frame_hash(pixels.data(), 60, palette),
            kroplay::frame_hash(pixels.data(), 60, other_palette));
}

TEST(GifWriter, WritesSizePaletteLoopDelayAndPixels) {
  TempDir dir;
  const int w = 13, h = 9;
  const Palette palette = test_palette(1);
  std::vector<std::vector<uint8_t>> frames;
  for (uint32_t i = 0; i < 4; ++i) frames.push_back(random_pixels(w * h, i));
  {
    GifWriter gif(dir.file("out.gif"), 7);
    for (const auto &f : frames) gif.add_frame(f.data(), w, h, palette);
    EXPECT_EQ(4, gif.frame_count());
    gif.finish();
  }
  EXPECT_EQ(std::vector<std::string>{"out.gif"}, dir.entries());
  ReadGif read;
  ASSERT_EQ("", read_gif(dir.file("out.gif"), read));
  EXPECT_EQ("GIF89a", read.version);
  EXPECT_EQ(w, read.width);
  EXPECT_EQ(h, read.height);
  EXPECT_EQ(256, read.global_colours);
  EXPECT_TRUE(palettes_equal(read.global_palette, palette));
  EXPECT_TRUE(read.loops_forever);
  ASSERT_EQ(4u, read.frames.size());
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(frames[i], read.frames[i].indices) << i;
    EXPECT_EQ(7, read.frames[i].delay);
    EXPECT_FALSE(read.frames[i].own_colour_table);
  }
  struct stat info;
  ASSERT_EQ(0, stat(dir.file("out.gif").c_str(), &info));
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(0666 & ~mask, info.st_mode & 0777);  // not the temporary file's private mode
}

TEST(GifWriter, EncodesOnlyTheChangedRectangle) {
  TempDir dir;
  const int w = 40, h = 30;
  const Palette palette = test_palette(3);
  std::vector<uint8_t> a = random_pixels(w * h, 9), b = a, c = b;
  b[5 * w + 10] ^= 0x55;
  b[12 * w + 20] ^= 0x55;
  {
    GifWriter gif(dir.file("out.gif"), 2);
    gif.add_frame(a.data(), w, h, palette);
    gif.add_frame(b.data(), w, h, palette);
    gif.add_frame(c.data(), w, h, palette);  // back to a: the same rectangle again
    gif.add_frame(c.data(), w, h, palette);  // unchanged
    gif.finish();
  }
  ReadGif read;
  ASSERT_EQ("", read_gif(dir.file("out.gif"), read));
  ASSERT_EQ(4u, read.frames.size());
  EXPECT_EQ(w, read.frames[0].width);
  EXPECT_EQ(h, read.frames[0].height);
  for (int i : {1, 2}) {
    EXPECT_EQ(10, read.frames[i].left);
    EXPECT_EQ(5, read.frames[i].top);
    EXPECT_EQ(11, read.frames[i].width);
    EXPECT_EQ(8, read.frames[i].height);
  }
  EXPECT_EQ(1, read.frames[3].width * read.frames[3].height);
  EXPECT_EQ(a, read.frames[0].indices);
  EXPECT_EQ(b, read.frames[1].indices);
  EXPECT_EQ(c, read.frames[2].indices);
  EXPECT_EQ(c, read.frames[3].indices);
  for (const ReadFrame &f : read.frames) EXPECT_EQ(1, f.disposal);  // keep what is shown
}

TEST(GifWriter, ANewPaletteSendsTheWholeFrameWithItsOwnTable) {
  TempDir dir;
  const int w = 8, h = 6;
  const Palette first = test_palette(1), second = test_palette(2);
  const std::vector<uint8_t> pixels = random_pixels(w * h, 4);
  {
    GifWriter gif(dir.file("out.gif"), 2);
    gif.add_frame(pixels.data(), w, h, first);
    gif.add_frame(pixels.data(), w, h, second);
    gif.add_frame(pixels.data(), w, h, second);
    gif.add_frame(pixels.data(), w, h, first);
    gif.finish();
  }
  ReadGif read;
  ASSERT_EQ("", read_gif(dir.file("out.gif"), read));
  ASSERT_EQ(4u, read.frames.size());
  EXPECT_TRUE(read.frames[1].own_colour_table);
  EXPECT_EQ(w * h, read.frames[1].width * read.frames[1].height);
  EXPECT_TRUE(palettes_equal(read.frames[1].palette, second));
  EXPECT_TRUE(read.frames[2].own_colour_table);  // still the second palette
  EXPECT_FALSE(read.frames[3].own_colour_table);
  EXPECT_EQ(w * h, read.frames[3].width * read.frames[3].height);
  // What a viewer shows: the colours of each frame's palette.
  for (size_t i = 0; i < 4; ++i) {
    const Palette &p = i == 1 || i == 2 ? second : first;
    for (int n = 0; n < w * h; ++n)
      for (int c = 0; c < 3; ++c) ASSERT_EQ(p[3 * pixels[n] + c], read.frames[i].rgb[3 * n + c]);
  }
}

TEST(GifWriter, FramesOfANewSizeAreWrittenWholeOnTheLargestScreen) {
  TempDir dir;
  const Palette palette = test_palette(4);
  const std::vector<uint8_t> a = random_pixels(4 * 4, 1), b = random_pixels(6 * 3, 2),
                             c = random_pixels(2 * 8, 3);
  {
    GifWriter gif(dir.file("out.gif"), 2);
    gif.add_frame(a.data(), 4, 4, palette);
    gif.add_frame(b.data(), 6, 3, palette);
    gif.add_frame(b.data(), 6, 3, palette);
    gif.add_frame(c.data(), 2, 8, palette);
    gif.finish();
  }
  ReadGif read;
  ASSERT_EQ("", read_gif(dir.file("out.gif"), read));
  EXPECT_EQ(6, read.width);
  EXPECT_EQ(8, read.height);
  ASSERT_EQ(4u, read.frames.size());
  const std::pair<int, int> sizes[] = {{4, 4}, {6, 3}, {1, 1}, {2, 8}};
  const std::vector<uint8_t> *pixels[] = {&a, &b, &b, &c};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(0, read.frames[i].left + read.frames[i].top);
    EXPECT_EQ(sizes[i].first, read.frames[i].width);
    EXPECT_EQ(sizes[i].second, read.frames[i].height);
    // The frame's own size, at the top left of the screen.
    const int w = i == 2 ? 6 : sizes[i].first, h = i == 2 ? 3 : sizes[i].second;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        ASSERT_EQ((*pixels[i])[y * w + x], read.frames[i].indices[y * 6 + x]) << i;
  }
}

TEST(GifWriter, LeavesNothingBehindUnlessFinished) {
  TempDir dir;
  const std::vector<uint8_t> pixels(16, 1);
  {
    GifWriter gif(dir.file("out.gif"), 2);
    EXPECT_EQ(1u, dir.entries().size());  // the temporary file, under another name
    EXPECT_NE("out.gif", dir.entries()[0]);
    gif.add_frame(pixels.data(), 4, 4, test_palette(0));
  }
  EXPECT_TRUE(dir.entries().empty());
  {
    GifWriter gif(dir.file("out.gif"), 2);
    EXPECT_THROW(gif.finish(), OutputError);  // no frames
  }
  EXPECT_TRUE(dir.entries().empty());
  EXPECT_THROW(GifWriter(dir.file("missing/out.gif"), 2), OutputError);
  mkdir(dir.file("folder").c_str(), 0755);
  EXPECT_THROW(GifWriter(dir.file("folder"), 2), OutputError);
}

}  // namespace
